#include "platform/xfile/xfile_diagnostics.h"

#include <algorithm>
#include <cstdio>

namespace xfile {

HRESULT ReportFailure(HRESULT code, std::string_view file, std::string_view position, std::string_view cause) {
    std::fprintf(stderr, "%.*s: %.*s: %.*s\n", static_cast<int>(file.size()), file.data(),
                 static_cast<int>(position.size()), position.data(), static_cast<int>(cause.size()), cause.data());
    return code;
}

std::string SourcePosition::Describe(std::size_t offset) const {
    offset = std::min(offset, body_.size());
    if (text_) {
        // The header shares the first line with the body.
        auto line = 1 + std::count(body_.begin(), body_.begin() + static_cast<std::ptrdiff_t>(offset), '\n');
        return (compressed_ ? "inflated line " : "line ") + std::to_string(line);
    }
    if (compressed_) return "inflated byte " + std::to_string(offset + headerSize_);
    return "byte " + std::to_string(offset + headerSize_);
}

}  // namespace xfile
