// The setup dialog's procedure, driven without a display, its template and the settings mapping.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/setup_dialog.h"
#include "platform/dialog/dialog_state.h"
#include "resources/setup_dialog_resources.h"

namespace {

using platform::DialogState;

class SetupDialogTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetScreenSize(1024, 768); }
    void Start() { state.Start(SetupDialogProc, reinterpret_cast<LPARAM>(&choices)); }
    DisplaySettings Settings() {
        DisplaySettings settings{-1, -1, -1, -1, -1, -1};
        ApplySetupChoices(choices, settings);
        return settings;
    }
    // The choices the dialog left, field by field, and the display settings they map to.
    void ExpectOutcome(const SetupChoices& want, const DisplaySettings& wantSettings) {
        EXPECT_EQ(choices.highPriority, want.highPriority);
        EXPECT_EQ(choices.resolutionIndex, want.resolutionIndex);
        EXPECT_EQ(choices.antialias, want.antialias);
        EXPECT_EQ(choices.fullscreen, want.fullscreen);
        EXPECT_EQ(choices.colour32, want.colour32);
        const DisplaySettings s = Settings();
        EXPECT_EQ(s.width, wantSettings.width);
        EXPECT_EQ(s.height, wantSettings.height);
        EXPECT_EQ(s.highPriority, wantSettings.highPriority);
        EXPECT_EQ(s.fullscreen, wantSettings.fullscreen);
        EXPECT_EQ(s.colour32, wantSettings.colour32);
        EXPECT_EQ(s.antialias, wantSettings.antialias);
    }

    SetupChoices choices;
    DialogState state{LoadDialogTemplate(IDD_SETUP)};
};

TEST_F(SetupDialogTest, RunDemoWithTheDefaultsGives640x480Windowed32BitColour) {
    Start();
    ASSERT_TRUE(state.PressReturn());
    ASSERT_TRUE(state.Ended());
    EXPECT_EQ(state.Result(), 1);
    ExpectOutcome({.highPriority = 0, .resolutionIndex = 1, .antialias = 0, .fullscreen = 0, .colour32 = 1},
                  {.width = 640, .height = 480, .highPriority = 0, .fullscreen = 0, .colour32 = 1, .antialias = 0});
}

TEST_F(SetupDialogTest, InitialisingChecksTheDefaultsEvenWhenTheTemplateDoesNot) {
    platform::DialogTemplate bare = LoadDialogTemplate(IDD_SETUP);
    for (platform::DialogControl& c : bare.controls) c.checked = false;
    DialogState fresh(bare);
    EXPECT_FALSE(fresh.Start(SetupDialogProc, reinterpret_cast<LPARAM>(&choices)));
    EXPECT_TRUE(fresh.IsChecked(IDC_RES_640X480));
    EXPECT_TRUE(fresh.IsChecked(IDC_COLOURS_32));
    EXPECT_FALSE(fresh.IsChecked(IDC_RES_640X400));
    EXPECT_FALSE(fresh.IsChecked(IDC_FULLSCREEN));
    EXPECT_FALSE(fresh.Ended());
}

TEST_F(SetupDialogTest, Choosing640x400GivesIndexZero) {
    Start();
    ASSERT_TRUE(state.Click(IDC_RES_640X400));
    EXPECT_FALSE(state.IsChecked(IDC_RES_640X480));
    EXPECT_FALSE(state.Ended());  // a resolution button does not end the dialog
    ASSERT_TRUE(state.Click(IDC_RUN_DEMO));
    EXPECT_EQ(choices.resolutionIndex, 0);
    const DisplaySettings s = Settings();
    EXPECT_EQ(s.width, 640);
    EXPECT_EQ(s.height, 400);
}

TEST_F(SetupDialogTest, TheLastCheckedResolutionButtonWins) {
    Start();
    // Several checked at once can only come from the program itself; the order decides.
    platform::SendDlgItemMessage(&state, IDC_RES_640X400, platform::BM_SETCHECK, platform::BST_CHECKED, 0);
    platform::SendDlgItemMessage(&state, IDC_RES_1024X768, platform::BM_SETCHECK, platform::BST_CHECKED, 0);
    state.Click(IDC_RUN_DEMO);
    EXPECT_EQ(choices.resolutionIndex, 3);
}

