#include "audio/music_player.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/error_reporter.h"
#include "platform/sound/mp3_player.h"
#include "platform/sound/mp3_source.h"

namespace {

constexpr const char* kSoundtrack = "demo.mp3";

// Copies text into out (capacity size), cutting what does not fit; always zero-terminated.
void CopyName(char* out, std::size_t size, const char* text) {
    const std::size_t length = strnlen(text, size - 1);
    std::memcpy(out, text, length);
    out[length] = '\0';
}

}  // namespace

MusicPlayer& MusicPlayer::Instance() {
    static MusicPlayer instance;
    return instance;
}

MusicPlayer::MusicPlayer() = default;

// Releases nothing on purpose: Stop does. Only a player still running at process exit is
// stopped by its own destructor, so no playback thread outlives the process's static objects.
MusicPlayer::~MusicPlayer() = default;

HRESULT MusicPlayer::Initialize() {
    if (!graph) graph = std::make_unique<platform::Mp3Player>();
    return S_OK;
}

int MusicPlayer::Play(int track) {
    if (track < 0 || track >= kTrackCount) return 1;
    trackTable[0] = kSoundtrack;
    const char* name = trackTable[track];
    if (!name) return 1;

    char path[kPathCapacity];
    CopyName(path, sizeof path, name);
    CopyName(currentFileName, sizeof currentFileName, name);

    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        ErrorReporter::Instance().SetDetail(name);
        return 1;
    }
    if (silent || !graph) return 0;

    // Failures from here on were reported on stderr by the sound layer; the show runs silently.
    if (FAILED(platform::Mp3Source::Open(path, newSource))) return 0;
    graph->SetSource(std::move(newSource));
    graph->Play();
    return 0;
}

void MusicPlayer::Stop() {
    if (graph) graph->Stop();
    newSource.reset();
    graph.reset();
}
