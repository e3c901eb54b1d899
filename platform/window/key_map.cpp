#include "platform/window/key_map.h"

#include <SDL.h>

namespace platform {

int VirtualKeyFromSdlKey(std::int32_t key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return vk::F1 + (key - SDLK_F1);
    if (key >= SDLK_F13 && key <= SDLK_F24) return vk::F12 + 1 + (key - SDLK_F13);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return vk::Numpad0 + 1 + (key - SDLK_KP_1);
    switch (key) {
    case SDLK_BACKSPACE: return vk::Back;
    case SDLK_TAB: return vk::Tab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return vk::Return;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return vk::Shift;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return vk::Control;
    case SDLK_LALT:
    case SDLK_RALT: return vk::Menu;
    case SDLK_PAUSE: return vk::Pause;
    case SDLK_CAPSLOCK: return vk::Capital;
    case SDLK_ESCAPE: return vk::Escape;
    case SDLK_SPACE: return vk::Space;
    case SDLK_PAGEUP: return vk::Prior;
    case SDLK_PAGEDOWN: return vk::Next;
    case SDLK_END: return vk::End;
    case SDLK_HOME: return vk::Home;
    case SDLK_LEFT: return vk::Left;
    case SDLK_UP: return vk::Up;
    case SDLK_RIGHT: return vk::Right;
    case SDLK_DOWN: return vk::Down;
    case SDLK_PRINTSCREEN: return vk::Snapshot;
    case SDLK_INSERT: return vk::Insert;
    case SDLK_DELETE: return vk::Delete;
    case SDLK_LGUI: return vk::LWin;
    case SDLK_RGUI: return vk::RWin;
    case SDLK_APPLICATION: return vk::Apps;
    case SDLK_KP_0: return vk::Numpad0;
    case SDLK_KP_MULTIPLY: return vk::Multiply;
    case SDLK_KP_PLUS: return vk::Add;
    case SDLK_KP_MINUS: return vk::Subtract;
    case SDLK_KP_PERIOD: return vk::Decimal;
    case SDLK_KP_DIVIDE: return vk::Divide;
    case SDLK_NUMLOCKCLEAR: return vk::NumLock;
    case SDLK_SCROLLLOCK: return vk::Scroll;
    // US-layout punctuation (the OEM keys).
    case SDLK_SEMICOLON: return 186;
    case SDLK_EQUALS: return 187;
    case SDLK_COMMA: return 188;
    case SDLK_MINUS: return 189;
    case SDLK_PERIOD: return 190;
    case SDLK_SLASH: return 191;
    case SDLK_BACKQUOTE: return 192;
    case SDLK_LEFTBRACKET: return 219;
    case SDLK_BACKSLASH: return 220;
    case SDLK_RIGHTBRACKET: return 221;
    case SDLK_QUOTE: return 222;
    default: return 0;
    }
}

}  // namespace platform
