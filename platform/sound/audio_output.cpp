#include "platform/sound/audio_output.h"

#include <SDL.h>
#include <alsa/asoundlib.h>

#include <cstdio>

namespace platform {

namespace {

// alsa-lib reports every failed step of opening a device on stderr itself: nine "ALSA lib ...
// cannot find card" lines where there is no sound card, before SDL gives up on its ALSA driver.
// The failure reaches us through SDL and is reported in one line, so alsa-lib's own reports are
// dropped. (SDL loads libasound.so.2 at run time; being linked to it, we set the handler of that
// same library.)
void DropAlsaReport(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

HRESULT AudioOutput::Open(const PcmFormat& format, const char* what) {
    Close();
    if (format.rate <= 0 || format.channels < 1 || format.channels > 2) {
        std::fprintf(stderr, "sound: %s: unsupported format (%ld Hz, %d channels)\n", what, format.rate,
                     format.channels);
        return E_INVALIDARG;
    }
    snd_lib_error_set_handler(DropAlsaReport);
    // The subsystem is reference counted by SDL, so this coexists with the window's use of SDL.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "sound: %s: no audio driver (%s)\n", what, SDL_GetError());
        return kSoundDeviceError;
    }
    subsystem = true;

    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(format.rate);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = static_cast<Uint8>(format.channels);
    wanted.samples = 2048;
    wanted.callback = nullptr;  // fed through SDL_QueueAudio
    SDL_AudioSpec obtained{};
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        std::fprintf(stderr, "sound: %s: cannot open an audio device (%s)\n", what, SDL_GetError());
        Close();
        return kSoundDeviceError;
    }
    {
        std::lock_guard lock(mutex);
        queuedTotal = 0;
    }
    SDL_PauseAudioDevice(device, 0);
    return S_OK;
}

void AudioOutput::Close() {
    if (device != 0) {
        SDL_CloseAudioDevice(device);
        device = 0;
    }
    if (subsystem) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystem = false;
    }
}

HRESULT AudioOutput::Queue(const void* data, std::size_t bytes) {
    if (device == 0) return E_FAIL;
    if (bytes == 0) return S_OK;
    std::lock_guard lock(mutex);
    if (SDL_QueueAudio(device, data, static_cast<Uint32>(bytes)) != 0) {
        std::fprintf(stderr, "sound: cannot queue audio (%s)\n", SDL_GetError());
        return kSoundDeviceError;
    }
    queuedTotal += bytes;
    return S_OK;
}

std::size_t AudioOutput::QueuedBytes() const {
    return device != 0 ? SDL_GetQueuedAudioSize(device) : 0;
}

std::uint64_t AudioOutput::PlayedBytes() const {
    if (device == 0) return 0;
    std::lock_guard lock(mutex);
    return queuedTotal - SDL_GetQueuedAudioSize(device);
}

}  // namespace platform
