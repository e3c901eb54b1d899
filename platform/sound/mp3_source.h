// Mp3Source: an MP3 file opened for playing. On the desktop it is decoded here to 16-bit PCM,
// one MPEG frame at a time (mpg123); in the browser its bytes are read whole and the browser
// decodes them (web/mp3_source.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sound/pcm_format.h"
#include "platform/sound/sound_result.h"

namespace platform {

class Mp3Source {
public:
    // Opens path and learns the format: on the desktop by decoding the first frame, in the
    // browser from the first frame header (after any ID3 tag), which the next frame header must
    // confirm. Fails with kSoundDecodeError (and one line on stderr naming the file and the
    // cause) when the file cannot be read or holds no MPEG audio, and without waiting when it is
    // no regular file (a FIFO, a folder, a device); E_INVALIDARG without a name.
    static HRESULT Open(const char* path, std::unique_ptr<Mp3Source>& out);

    // What each build keeps: the decoder and the open file it reads on the desktop, the file's
    // bytes in the browser.
    struct Impl;
    // Only Open makes sources.
    class Key {
        friend class Mp3Source;
        Key() = default;
    };
    Mp3Source(Key, std::unique_ptr<Impl> impl, const char* path);
    ~Mp3Source();
    Mp3Source(const Mp3Source&) = delete;
    Mp3Source& operator=(const Mp3Source&) = delete;

    const PcmFormat& Format() const { return format; }
    const std::string& Path() const { return path; }

#ifdef __EMSCRIPTEN__
    // The whole file as Open read it, for the browser to decode.
    const std::vector<std::uint8_t>& Bytes() const;
#else
    // Decodes the next frame. S_OK with *data / *bytes set (valid until the next call; bytes may be
    // 0 for a frame without output), S_FALSE at the end of the stream, kSoundDecodeError on a fault.
    HRESULT DecodeFrame(const unsigned char** data, std::size_t* bytes);
    // Back to the first frame.
    HRESULT Rewind();
    // Frames decoded since opening or the last Rewind; readable from any thread.
    long FramesDecoded() const;
#endif

private:
    std::unique_ptr<Impl> impl;
    std::string path;
    PcmFormat format;
};

}  // namespace platform
