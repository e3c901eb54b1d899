// MusicPlayer: the process-wide player of the show's soundtrack ("demo.mp3").
//
// Initialize creates the playback objects; Play(0) starts the file from its beginning and returns
// at once (the sound layer decodes and plays on threads of its own); Stop ends playback and
// releases everything. Only a bad track index or a missing file is an error: any other playback
// problem (an undecodable file, no audio device) leaves the show running in silence.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/com/win_types.h"

namespace platform {
class Mp3Player;
class Mp3Source;
}  // namespace platform

class MusicPlayer {
public:
    static constexpr int kTrackCount = 16;
    static constexpr std::size_t kFileNameCapacity = 128;
    static constexpr std::size_t kPathCapacity = 260;

    static MusicPlayer& Instance();
    virtual ~MusicPlayer();

    // Creates the playback objects. Needs no sound hardware. 0 on success, else a negative code.
    HRESULT Initialize();
    // 1 for a track outside 0..15, for a track without a name, and for a missing file (its name
    // is then left in the error reporter's detail); 0 otherwise, also when playback fails.
    // A second Play starts the file again from its beginning.
    int Play(int track);
    // Stops playback and releases everything; safe without Initialize and when repeated.
    void Stop();

    // When silent, Play makes all its checks and answers as usual but decodes and plays nothing.
    void SetSilent(bool silent) { this->silent = silent; }
    bool IsSilent() const { return silent; }

    const char* CurrentFileName() const { return currentFileName; }
    // The playback objects, null before Initialize and after Stop.
    const platform::Mp3Player* Player() const { return graph.get(); }

private:
    MusicPlayer();
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // The player does the work of a media graph, its run control and its seeking; it owns the
    // source of the file being played (the current source).
    std::unique_ptr<platform::Mp3Player> graph;
    // The source being opened inside Play, until the player takes it.
    std::unique_ptr<platform::Mp3Source> newSource;
    char currentFileName[kFileNameCapacity] = {};
    const char* trackTable[kTrackCount] = {};
    bool silent = false;
};
