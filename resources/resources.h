// Program resources built into the executable.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/window/shell_window.h"

constexpr int IDI_ORRERY3D = 101;
constexpr int kProgramIconSize = 32;  // icon 101's side in pixels

// The icon with the given resource number; an empty image (no pixels) for unknown numbers.
platform::IconImage LoadIconResource(int id);

// The program's icon drawn size x size pixels (0xAARRGGBB, top row first), each pixel the mean of
// samples x samples points over it; icon 101 is DrawProgramIcon(kProgramIconSize, 1). Empty for
// a size or sample count below 1.
std::vector<std::uint32_t> DrawProgramIcon(int size, int samples);
