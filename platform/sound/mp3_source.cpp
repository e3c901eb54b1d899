// Mp3Source on the desktop: mpg123 decodes the open file to signed 16-bit PCM.
#include "platform/sound/mp3_source.h"

#include <mpg123.h>

#include <atomic>
#include <cstdio>
#include <utility>

#include "platform/file/data_file.h"
#include "platform/sound/sound_file.h"

namespace platform {

struct Mp3Source::Impl {
    mpg123_handle* handle = nullptr;
    DataFile file;  // closed after the decoder that reads it
    std::atomic<long> framesDecoded{0};

    Impl(mpg123_handle* h, DataFile f) : handle(h), file(std::move(f)) {}
    ~Impl() {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    void ReportError(const std::string& path, const char* what, bool withDecoderMessage = true) const {
        if (withDecoderMessage) {
            std::fprintf(stderr, "sound: %s: %s (%s)\n", path.c_str(), what, mpg123_strerror(handle));
        } else {
            std::fprintf(stderr, "sound: %s: %s\n", path.c_str(), what);
        }
    }
};

namespace {

// Output is always signed 16-bit; every rate and mono or stereo are accepted.
bool ForceSigned16(mpg123_handle* handle) {
    if (mpg123_format_none(handle) != MPG123_OK) return false;
    const long* rates = nullptr;
    std::size_t count = 0;
    mpg123_rates(&rates, &count);
    for (std::size_t i = 0; i < count; ++i) {
        if (mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK) {
            return false;
        }
    }
    return true;
}

}  // namespace

Mp3Source::Mp3Source(Key, std::unique_ptr<Impl> i, const char* p) : impl(std::move(i)), path(p) {}

Mp3Source::~Mp3Source() = default;

long Mp3Source::FramesDecoded() const { return impl->framesDecoded.load(); }

HRESULT Mp3Source::Open(const char* path, std::unique_ptr<Mp3Source>& out) {
    out.reset();
    if (!path || !*path) {
        std::fprintf(stderr, "sound: empty file name\n");
        return E_INVALIDARG;
    }
    DataFile file;
    if (!OpenSoundFile(path, file)) return kSoundDecodeError;
    int error = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    if (!handle) {
        std::fprintf(stderr, "sound: %s: cannot create a decoder (%s)\n", path, mpg123_plain_strerror(error));
        return kSoundDecodeError;
    }
    auto source = std::make_unique<Mp3Source>(Key{}, std::make_unique<Impl>(handle, std::move(file)), path);
    const Impl& decoder = *source->impl;
    // Junk is reported once by us, not line by line by the decoder.
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    if (!ForceSigned16(handle)) {
        decoder.ReportError(source->path, "cannot select 16-bit output");
        return kSoundDecodeError;
    }
    if (mpg123_open_fd(handle, decoder.file.Descriptor()) != MPG123_OK) {
        decoder.ReportError(source->path, "cannot open");
        return kSoundDecodeError;
    }

    // Decode until the first frame with audio: that fixes the format and proves the stream.
    for (;;) {
        off_t frame = 0;
        unsigned char* audio = nullptr;
        std::size_t bytes = 0;
        const int result = mpg123_decode_frame(handle, &frame, &audio, &bytes);
        if (result == MPG123_NEW_FORMAT) continue;
        if (result == MPG123_OK && bytes > 0) break;
        if (result == MPG123_OK) continue;
        if (result == MPG123_DONE) {
            decoder.ReportError(source->path, "no MPEG audio frame in the file", false);
        } else {
            decoder.ReportError(source->path, "cannot decode");
        }
        return kSoundDecodeError;
    }
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 || channels < 1 ||
        channels > 2 || encoding != MPG123_ENC_SIGNED_16) {
        decoder.ReportError(source->path, "unsupported output format");
        return kSoundDecodeError;
    }
    // The format is fixed from here on.
    mpg123_format_none(handle);
    mpg123_format(handle, rate, channels, encoding);
    source->format = PcmFormat{rate, channels};
    if (FAILED(source->Rewind())) return kSoundDecodeError;
    out = std::move(source);
    return S_OK;
}

HRESULT Mp3Source::DecodeFrame(const unsigned char** data, std::size_t* bytes) {
    *data = nullptr;
    *bytes = 0;
    off_t frame = 0;
    unsigned char* audio = nullptr;
    std::size_t size = 0;
    int result = mpg123_decode_frame(impl->handle, &frame, &audio, &size);
    if (result == MPG123_NEW_FORMAT) {
        // Only the format fixed at opening is allowed, so this merely restates it.
        result = mpg123_decode_frame(impl->handle, &frame, &audio, &size);
    }
    if (result == MPG123_DONE) return S_FALSE;
    if (result != MPG123_OK) {
        impl->ReportError(path, "cannot decode");
        return kSoundDecodeError;
    }
    ++impl->framesDecoded;
    *data = audio;
    *bytes = size;
    return S_OK;
}

HRESULT Mp3Source::Rewind() {
    if (mpg123_seek(impl->handle, 0, SEEK_SET) < 0) {
        impl->ReportError(path, "cannot rewind");
        return kSoundDecodeError;
    }
    impl->framesDecoded = 0;
    return S_OK;
}

}  // namespace platform
