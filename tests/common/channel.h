// One 8-bit channel of a packed 0xAARRGGBB colour, as every test that looks at pixels takes it.
#pragma once

#include <cstdint>

namespace testpixels {

// shift 24 is alpha, 16 red, 8 green, 0 blue.
constexpr int Channel(std::uint32_t colour, int shift) { return static_cast<int>((colour >> shift) & 0xFF); }

}  // namespace testpixels
