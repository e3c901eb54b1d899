// Templates: the declared shape of data objects, and the set of known templates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/com/win_types.h"
#include "platform/xfile/xfile_token.h"

namespace xfile {

constexpr std::uint32_t kNoTemplate = 0xFFFFFFFFu;

// One array dimension: a constant, or the value of an earlier scalar member.
struct Dimension {
    bool constant = true;
    std::uint32_t value = 0;  // the count, or the index of the member holding it
};

struct Member {
    std::string name;
    Primitive primitive = Primitive::None;  // None: a member of template type
    std::uint32_t templateIndex = kNoTemplate;
    std::vector<Dimension> dimensions;  // empty for a scalar
};

enum class Restriction : std::uint8_t { Closed, Open, Restricted };

struct Template {
    std::string name;
    GUID guid{};
    std::vector<Member> members;
    Restriction restriction = Restriction::Closed;
    std::vector<std::string> allowed;  // names of the allowed child templates when restricted
    // Fewest primitive values an instance holds (arrays of variable size count as empty).
    std::uint64_t minValues = 0;
    // Nesting of template-typed members (1 for a template of primitives only).
    std::uint32_t depth = 1;
    // Every member a DWORD or SDWORD (scalar or array): instances can be copied as words.
    bool onlyDwords = false;
    // Number of FLOATs when the template is nothing but FLOATs of fixed count (Vector: 3,
    // Matrix4x4: 16), else 0: arrays of it read as one run of floats.
    std::uint32_t fixedFloats = 0;
};

// Template nesting deeper than this is refused.
constexpr std::uint32_t kMaxTemplateDepth = 64;

struct GuidHash {
    std::size_t operator()(const GUID& g) const {
        std::uint64_t a = g.Data1 | (std::uint64_t(g.Data2) << 32) | (std::uint64_t(g.Data3) << 48), b;
        static_assert(sizeof b == sizeof g.Data4);
        std::memcpy(&b, g.Data4, sizeof b);
        return std::hash<std::uint64_t>()(a * 0x9E3779B97F4A7C15ull ^ b);
    }
};

// Templates known to a parse: the file's own declarations on top of a shared, read-only
// base (the registered set), so that opening a file copies nothing.
class TemplateSet {
public:
    TemplateSet() = default;
    explicit TemplateSet(std::shared_ptr<const TemplateSet> base)
        : base_(std::move(base)), baseSize_(base_ ? base_->Size() : 0) {}

    // Adds `t` and returns its index. A template whose GUID is already known keeps the
    // earlier declaration (same identity); its name then also leads to that declaration.
    std::uint32_t Add(Template t);
    std::uint32_t FindByName(std::string_view name) const;
    std::uint32_t FindByGuid(const GUID& guid) const;
    const Template& At(std::uint32_t index) const {
        return index < baseSize_ ? base_->At(index) : own_[index - baseSize_];
    }
    std::size_t Size() const { return baseSize_ + own_.size(); }

private:
    // Template names compare without regard to case ("TextureFileName" is TextureFilename).
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const;
    };
    struct NameEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    std::shared_ptr<const TemplateSet> base_;
    std::size_t baseSize_ = 0;
    std::vector<Template> own_;
    std::unordered_map<std::string, std::uint32_t, NameHash, NameEqual> byName_;
    std::unordered_map<GUID, std::uint32_t, GuidHash> byGuid_;
};

bool IsNullGuid(const GUID& guid);

}  // namespace xfile
