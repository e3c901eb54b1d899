// Program resources built into the executable.
#pragma once

#include "platform/window/shell_window.h"

constexpr int IDI_ORRERY3D = 101;

// The icon with the given resource number; an empty image (no pixels) for unknown numbers.
platform::IconImage LoadIconResource(int id);
