// AudioOutput: one opened SDL audio device fed by queueing PCM; SDL's own thread plays it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

#include "platform/sound/pcm_format.h"
#include "platform/sound/sound_result.h"

namespace platform {

class AudioOutput {
public:
    AudioOutput() = default;
    ~AudioOutput() { Close(); }
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Opens the default output device for format and starts it. what names the caller's file in
    // the stderr line written on failure (kSoundDeviceError).
    HRESULT Open(const PcmFormat& format, const char* what);
    // Stops the device and drops what is still queued. Safe when not open.
    void Close();
    bool IsOpen() const { return device != 0; }

    HRESULT Queue(const void* data, std::size_t bytes);
    // Bytes queued but not yet taken by the device.
    std::size_t QueuedBytes() const;
    // Bytes the device has taken since Open.
    std::uint64_t PlayedBytes() const;

private:
    std::uint32_t device = 0;
    bool subsystem = false;
    mutable std::mutex mutex;
    std::uint64_t queuedTotal = 0;
};

}  // namespace platform
