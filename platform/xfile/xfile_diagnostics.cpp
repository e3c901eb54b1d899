#include "platform/xfile/xfile_diagnostics.h"

#include <algorithm>
#include <cstdio>

namespace xfile {

namespace {
FailureSink g_sink = nullptr;
}

void SetFailureSink(FailureSink sink) { g_sink = sink; }

HRESULT ReportFailure(HRESULT code, std::string_view file, std::string_view position, std::string_view cause) {
    std::string message;
    message.reserve(file.size() + position.size() + cause.size() + 5);
    message.append(file).append(": ").append(position).append(": ").append(cause).append("\n");
    if (g_sink != nullptr)
        g_sink(message);
    else
        std::fputs(message.c_str(), stderr);
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
