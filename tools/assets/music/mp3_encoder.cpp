#include "tools/assets/music/mp3_encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "tools/assets/music/dsp.h"

namespace assets::music {
namespace {

struct LameCloser {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};

std::int16_t ToPcm16(float x) {
    const float clamped = std::clamp(x, -1.0f, 1.0f);
    return static_cast<std::int16_t>(std::lrint(clamped * 32767.0f));
}

// The constant bit rates an MPEG-1 Layer III stream can carry.
bool IsLayer3Bitrate(int kbps) {
    for (int rate : {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320})
        if (kbps == rate) return true;
    return false;
}

}  // namespace

std::vector<std::uint8_t> EncodeMp3(const std::vector<float>& interleaved, int kbps) {
    if (!IsLayer3Bitrate(kbps)) {   // the encoder would quietly pick another rate
        std::fprintf(stderr, "orrery3d-assets: demo.mp3: %d kbps is not an MPEG-1 Layer III bit rate\n", kbps);
        return {};
    }
    std::unique_ptr<lame_global_flags, LameCloser> lame(lame_init());
    if (!lame) {
        std::fprintf(stderr, "orrery3d-assets: demo.mp3: lame_init failed\n");
        return {};
    }
    lame_set_in_samplerate(lame.get(), kSampleRate);
    lame_set_out_samplerate(lame.get(), kSampleRate);
    lame_set_num_channels(lame.get(), 2);
    lame_set_mode(lame.get(), JOINT_STEREO);
    lame_set_VBR(lame.get(), vbr_off);
    lame_set_brate(lame.get(), kbps);
    lame_set_quality(lame.get(), 7);   // fast; at 192 kbps the difference is inaudible
    lame_set_write_id3tag_automatic(lame.get(), 0);
    lame_set_bWriteVbrTag(lame.get(), 1);
    if (lame_init_params(lame.get()) < 0) {
        std::fprintf(stderr, "orrery3d-assets: demo.mp3: the encoder rejected %d kbps stereo at %d Hz\n", kbps,
                     kSampleRate);
        return {};
    }
    const std::size_t frames = interleaved.size() / 2;
    std::vector<std::uint8_t> out;
    out.reserve(frames / kSampleRate * static_cast<std::size_t>(kbps) * 125 + 16384);
    constexpr std::size_t kChunk = 8192;   // frames per call
    std::vector<std::int16_t> pcm(kChunk * 2);
    std::vector<unsigned char> buffer(kChunk * 5 / 4 + 7200);
    for (std::size_t first = 0; first < frames; first += kChunk) {
        const std::size_t count = std::min(kChunk, frames - first);
        for (std::size_t i = 0; i < count * 2; ++i) pcm[i] = ToPcm16(interleaved[first * 2 + i]);
        const int written = lame_encode_buffer_interleaved(lame.get(), pcm.data(), static_cast<int>(count),
                                                           buffer.data(), static_cast<int>(buffer.size()));
        if (written < 0) {
            std::fprintf(stderr, "orrery3d-assets: demo.mp3: encoding failed (lame error %d)\n", written);
            return {};
        }
        out.insert(out.end(), buffer.begin(), buffer.begin() + written);
    }
    const int flushed = lame_encode_flush(lame.get(), buffer.data(), static_cast<int>(buffer.size()));
    if (flushed < 0) {
        std::fprintf(stderr, "orrery3d-assets: demo.mp3: flushing the encoder failed (lame error %d)\n", flushed);
        return {};
    }
    out.insert(out.end(), buffer.begin(), buffer.begin() + flushed);
    // The first frame of the stream was reserved for the Info tag; fill it in now.
    unsigned char tag[2880];
    const std::size_t tagBytes = lame_get_lametag_frame(lame.get(), tag, sizeof tag);
    if (tagBytes > 0 && tagBytes <= sizeof tag && tagBytes <= out.size()) std::memcpy(out.data(), tag, tagBytes);
    return out;
}

}  // namespace assets::music
