// Failure messages of the X file reader: "<file>: <line or byte offset>: <cause>" on stderr.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/com/win_types.h"

namespace xfile {

// Where failure messages go; stderr unless replaced (fuzzing drops them). Null restores stderr.
using FailureSink = void (*)(std::string_view message);
void SetFailureSink(FailureSink sink);

// Prints the message and returns `code`. `position` is e.g. "line 12" or "byte 40".
HRESULT ReportFailure(HRESULT code, std::string_view file, std::string_view position, std::string_view cause);

// Describes a position in a parsed body: a line for text, a byte offset for binary.
class SourcePosition {
public:
    SourcePosition(std::string_view body, bool text, bool compressed, std::size_t headerSize)
        : body_(body), text_(text), compressed_(compressed), headerSize_(headerSize) {}
    std::string Describe(std::size_t offset) const;

private:
    std::string_view body_;
    bool text_;
    bool compressed_;
    std::size_t headerSize_;
};

}  // namespace xfile
