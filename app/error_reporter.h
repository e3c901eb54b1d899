// ErrorReporter: turns a numbered message code into a message box; errors end the process.
#pragma once

#include <cstddef>

#include "platform/com/win_types.h"

// The messages a report can show, by their numbers. A number without a text of its own shows the
// generic text.
enum class MessageCode : int {
    kGenericError = 0,  // the shell's fallback
    kDirect3DInit = 1,
    kMeshLoad = 2,  // appends the detail; nothing in the show reports it
    kSoftwareRendering = 3,
    kFontInit = 4,
    kMusicInit = 5,
    kMusicPlay = 6,   // appends the detail
    kBitmapLoad = 7,  // appends the detail
    // The shell's own, well clear of the show's 1 to 7: memory ran out while the show ran.
    kOutOfMemory = 100,
};

// 1 is an error and ends the process; any other value is a warning.
enum class Severity : int { kError = 1, kWarning = 2 };

class ErrorReporter {
public:
    static constexpr std::size_t kDetailCapacity = 260;

    static ErrorReporter& Instance();
    virtual ~ErrorReporter();

    // Shows the message box for code with owner as its owner window, and writes the same text to
    // stderr. Errors end the process with exit code 3 after the box is closed (or at once where no
    // box can be shown); warnings return.
    void Report(HWND owner, MessageCode code, Severity severity);

    // Stores a file name in detail, cut to fit when longer.
    void SetDetail(const char* text);

    // The full text of a report: the message, the detail where the code appends it, the banner.
    static void ComposeMessage(MessageCode code, const char* detail, char* out, std::size_t outSize);

    // The last name written by a failing loader; empty at construction.
    char detail[kDetailCapacity] = {};

private:
    ErrorReporter() = default;
};