TEST_F(SetupDialogTest, FullscreenAndHighPriorityBoxes) {
    Start();
    state.Click(IDC_FULLSCREEN);
    state.Click(IDC_HIGH_PRIORITY);
    state.Click(IDC_COLOURS_32);  // unchecks 32-bit colour
    state.Click(IDC_RUN_DEMO);
    ExpectOutcome({.highPriority = 1, .resolutionIndex = 1, .antialias = 0, .fullscreen = 1, .colour32 = 0},
                  {.width = 640, .height = 480, .highPriority = 1, .fullscreen = 1, .colour32 = 0, .antialias = 0});
}

TEST_F(SetupDialogTest, DisabledControlsCannotBeChosen) {
    Start();
    EXPECT_FALSE(state.Click(IDC_RES_1024X768));
    EXPECT_FALSE(state.Click(IDC_RES_1280X1024));
    EXPECT_FALSE(state.Click(IDC_ANTIALIAS));
    EXPECT_FALSE(state.Click(IDC_ZBUFFER_32));
    state.Click(IDC_RUN_DEMO);
    EXPECT_EQ(choices.resolutionIndex, 1);
    EXPECT_EQ(choices.antialias, 0);
}

TEST_F(SetupDialogTest, AntialiasingBoxIsReadWhenChecked) {
    Start();
    platform::SendDlgItemMessage(&state, IDC_ANTIALIAS, platform::BM_SETCHECK, platform::BST_CHECKED, 0);
    state.Click(IDC_RUN_DEMO);
    EXPECT_EQ(choices.antialias, 1);
    EXPECT_EQ(Settings().antialias, 1);
}

TEST_F(SetupDialogTest, CancelEndsWithTwoAndLeavesTheChoices) {
    Start();
    state.Click(IDC_FULLSCREEN);
    state.Cancel();
    ASSERT_TRUE(state.Ended());
    EXPECT_EQ(state.Result(), 2);
    EXPECT_EQ(choices.fullscreen, 0);
    EXPECT_EQ(choices.resolutionIndex, 0);
    EXPECT_EQ(choices.colour32, 0);
}

TEST_F(SetupDialogTest, OtherMessagesAndCommandsAreNotHandled) {
    Start();
    EXPECT_FALSE(SetupDialogProc(&state, platform::WM_COMMAND, IDC_RES_800X600, 0));
    EXPECT_FALSE(SetupDialogProc(&state, 0x0200, IDC_RUN_DEMO, 0));  // not a command
    EXPECT_FALSE(state.Ended());
}

TEST_F(SetupDialogTest, RunDemoWithoutARecordDoesNothing) {
    state.Start(SetupDialogProc, 0);
    EXPECT_FALSE(SetupDialogProc(&state, platform::WM_COMMAND, IDC_RUN_DEMO, 0));
    EXPECT_FALSE(state.Ended());
}

TEST_F(SetupDialogTest, InitialisingCentresTheDialogOnTheScreen) {
    Start();
    platform::DialogRect rect{};
    ASSERT_TRUE(platform::GetWindowRect(&state, &rect));
    EXPECT_EQ(rect.left, (1024 - 458) / 2);
    EXPECT_EQ(rect.top, (768 - 340) / 2);
    EXPECT_EQ(rect.right - rect.left, 458);
    EXPECT_EQ(rect.bottom - rect.top, 340);
}

TEST(SetupDialogCentring, OddAndSmallScreensUseIntegerDivision) {
    struct Case {
        int screenWidth, screenHeight, left, top;
    } cases[] = {{1025, 769, 283, 214}, {1920, 1080, 731, 370}, {400, 300, -29, -20}};
    for (const Case& c : cases) {
        platform::SetScreenSize(c.screenWidth, c.screenHeight);
        SetupChoices choices;
        DialogState state(LoadDialogTemplate(IDD_SETUP));
        state.Start(SetupDialogProc, reinterpret_cast<LPARAM>(&choices));
        const platform::DialogRect rect = state.WindowRect();
        EXPECT_EQ(rect.left, c.left) << c.screenWidth;
        EXPECT_EQ(rect.top, c.top) << c.screenHeight;
        EXPECT_EQ(rect.right - rect.left, 458);
    }
}

