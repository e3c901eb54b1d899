#include "app/error_reporter.h"

#include <array>
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

struct Message {
    MessageCode code;
    const char* text;
    bool appendsDetail;
};

// Every message, the generic one first, in ascending code order.
constexpr std::array<Message, 9> kMessages = {{
    {MessageCode::kGenericError, "Generic engine error. Enable\ndebug output for detailed information.\n", false},
    {MessageCode::kDirect3DInit,
     "Could not initialize Direct3D.\nMake sure you have the latest\nversion of Direct X installed.\n", false},
    {MessageCode::kMeshLoad, "Could not load meshes: ", true},
    {MessageCode::kSoftwareRendering, "Direct X init failure\nSwitching to software rendering (slow)\n", false},
    {MessageCode::kFontInit, "Could not init font.\n", false},
    {MessageCode::kMusicInit, "Could not initialize MP3 Player\n", false},
    {MessageCode::kMusicPlay, "Could not play MP3\n", true},
    {MessageCode::kBitmapLoad, "Could not load bitmap: ", true},
    {MessageCode::kOutOfMemory, "The show stopped: out of memory.\n", false},
}};

constexpr bool GenericFirstAndCodesAscending() {
    if (kMessages[0].code != MessageCode::kGenericError) return false;
    for (std::size_t i = 1; i < kMessages.size(); ++i)
        if (static_cast<int>(kMessages[i - 1].code) >= static_cast<int>(kMessages[i].code)) return false;
    return true;
}
static_assert(GenericFirstAndCodesAscending(), "one row per code");

// A code that is not in the list, any number a caller made up, shows the generic message.
const Message& MessageOf(MessageCode code) {
    for (const Message& message : kMessages)
        if (message.code == code) return message;
    return kMessages[0];
}

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

void ErrorReporter::ComposeMessage(MessageCode code, const char* detailText, char* out, std::size_t outSize) {
    if (!out || outSize == 0) return;
    out[0] = '\0';
    const Message& message = MessageOf(code);
    Append(out, outSize, message.text);
    if (message.appendsDetail && detailText) Append(out, outSize, detailText);
    Append(out, outSize, kBanner);
}

void ErrorReporter::Report(HWND owner, MessageCode code, Severity severity) {
    platform::ShowCursor(true);

    // Loaders write detail directly; make sure it is terminated before it is read.
    detail[kDetailCapacity - 1] = '\0';
    char text[kDetailCapacity + 256];
    ComposeMessage(code, detail, text, sizeof text);

    const bool error = severity == Severity::kError;
    const char* caption = error ? kErrorCaption : kWarningCaption;
    std::fprintf(stderr, "%s\n%s", caption, text);
    std::fflush(stderr);
    platform::ShowMessageBox(owner, caption, text,
                             error ? platform::MessageIcon::Error : platform::MessageIcon::Warning);
    if (error) std::exit(3);
}
