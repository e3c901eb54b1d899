#include "app/error_reporter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/window/cursor.h"
#include "platform/window/message_box.h"
#include "platform/window/window.h"

namespace {

constexpr const char* kErrorCaption = "Orrery3D Error";
constexpr const char* kWarningCaption = "Orrery3D Warning";
constexpr const char* kBanner = "\n\nOrrery3D engine 1.0 - Project Kaede\nKestrel Loom\n";

const char* MessageText(int code) {
    switch (code) {
    case 1: return "Could not initialize Direct3D.\nMake sure you have the latest\nversion of Direct X installed.\n";
    case 2: return "Could not load meshes: ";
    case 3: return "Direct X init failure\nSwitching to software rendering (slow)\n";
    case 4: return "Could not init font.\n";
    case 5: return "Could not initialize MP3 Player\n";
    case 6: return "Could not play MP3\n";
    case 7: return "Could not load bitmap: ";
    case ErrorReporter::kOutOfMemory: return "The show stopped: out of memory.\n";
    default: return "Generic engine error. Enable\ndebug output for detailed information.\n";
    }
}

bool AppendsDetail(int code) { return code == 2 || code == 6 || code == 7; }

// Appends text to out (capacity outSize, zero-terminated), cutting what does not fit.
void Append(char* out, std::size_t outSize, const char* text) {
    const std::size_t used = std::strlen(out);
    if (used + 1 >= outSize) return;
    const std::size_t room = outSize - used - 1;
    const std::size_t length = strnlen(text, room);
    std::memcpy(out + used, text, length);
    out[used + length] = '\0';
}

}  // namespace

ErrorReporter& ErrorReporter::Instance() {
    static ErrorReporter instance;
    return instance;
}

ErrorReporter::~ErrorReporter() = default;

void ErrorReporter::SetDetail(const char* text) {
    if (!text) text = "";
    const std::size_t length = strnlen(text, kDetailCapacity - 1);
    std::memcpy(detail, text, length);
    detail[length] = '\0';
}

void ErrorReporter::ComposeMessage(int code, const char* detailText, char* out, std::size_t outSize) {
    if (!out || outSize == 0) return;
    out[0] = '\0';
    Append(out, outSize, MessageText(code));
    if (AppendsDetail(code) && detailText) Append(out, outSize, detailText);
    Append(out, outSize, kBanner);
}

void ErrorReporter::Report(HWND owner, int code, int severity) {
    platform::ShowCursor(true);

    // Loaders write detail directly; make sure it is terminated before it is read.
    detail[kDetailCapacity - 1] = '\0';
    char text[kDetailCapacity + 256];
    ComposeMessage(code, detail, text, sizeof text);

    const bool error = severity == 1;
    const char* caption = error ? kErrorCaption : kWarningCaption;
    std::fprintf(stderr, "%s\n%s", caption, text);
    std::fflush(stderr);
    platform::ShowMessageBox(owner, caption, text,
                             error ? platform::MessageIcon::Error : platform::MessageIcon::Warning);
    if (error) std::exit(3);
}
