// Mp3Player: plays one Mp3Source on threads of its own. A feeder thread decodes a little ahead
// of the device and queues the PCM; SDL's audio thread plays it. Play returns at once.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/sound/audio_output.h"
#include "platform/sound/mp3_source.h"

namespace platform {

class Mp3Player {
public:
    // How much decoded audio the feeder keeps queued ahead of the device.
    static constexpr double kLeadSeconds = 0.25;

    Mp3Player() = default;
    ~Mp3Player() { SetSource(nullptr); }
    Mp3Player(const Mp3Player&) = delete;
    Mp3Player& operator=(const Mp3Player&) = delete;

    // Stops any playback and replaces the source (the previous one is released).
    void SetSource(std::unique_ptr<Mp3Source> next);
    bool HasSource() const { return source != nullptr; }

    // Starts the source from its beginning: rewinds it, opens the device, starts the feeder.
    // Restarts when already playing. Fails without a source or without a usable device.
    HRESULT Play();
    // Ends playback: joins the feeder, closes the device. The source is kept. Safe to repeat.
    void Stop();

    bool IsPlaying() const { return feeder.joinable(); }
    // Frames the feeder has decoded since the last Play.
    long FramesDecoded() const { return source ? source->FramesDecoded() : 0; }
    // Seconds of audio the device has taken since the last Play.
    double PlayedSeconds() const;
    // True once the feeder has queued the whole file.
    bool ReachedEnd() const;

private:
    void Feed();

    std::unique_ptr<Mp3Source> source;
    AudioOutput output;
    std::thread feeder;
    mutable std::mutex mutex;
    std::condition_variable wake;
    bool stopRequested = false;
    bool reachedEnd = false;
};

}  // namespace platform
