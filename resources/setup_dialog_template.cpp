// Dialog 101: the setup dialog, 305 x 209 dialog units.
#include <string>

#include "resources/credit_names.h"
#include "resources/setup_dialog_resources.h"

namespace {

using platform::ControlKind;
using platform::DialogControl;

enum Initial { kNone = 0, kChecked = 1, kDisabled = 2 };

DialogControl Control(int id, ControlKind kind, std::string caption, int x, int y, int w, int h, int initial = kNone) {
    DialogControl control;
    control.id = id;
    control.kind = kind;
    control.caption = std::move(caption);
    control.x = x;
    control.y = y;
    control.width = w;
    control.height = h;
    control.checked = (initial & kChecked) != 0;
    control.disabled = (initial & kDisabled) != 0;
    return control;
}

// The credits box: one line per role, each naming its person.
std::string CreditsText() {
    using namespace credit_names;
    return std::string("Lead Programmer: ") + kLeadProgrammer + "\nModeling: " + kModeling +
           "\nAnimations: " + kAnimation + "\nSoundtrack: " + kSoundtrack;
}

platform::DialogTemplate SetupDialog() {
    constexpr auto kDefault = ControlKind::DefaultPushButton;
    constexpr auto kPush = ControlKind::PushButton;
    constexpr auto kRadio = ControlKind::PushLikeRadio;
    constexpr auto kCheck = ControlKind::AutoCheckBox;
    constexpr auto kText = ControlKind::StaticText;
    constexpr auto kGroup = ControlKind::GroupBox;

    platform::DialogTemplate t;
    t.id = IDD_SETUP;
    t.caption = "Project Kaede  Setup";
    t.fontName = "MS Sans Serif";
    t.pointSize = 8;
    t.width = 305;
    t.height = 209;
    t.style = platform::DS_MODALFRAME | platform::DS_SETFONT | platform::WS_POPUP | platform::WS_CAPTION |
              platform::WS_SYSMENU | platform::WS_MINIMIZEBOX;

    DialogControl picture = Control(-1, ControlKind::SunkenPicture, "", 13, 122, 25, 22);
    picture.picture = LoadBitmapResource(IDB_SETUP_PICTURE);

    t.controls = {
        Control(IDC_RUN_DEMO, kDefault, "Run demo", 193, 188, 50, 14),
        Control(IDC_CANCEL, kPush, "Cancel", 248, 188, 50, 14),
        Control(IDC_RES_640X480, kRadio, "640x480", 69, 18, 51, 10, kChecked),
        Control(IDC_RES_800X600, kRadio, "800x600", 125, 18, 51, 10),
        Control(IDC_ENGINE_CREDIT, kText, "Orrery3D engine 1.0\nKestrel Loom", 43, 120, 110, 26),
        Control(IDC_RESOLUTION_GROUP, kGroup, "Screen resolution", 7, 7, 288, 27),
        Control(IDC_RES_1024X768, kRadio, "1024x768", 183, 18, 51, 10, kDisabled),
        Control(IDC_RES_640X400, kRadio, "640x400", 13, 18, 52, 10),
        Control(IDC_OPTIONS_GROUP, kGroup, "Rendering Options", 7, 35, 288, 71),
        Control(IDC_HIGH_PRIORITY, kCheck, "High Priority", 15, 57, 50, 10),
        Control(IDC_ZBUFFER_32, kCheck, "Use 32 bit Zbuffer", 15, 44, 72, 10, kDisabled),
        Control(IDC_RES_1280X1024, kRadio, "1280x1024", 240, 18, 51, 10, kDisabled),
        picture,
        Control(IDC_COLOURS_32, kCheck, "Use 32 bit colors", 15, 71, 72, 10, kChecked),
        Control(-1, kGroup, "Credits", 7, 110, 289, 67),
        Control(-1, kText, CreditsText(), 162, 120, 126, 44),
        Control(IDC_FULLSCREEN, kCheck, "Fullscreen", 15, 83, 72, 10),
        Control(IDC_ANTIALIAS, kCheck, "Use Fullscene AntiAliasing", 89, 44, 96, 10, kDisabled),
    };
    return t;
}

}  // namespace

platform::DialogTemplate LoadDialogTemplate(int id) {
    if (id != IDD_SETUP) return {};
    return SetupDialog();
}
