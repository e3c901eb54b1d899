// Translation of SDL key codes into Windows virtual-key codes (the 256-entry key table's index).
#pragma once

#include <cstdint>

namespace platform {

// The virtual-key code (1..254) for an SDL_Keycode, or 0 for keys without one.
int VirtualKeyFromSdlKey(std::int32_t sdlKeycode);

// Virtual-key codes the shell and its tests name.
namespace vk {
constexpr int Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Menu = 18, Pause = 19,
              Capital = 20, Escape = 27, Space = 32, Prior = 33, Next = 34, End = 35, Home = 36,
              Left = 37, Up = 38, Right = 39, Down = 40, Snapshot = 44, Insert = 45, Delete = 46,
              LWin = 91, RWin = 92, Apps = 93, Numpad0 = 96, Multiply = 106, Add = 107,
              Subtract = 109, Decimal = 110, Divide = 111, F1 = 112, F4 = 115, F10 = 121, F12 = 123,
              NumLock = 144, Scroll = 145;
}

}  // namespace platform
