// A dialog template: the caption, font, size and controls of a modal dialog, in dialog units.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Window styles a template may carry (the classic values).
constexpr std::uint32_t DS_MODALFRAME = 0x00000080u;
constexpr std::uint32_t DS_SETFONT = 0x00000040u;
constexpr std::uint32_t WS_POPUP = 0x80000000u;
constexpr std::uint32_t WS_CAPTION = 0x00C00000u;
constexpr std::uint32_t WS_SYSMENU = 0x00080000u;
constexpr std::uint32_t WS_MINIMIZEBOX = 0x00020000u;

enum class ControlKind {
    DefaultPushButton,  // answers the Return key
    PushButton,
    // Auto radio button, exclusive within its group. Templates give it the push-like style, but
    // it is shown as a plain radio button: a round mark with the caption beside it.
    PushLikeRadio,
    AutoCheckBox,
    StaticText,
    GroupBox,
    SunkenPicture,  // a bitmap in a sunken frame, scaled to fit
};

// A 24-bit picture: rows top to bottom, 3 bytes (red, green, blue) per pixel, no padding.
struct DialogBitmap {
    int width = 0;
    int height = 0;
    const std::uint8_t* rgb = nullptr;  // static storage owned by whoever made the picture
};

struct DialogControl {
    int id = -1;  // -1: a control that is never addressed
    ControlKind kind = ControlKind::StaticText;
    std::string caption;
    int x = 0, y = 0, width = 0, height = 0;  // dialog units
    bool disabled = false;
    bool checked = false;  // initial state of radio buttons and check boxes
    int group = 0;         // radio buttons with the same group exclude each other
    DialogBitmap picture;  // SunkenPicture only
};

struct DialogTemplate {
    int id = 0;  // the resource number it was loaded from; 0 for none
    std::string caption;
    std::string fontName;
    int pointSize = 8;
    int width = 0, height = 0;  // dialog units
    std::uint32_t style = 0;
    std::vector<DialogControl> controls;

    // The control with the given id, or null.
    const DialogControl* Find(int id) const;
};

// a * b / c rounded to the nearest integer, halves away from zero; -1 when c is 0 or the
// result does not fit an int.
int MulDiv(int a, int b, int c);
// Dialog units to pixels for the 8-point dialog font (base units 6 x 13 at 96 dpi).
int DialogUnitsToPixelsX(int x);
int DialogUnitsToPixelsY(int y);

}  // namespace platform
