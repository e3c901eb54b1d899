// ErrorReporter: turns a numbered message code into a message box; errors end the process.
#pragma once

#include <cstddef>

#include "platform/com/win_types.h"

class ErrorReporter {
public:
    static constexpr std::size_t kDetailCapacity = 260;
    // The shell's own message code, well clear of the show's 1 to 7: memory ran out while the
    // show ran.
    static constexpr int kOutOfMemory = 100;
    // Any code without a text of its own shows the generic text; the shell uses this one.
    static constexpr int kGenericError = 0;

    static ErrorReporter& Instance();
    virtual ~ErrorReporter();

    // Shows the message box for code (severity 1: error, anything else: warning) with owner as its
    // owner window, and writes the same text to stderr. Errors end the process with exit code 3
    // after the box is closed (or at once where no box can be shown); warnings return.
    void Report(HWND owner, int code, int severity);

    // Stores a file name in detail, cut to fit when longer.
    void SetDetail(const char* text);

    // The full text of a report: the message, the detail where the code appends it, the banner.
    static void ComposeMessage(int code, const char* detail, char* out, std::size_t outSize);

    // The last name written by a failing loader; empty at construction.
    char detail[kDetailCapacity] = {};

private:
    ErrorReporter() = default;
};
