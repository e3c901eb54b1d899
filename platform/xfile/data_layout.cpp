#include "platform/xfile/data_layout.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace xfile {
namespace {

std::uint64_t ReadScalar(Primitive type, const unsigned char* at) {
    switch (PrimitiveSize(type)) {
        case 1: return at[0];
        case 2: {
            std::uint16_t v;
            std::memcpy(&v, at, 2);
            return v;
        }
        case 4: {
            std::uint32_t v;
            std::memcpy(&v, at, 4);
            return v;
        }
        default: {
            std::uint64_t v;
            std::memcpy(&v, at, 8);
            return v;
        }
    }
}

// Walks the members of `t`, stopping at `stop` (when not empty) with its span.
bool Walk(const TemplateSet& templates, const Template& t, const unsigned char* data, std::size_t size,
          std::string_view stop, std::size_t* used, MemberSpan* span) {
    std::vector<std::uint64_t> values(t.members.size(), 0);
    std::size_t at = 0;
    for (std::size_t i = 0; i < t.members.size(); ++i) {
        const Member& m = t.members[i];
        std::uint64_t count = 1;
        for (const Dimension& d : m.dimensions) count *= d.constant ? d.value : values[d.value];
        std::size_t start = at;
        if (m.primitive != Primitive::None) {
            std::size_t width = PrimitiveSize(m.primitive);
            if (count > (size - at) / width) return false;
            if (m.dimensions.empty() && IsIntegerType(m.primitive)) values[i] = ReadScalar(m.primitive, data + at);
            at += static_cast<std::size_t>(count) * width;
        } else {
            const Template& sub = templates.At(m.templateIndex);
            for (std::uint64_t k = 0; k < count; ++k) {
                std::size_t one = 0;
                if (!Walk(templates, sub, data + at, size - at, {}, &one, nullptr)) return false;
                at += one;
            }
        }
        if (!stop.empty() && m.name == stop) {
            span->offset = start;
            span->size = at - start;
            return true;
        }
    }
    *used = at;
    return stop.empty();
}

}  // namespace

bool FindMember(const TemplateSet& templates, const Template& t, const unsigned char* data, std::size_t size,
                std::string_view name, MemberSpan* span) {
    std::size_t used = 0;
    if (name.empty()) return false;
    return Walk(templates, t, data, size, name, &used, span);
}

bool MeasureInstance(const TemplateSet& templates, const Template& t, const unsigned char* data, std::size_t size,
                     std::size_t* used) {
    return Walk(templates, t, data, size, {}, used, nullptr);
}

}  // namespace xfile
