// Mp3Player: plays one Mp3Source; Play returns at once. On the desktop a feeder thread decodes a
// little ahead of the device and queues the PCM, and SDL's audio thread plays it. In the browser
// Web Audio decodes the whole file and plays it (web/mp3_player.cpp).
#pragma once

#include <memory>

#include "platform/sound/mp3_source.h"

namespace platform {

class Mp3Player {
public:
#ifndef __EMSCRIPTEN__
    // How much decoded audio the feeder keeps queued ahead of the device.
    static constexpr double kLeadSeconds = 0.25;
#endif

    Mp3Player();
    ~Mp3Player();
    Mp3Player(const Mp3Player&) = delete;
    Mp3Player& operator=(const Mp3Player&) = delete;

    // Stops any playback and replaces the source (the previous one is released).
    void SetSource(std::unique_ptr<Mp3Source> next);
    bool HasSource() const { return source != nullptr; }

    // Starts the source from its beginning: rewinds it, opens the device, starts the feeder (in
    // the browser: hands the file to Web Audio). Restarts when already playing. Fails without a
    // source or without a usable device (kSoundDeviceError; in the browser: no Web Audio).
    HRESULT Play();
    // Ends playback: joins the feeder, closes the device. The source is kept. Safe to repeat.
    void Stop();

    // From a successful Play until Stop, also once the whole file has been played.
    bool IsPlaying() const;
#ifndef __EMSCRIPTEN__
    // Frames the feeder has decoded since the last Play.
    long FramesDecoded() const { return source ? source->FramesDecoded() : 0; }
#endif
    // Seconds of audio the device has taken since the last Play. In the browser: how far into the
    // file the audio clock has played (0 until the browser has decoded the file and may play).
    double PlayedSeconds() const;
    // True once the feeder has queued the whole file; in the browser, once the whole file is
    // decoded and handed to the audio output.
    bool ReachedEnd() const;

private:
    // The build's own playback: feeder thread and device on the desktop, the page's Web Audio
    // playback in the browser.
    struct Impl;

    std::unique_ptr<Mp3Source> source;
    std::unique_ptr<Impl> impl;
};

}  // namespace platform
