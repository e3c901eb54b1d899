// MP3 encoding of interleaved stereo PCM in memory with libmp3lame (constant bit rate, no ID3
// tag, the encoder's Info frame rewritten at the start so decoders can trim its padding).
#pragma once

#include <cstdint>
#include <vector>

namespace assets::music {

// Encodes 44.1 kHz interleaved stereo floats in [-1, 1] (values beyond are clamped). Returns an
// empty vector, after a message on stderr, when the encoder fails.
std::vector<std::uint8_t> EncodeMp3(const std::vector<float>& interleaved, int kbps);

}  // namespace assets::music