TEST(SetupChoicesMapping, ResolutionTableWithFallback) {
    struct Case {
        int index, width, height;
    } cases[] = {{0, 640, 400}, {1, 640, 480}, {2, 800, 600}, {3, 1024, 768}, {4, 1280, 1024},
                 {-1, 640, 480}, {5, 640, 480}, {99, 640, 480}, {INT32_MIN, 640, 480}};
    for (const Case& c : cases) {
        SetupChoices choices;
        choices.resolutionIndex = c.index;
        DisplaySettings settings{};
        ApplySetupChoices(choices, settings);
        EXPECT_EQ(settings.width, c.width) << c.index;
        EXPECT_EQ(settings.height, c.height) << c.index;
    }
}

TEST(SetupChoicesMapping, HighPriorityOnlyForExactlyOneOptionsCopied) {
    SetupChoices choices;
    choices.highPriority = 2;
    choices.fullscreen = 1;
    choices.antialias = 1;
    DisplaySettings settings{0, 0, 7, 0, 7, 0};
    ApplySetupChoices(choices, settings);
    EXPECT_EQ(settings.highPriority, 0);
    EXPECT_EQ(settings.fullscreen, 1);
    EXPECT_EQ(settings.antialias, 1);
    EXPECT_EQ(settings.colour32, 0);
    choices.highPriority = 1;
    ApplySetupChoices(choices, settings);
    EXPECT_EQ(settings.highPriority, 1);
}

TEST(SetupTemplate, CaptionFontSizeAndStyle) {
    const platform::DialogTemplate t = LoadDialogTemplate(IDD_SETUP);
    EXPECT_EQ(t.caption, "Project Kaede  Setup");
    EXPECT_EQ(t.fontName, "MS Sans Serif");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.width, 305);
    EXPECT_EQ(t.height, 209);
    EXPECT_EQ(t.style & (platform::WS_POPUP | platform::WS_CAPTION | platform::WS_SYSMENU | platform::WS_MINIMIZEBOX |
                         platform::DS_MODALFRAME),
              platform::WS_POPUP | platform::WS_CAPTION | platform::WS_SYSMENU | platform::WS_MINIMIZEBOX |
                  platform::DS_MODALFRAME);
    EXPECT_EQ(t.controls.size(), 18u);
    EXPECT_TRUE(LoadDialogTemplate(102).controls.empty());
}

