#include "platform/window/key_map.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace {

using platform::VirtualKeyFromSdlKey;

TEST(KeyMap, LettersAndDigitsUseTheirUpperCaseCharacterCodes) {
    for (int i = 0; i < 26; ++i) EXPECT_EQ(VirtualKeyFromSdlKey(SDLK_a + i), 'A' + i) << char('a' + i);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(VirtualKeyFromSdlKey(SDLK_0 + i), '0' + i) << i;
    EXPECT_EQ(VirtualKeyFromSdlKey(SDLK_a), 65);
    EXPECT_EQ(VirtualKeyFromSdlKey(SDLK_z), 90);
}

TEST(KeyMap, FunctionKeysRunFromF1To112) {
    const SDL_Keycode keys[] = {SDLK_F1, SDLK_F2, SDLK_F3, SDLK_F4,  SDLK_F5,  SDLK_F6,
                                SDLK_F7, SDLK_F8, SDLK_F9, SDLK_F10, SDLK_F11, SDLK_F12};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(VirtualKeyFromSdlKey(keys[i]), 112 + i) << "F" << i + 1;
    EXPECT_EQ(VirtualKeyFromSdlKey(SDLK_F13), 124);
    EXPECT_EQ(VirtualKeyFromSdlKey(SDLK_F24), 135);
}

TEST(KeyMap, NamedKeys) {
    const std::pair<SDL_Keycode, int> table[] = {
        {SDLK_ESCAPE, 27},   {SDLK_RETURN, 13},   {SDLK_KP_ENTER, 13},  {SDLK_SPACE, 32},    {SDLK_TAB, 9},
        {SDLK_BACKSPACE, 8}, {SDLK_LSHIFT, 16},   {SDLK_RSHIFT, 16},    {SDLK_LCTRL, 17},    {SDLK_RCTRL, 17},
        {SDLK_LALT, 18},     {SDLK_RALT, 18},     {SDLK_LEFT, 37},      {SDLK_UP, 38},       {SDLK_RIGHT, 39},
        {SDLK_DOWN, 40},     {SDLK_PAGEUP, 33},   {SDLK_PAGEDOWN, 34},  {SDLK_END, 35},      {SDLK_HOME, 36},
        {SDLK_INSERT, 45},   {SDLK_DELETE, 46},   {SDLK_PAUSE, 19},     {SDLK_CAPSLOCK, 20}, {SDLK_PRINTSCREEN, 44},
        {SDLK_KP_0, 96},     {SDLK_KP_5, 101},    {SDLK_KP_9, 105},     {SDLK_KP_MULTIPLY, 106},
        {SDLK_KP_PLUS, 107}, {SDLK_KP_MINUS, 109}, {SDLK_KP_PERIOD, 110}, {SDLK_KP_DIVIDE, 111},
        {SDLK_NUMLOCKCLEAR, 144}, {SDLK_SCROLLLOCK, 145}, {SDLK_LGUI, 91}, {SDLK_RGUI, 92},
        {SDLK_APPLICATION, 93}, {SDLK_SEMICOLON, 186}, {SDLK_EQUALS, 187}, {SDLK_COMMA, 188},
        {SDLK_MINUS, 189},   {SDLK_PERIOD, 190},  {SDLK_SLASH, 191},    {SDLK_BACKQUOTE, 192},
        {SDLK_LEFTBRACKET, 219}, {SDLK_BACKSLASH, 220}, {SDLK_RIGHTBRACKET, 221}, {SDLK_QUOTE, 222},
    };
    for (const auto& [sdl, vk] : table) EXPECT_EQ(VirtualKeyFromSdlKey(sdl), vk) << SDL_GetKeyName(sdl);
}

TEST(KeyMap, KeysWithoutAVirtualCodeGiveZero) {
    for (SDL_Keycode key : std::initializer_list<SDL_Keycode>{SDLK_UNKNOWN, SDLK_AUDIOPLAY, SDLK_VOLUMEUP, SDLK_MODE,
                                                            SDLK_KP_EQUALS, 0x40000FFF})
        EXPECT_EQ(VirtualKeyFromSdlKey(key), 0) << key;
}

TEST(KeyMap, EveryAnswerIndexesTheKeyTable) {
    // Sweep the printable range and the scancode-derived range: nothing outside 0..254.
    std::set<int> seen;
    for (SDL_Keycode key = 0; key < 0x80; ++key) seen.insert(VirtualKeyFromSdlKey(key));
    for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc)
        seen.insert(VirtualKeyFromSdlKey(SDL_SCANCODE_TO_KEYCODE(static_cast<SDL_Scancode>(sc))));
    for (int vk : seen) {
        EXPECT_GE(vk, 0);
        EXPECT_LT(vk, 255);
    }
    EXPECT_GT(seen.size(), 90u);
}

}  // namespace
