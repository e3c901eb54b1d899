// Finds a named member inside the packed data of a template instance.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/xfile/xfile_template.h"

namespace xfile {

struct MemberSpan {
    std::size_t offset = 0;
    std::size_t size = 0;
};

// False when `t` has no member `name` or the data is shorter than its layout.
bool FindMember(const TemplateSet& templates, const Template& t, const unsigned char* data, std::size_t size,
                std::string_view name, MemberSpan* span);

// Bytes an instance of `t` takes at `data`; false when the data is shorter than the layout.
bool MeasureInstance(const TemplateSet& templates, const Template& t, const unsigned char* data, std::size_t size,
                     std::size_t* used);

}  // namespace xfile
