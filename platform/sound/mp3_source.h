// Mp3Source: an MP3 file opened for decoding to 16-bit PCM, one MPEG frame at a time.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

#include "platform/file/data_file.h"
#include "platform/sound/pcm_format.h"
#include "platform/sound/sound_result.h"

struct mpg123_handle_struct;

namespace platform {

class Mp3Source {
public:
    // Opens path and decodes its first frame to learn the format. Fails with kSoundDecodeError (and
    // one line on stderr naming the file and the cause) when the file cannot be read or decoded,
    // and without waiting when it is no regular file (a FIFO, a folder, a device).
    static HRESULT Open(const char* path, std::unique_ptr<Mp3Source>& out);

    // Only Open makes sources.
    class Key {
        friend class Mp3Source;
        Key() = default;
    };
    // Takes over handle and the open file it reads.
    Mp3Source(Key, mpg123_handle_struct* handle, DataFile file, const char* path);
    ~Mp3Source();
    Mp3Source(const Mp3Source&) = delete;
    Mp3Source& operator=(const Mp3Source&) = delete;

    const PcmFormat& Format() const { return format; }
    const std::string& Path() const { return path; }

    // Decodes the next frame. S_OK with *data / *bytes set (valid until the next call; bytes may be
    // 0 for a frame without output), S_FALSE at the end of the stream, kSoundDecodeError on a fault.
    HRESULT DecodeFrame(const unsigned char** data, std::size_t* bytes);
    // Back to the first frame.
    HRESULT Rewind();
    // Frames decoded since opening or the last Rewind; readable from any thread.
    long FramesDecoded() const { return framesDecoded.load(); }

private:
    void ReportError(const char* what, bool withDecoderMessage = true) const;

    mpg123_handle_struct* handle = nullptr;
    DataFile file;  // closed after the decoder that reads it
    std::string path;
    PcmFormat format;
    std::atomic<long> framesDecoded{0};
};

}  // namespace platform
