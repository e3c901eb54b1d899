#include "platform/xfile/xfile_template.h"

#include <cstdint>

namespace xfile {

namespace {
unsigned char Lower(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + 32) : u;
}
}  // namespace

std::size_t TemplateSet::NameHash::operator()(std::string_view s) const {
    // 64-bit FNV-1a, folded to size_t where that is narrower.
    std::uint64_t h = 1469598103934665603ull;
    for (char c : s) h = (h ^ Lower(c)) * 1099511628211ull;
    return static_cast<std::size_t>(h);
}

bool TemplateSet::NameEqual::operator()(std::string_view a, std::string_view b) const {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

bool IsNullGuid(const GUID& guid) { return guid == GUID{}; }

std::uint32_t TemplateSet::Add(Template t) {
    if (!IsNullGuid(t.guid)) {
        std::uint32_t existing = FindByGuid(t.guid);
        if (existing != kNoTemplate) {
            byName_[t.name] = existing;
            return existing;
        }
    }
    auto index = static_cast<std::uint32_t>(Size());
    byName_[t.name] = index;
    if (!IsNullGuid(t.guid)) byGuid_.emplace(t.guid, index);
    own_.push_back(std::move(t));
    return index;
}

std::uint32_t TemplateSet::FindByName(std::string_view name) const {
    auto it = byName_.find(name);
    if (it != byName_.end()) return it->second;
    return base_ ? base_->FindByName(name) : kNoTemplate;
}

std::uint32_t TemplateSet::FindByGuid(const GUID& guid) const {
    auto it = byGuid_.find(guid);
    if (it != byGuid_.end()) return it->second;
    return base_ ? base_->FindByGuid(guid) : kNoTemplate;
}

}  // namespace xfile
