// Mp3Source in the browser: Open reads the whole file and checks that it starts like an MP3
// (ID3 tag, then confirmed Layer III frame headers); the browser decodes the bytes when the
// player hands them over. Open refuses what the desktop refuses, with the same stderr lines.
#include "platform/sound/mp3_source.h"

#include <cstdio>
#include <utility>

#include "platform/file/data_file.h"
#include "platform/sound/sound_file.h"
#include "platform/sound/web/mp3_probe.h"

namespace platform {

struct Mp3Source::Impl {
    std::vector<std::uint8_t> bytes;
};

Mp3Source::Mp3Source(Key, std::unique_ptr<Impl> i, const char* p) : impl(std::move(i)), path(p) {}

Mp3Source::~Mp3Source() = default;

const std::vector<std::uint8_t>& Mp3Source::Bytes() const { return impl->bytes; }

HRESULT Mp3Source::Open(const char* path, std::unique_ptr<Mp3Source>& out) {
    out.reset();
    if (!path || !*path) {
        std::fprintf(stderr, "sound: empty file name\n");
        return E_INVALIDARG;
    }
    DataFile file;
    if (!OpenSoundFile(path, file)) return kSoundDecodeError;
    auto impl = std::make_unique<Impl>();
    if (!file.ReadAll(impl->bytes)) {
        std::fprintf(stderr, "sound: %s: cannot read (%s)\n", path, file.Cause().c_str());
        return kSoundDecodeError;
    }
    const Mp3Probe probe = ProbeMp3(impl->bytes.data(), impl->bytes.size());
    if (!probe.found) {
        std::fprintf(stderr, "sound: %s: no MPEG audio frame in the file\n", path);
        return kSoundDecodeError;
    }
    auto source = std::make_unique<Mp3Source>(Key{}, std::move(impl), path);
    source->format = probe.format;
    out = std::move(source);
    return S_OK;
}

}  // namespace platform