TEST(SetupTemplate, ControlsInOrderWithCaptionsPlacesAndStates) {
    using K = platform::ControlKind;
    struct Expected {
        int id;
        K kind;
        const char* caption;
        int x, y, w, h;
        bool checked, disabled;
    } expected[] = {
        {1, K::DefaultPushButton, "Run demo", 193, 188, 50, 14, false, false},
        {2, K::PushButton, "Cancel", 248, 188, 50, 14, false, false},
        {1000, K::PushLikeRadio, "640x480", 69, 18, 51, 10, true, false},
        {1001, K::PushLikeRadio, "800x600", 125, 18, 51, 10, false, false},
        {1008, K::StaticText, nullptr, 43, 120, 110, 26, false, false},
        {1009, K::GroupBox, "Screen resolution", 7, 7, 288, 27, false, false},
        {1010, K::PushLikeRadio, "1024x768", 183, 18, 51, 10, false, true},
        {1011, K::PushLikeRadio, "640x400", 13, 18, 52, 10, false, false},
        {1016, K::GroupBox, "Rendering Options", 7, 35, 288, 71, false, false},
        {1017, K::AutoCheckBox, "High Priority", 15, 57, 50, 10, false, false},
        {1018, K::AutoCheckBox, "Use 32 bit Zbuffer", 15, 44, 72, 10, false, true},
        {1020, K::PushLikeRadio, "1280x1024", 240, 18, 51, 10, false, true},
        {-1, K::SunkenPicture, nullptr, 13, 122, 25, 22, false, false},
        {1024, K::AutoCheckBox, "Use 32 bit colors", 15, 71, 72, 10, true, false},
        {-1, K::GroupBox, "Credits", 7, 110, 289, 67, false, false},
        {-1, K::StaticText, nullptr, 162, 120, 126, 44, false, false},
        {1026, K::AutoCheckBox, "Fullscreen", 15, 83, 72, 10, false, false},
        {1019, K::AutoCheckBox, "Use Fullscene AntiAliasing", 89, 44, 96, 10, false, true},
    };
    const platform::DialogTemplate t = LoadDialogTemplate(IDD_SETUP);
    ASSERT_EQ(t.controls.size(), std::size(expected));
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
        const platform::DialogControl& c = t.controls[i];
        const Expected& e = expected[i];
        SCOPED_TRACE("control " + std::to_string(i) + " id " + std::to_string(e.id));
        EXPECT_EQ(c.id, e.id);
        EXPECT_EQ(c.kind, e.kind);
        if (e.caption) {
            EXPECT_EQ(c.caption, e.caption);
        }
        EXPECT_EQ(c.x, e.x);
        EXPECT_EQ(c.y, e.y);
        EXPECT_EQ(c.width, e.w);
        EXPECT_EQ(c.height, e.h);
        EXPECT_EQ(c.checked, e.checked);
        EXPECT_EQ(c.disabled, e.disabled);
        // Everything lies inside the dialog.
        EXPECT_LE(c.x + c.width, t.width);
        EXPECT_LE(c.y + c.height, t.height);
    }
    // The radio buttons form one group, so picking one resolution drops the others.
    for (int id : {1000, 1001, 1010, 1011, 1020}) EXPECT_EQ(t.Find(id)->group, t.Find(1000)->group);
}

TEST(SetupTemplate, CreditsNameTheEngineAndFourRolesEachWithAPerson) {
    const platform::DialogTemplate t = LoadDialogTemplate(IDD_SETUP);
    const std::string engine = t.Find(IDC_ENGINE_CREDIT)->caption;
    EXPECT_NE(engine.find("Orrery3D"), std::string::npos);
    EXPECT_NE(engine.find("Kestrel Loom"), std::string::npos);
    std::stringstream lines(t.controls[15].caption);
    for (const std::string role : {"Lead Programmer", "Modeling", "Animations", "Soundtrack"}) {
        std::string line;
        ASSERT_TRUE(std::getline(lines, line)) << role;
        EXPECT_EQ(line.rfind(role + ": ", 0), 0u) << line;
        EXPECT_GT(line.size(), role.size() + 4) << "a name follows " << role;
    }
    EXPECT_TRUE(lines.eof());
}

TEST(SetupTemplate, PictureIsBitmap109Of35x33Pixels) {
    const platform::DialogTemplate t = LoadDialogTemplate(IDD_SETUP);
    const platform::DialogBitmap& picture = t.controls[12].picture;
    ASSERT_NE(picture.rgb, nullptr);
    EXPECT_EQ(picture.width, 35);
    EXPECT_EQ(picture.height, 33);
    const platform::DialogBitmap loaded = LoadBitmapResource(IDB_SETUP_PICTURE);
    EXPECT_EQ(loaded.rgb, picture.rgb);
    EXPECT_EQ(LoadBitmapResource(110).rgb, nullptr);
    // A picture, not a blank: the leaf (red dominant) at the centre, the sky (blue dominant) in
    // the corners.
    auto at = [&](int x, int y) { return picture.rgb + (y * picture.width + x) * 3; };
    EXPECT_GT(at(17, 14)[0], at(17, 14)[2]);
    EXPECT_GT(at(0, 0)[2], at(0, 0)[0]);
    EXPECT_GT(at(34, 32)[2], at(34, 32)[0]);
}

}  // namespace
