// The display-free dialog: unit conversion, control states, clicks and the dialog calls.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/dialog/dialog.h"
#include "platform/dialog/dialog_state.h"

namespace {

using namespace platform;

DialogControl Make(int id, ControlKind kind, bool checked = false, bool disabled = false, int group = 0) {
    DialogControl c;
    c.id = id;
    c.kind = kind;
    c.caption = std::string("c").append(std::to_string(id));
    c.width = 40;
    c.height = 10;
    c.checked = checked;
    c.disabled = disabled;
    c.group = group;
    return c;
}

DialogTemplate Sample() {
    DialogTemplate t;
    t.caption = "Sample";
    t.width = 305;
    t.height = 209;
    t.controls = {Make(1, ControlKind::DefaultPushButton), Make(2, ControlKind::PushButton),
                  Make(10, ControlKind::PushLikeRadio, true), Make(11, ControlKind::PushLikeRadio),
                  Make(12, ControlKind::PushLikeRadio, false, true), Make(20, ControlKind::PushLikeRadio, true, false, 1),
                  Make(30, ControlKind::AutoCheckBox), Make(40, ControlKind::StaticText),
                  Make(-1, ControlKind::GroupBox)};
    return t;
}

// Records what the procedure receives and ends the dialog on 1 and 2.
struct Recorder {
    std::vector<std::pair<unsigned, DialogWParam>> messages;
    DialogLParam initParam = 0;
};
Recorder* recorder = nullptr;

bool RecordingProc(DialogHandle dialog, unsigned message, DialogWParam wParam, DialogLParam lParam) {
    recorder->messages.emplace_back(message, wParam);
    if (message == WM_INITDIALOG) recorder->initParam = lParam;
    if (message == WM_COMMAND && (wParam == 1 || wParam == 2)) EndDialog(dialog, static_cast<std::intptr_t>(wParam) + 40);
    return message == WM_COMMAND;
}

class DialogStateTest : public ::testing::Test {
protected:
    void SetUp() override { recorder = &record; }
    void TearDown() override { recorder = nullptr; }
    Recorder record;
};

TEST(DialogUnits, MulDivRoundsHalvesAwayFromZeroAndReportsFailure) {
    EXPECT_EQ(MulDiv(305, 6, 4), 458);  // 457.5
    EXPECT_EQ(MulDiv(209, 13, 8), 340); // 339.625
    EXPECT_EQ(MulDiv(-305, 6, 4), -458);
    EXPECT_EQ(MulDiv(305, 6, -4), -458);
    EXPECT_EQ(MulDiv(7, 1, 2), 4);
    EXPECT_EQ(MulDiv(5, 1, 4), 1);
    EXPECT_EQ(MulDiv(1, 2, 0), -1);
    EXPECT_EQ(MulDiv(1 << 30, 8, 1), -1);                // does not fit an int
    EXPECT_EQ(MulDiv(1 << 30, 1 << 30, 1 << 30), 1 << 30);  // the product is wider than an int
    EXPECT_EQ(DialogUnitsToPixelsX(13), 20);                // 19.5
    EXPECT_EQ(DialogUnitsToPixelsY(18), 29);                // 29.25
}

TEST_F(DialogStateTest, StartsFromTheTemplateAtTheOrigin) {
    DialogState state(Sample());
    const DialogRect rect = state.WindowRect();
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 458);
    EXPECT_EQ(rect.bottom, 340);
    EXPECT_TRUE(state.IsChecked(10));
    EXPECT_FALSE(state.IsChecked(11));
    EXPECT_FALSE(state.IsEnabled(12));
    EXPECT_TRUE(state.IsEnabled(30));
    EXPECT_FALSE(state.HasControl(-1));  // unnamed controls cannot be addressed
    EXPECT_FALSE(state.Ended());
    int marker = 0;
    EXPECT_FALSE(state.Start(RecordingProc, reinterpret_cast<DialogLParam>(&marker)));
    ASSERT_EQ(record.messages.size(), 1u);
    EXPECT_EQ(record.messages[0].first, WM_INITDIALOG);
    EXPECT_EQ(record.initParam, reinterpret_cast<DialogLParam>(&marker));
}

TEST_F(DialogStateTest, RadioButtonsExcludeEachOtherWithinTheirGroupOnly) {
    DialogState state(Sample());
    state.Start(RecordingProc, 0);
    EXPECT_TRUE(state.Click(11));
    EXPECT_TRUE(state.IsChecked(11));
    EXPECT_FALSE(state.IsChecked(10));
    EXPECT_TRUE(state.IsChecked(20));  // another group
    EXPECT_TRUE(state.Click(11));      // clicking a checked one keeps it checked and still reports
    EXPECT_TRUE(state.IsChecked(11));
    // Disabled, static and unknown controls take no clicks and send nothing.
    EXPECT_FALSE(state.Click(12));
    EXPECT_FALSE(state.IsChecked(12));
    EXPECT_FALSE(state.Click(40));
    EXPECT_FALSE(state.Click(999));
    EXPECT_FALSE(state.Click(-1));
    ASSERT_EQ(record.messages.size(), 3u);
    EXPECT_EQ(record.messages[1], std::make_pair(WM_COMMAND, DialogWParam{11}));
    EXPECT_EQ(record.messages[2], std::make_pair(WM_COMMAND, DialogWParam{11}));
}

TEST_F(DialogStateTest, CheckBoxesToggleAndButtonsEndTheDialog) {
    DialogState state(Sample());
    state.Start(RecordingProc, 0);
    EXPECT_TRUE(state.Click(30));
    EXPECT_TRUE(state.IsChecked(30));
    EXPECT_TRUE(state.Click(30));
    EXPECT_FALSE(state.IsChecked(30));
    EXPECT_TRUE(state.PressReturn());
    EXPECT_TRUE(state.Ended());
    EXPECT_EQ(state.Result(), 41);
    // Once ended nothing reaches the procedure any more, and the first result stands.
    const std::size_t seen = record.messages.size();
    EXPECT_FALSE(state.Click(2));
    state.Cancel();
    EndDialog(&state, 7);
    EXPECT_EQ(record.messages.size(), seen);
    EXPECT_EQ(state.Result(), 41);
}

TEST_F(DialogStateTest, CheckMessagesReadAndWriteOnlyCheckableControls) {
    DialogState state(Sample());
    EXPECT_EQ(SendDlgItemMessage(&state, 10, BM_GETCHECK, 0, 0), static_cast<std::intptr_t>(BST_CHECKED));
    SendDlgItemMessage(&state, 10, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(SendDlgItemMessage(&state, 10, BM_GETCHECK, 0, 0), static_cast<std::intptr_t>(BST_UNCHECKED));
    SendDlgItemMessage(&state, 11, BM_SETCHECK, BST_CHECKED, 0);
    SendDlgItemMessage(&state, 10, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(state.IsChecked(11));  // setting a radio button directly leaves the others alone
    SendDlgItemMessage(&state, 12, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(state.IsChecked(12));  // disabled controls still take a state from the program
    SendDlgItemMessage(&state, 1, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendDlgItemMessage(&state, 1, BM_GETCHECK, 0, 0), 0);
    EXPECT_EQ(SendDlgItemMessage(&state, 999, BM_GETCHECK, 0, 0), 0);
    EXPECT_EQ(SendDlgItemMessage(nullptr, 10, BM_GETCHECK, 0, 0), 0);
}

TEST_F(DialogStateTest, WindowPositionFollowsTheFlags) {
    DialogState state(Sample());
    EXPECT_TRUE(SetWindowPos(&state, nullptr, 283, 214, 1, 1, SWP_NOSIZE));
    DialogRect rect{};
    ASSERT_TRUE(GetWindowRect(&state, &rect));
    EXPECT_EQ(rect.left, 283);
    EXPECT_EQ(rect.top, 214);
    EXPECT_EQ(rect.right, 283 + 458);
    EXPECT_EQ(rect.bottom, 214 + 340);
    EXPECT_TRUE(SetWindowPos(&state, nullptr, 0, 0, 100, 50, SWP_NOMOVE | SWP_NOZORDER));
    ASSERT_TRUE(GetWindowRect(&state, &rect));
    EXPECT_EQ(rect.left, 283);
    EXPECT_EQ(rect.right, 383);
    EXPECT_EQ(rect.bottom, 264);
    EXPECT_FALSE(SetWindowPos(&state, nullptr, 0, 0, -5, 10, 0));
    EXPECT_FALSE(SetWindowPos(nullptr, nullptr, 0, 0, 0, 0, SWP_NOSIZE));
    EXPECT_FALSE(GetWindowRect(&state, nullptr));
    EXPECT_FALSE(GetWindowRect(nullptr, &rect));
}

TEST_F(DialogStateTest, ViewMirrorsChangesOfTheState) {
    struct View : DialogView {
        std::vector<std::pair<int, bool>> checks;
        std::vector<DialogRect> moves;
        void CheckChanged(int id, bool checked) override { checks.emplace_back(id, checked); }
        void Moved(const DialogRect& rect) override { moves.push_back(rect); }
    } view;
    DialogState state(Sample());
    state.SetView(&view);
    state.Start(RecordingProc, 0);
    state.Click(11);
    SendDlgItemMessage(&state, 11, BM_SETCHECK, BST_CHECKED, 0);  // no change: nothing to show
    SetWindowPos(&state, nullptr, 5, 6, 0, 0, SWP_NOSIZE);
    ASSERT_EQ(view.checks.size(), 2u);
    EXPECT_EQ(view.checks[0], std::make_pair(10, false));
    EXPECT_EQ(view.checks[1], std::make_pair(11, true));
    ASSERT_EQ(view.moves.size(), 1u);
    EXPECT_EQ(view.moves[0].left, 5);
    EXPECT_EQ(view.moves[0].bottom, 6 + 340);
}

TEST(DialogCalls, UserDataAndScreenMetrics) {
    DialogState state(Sample());
    EXPECT_EQ(SetWindowLongPtr(&state, DWLP_USER, 1234), 0);
    EXPECT_EQ(GetWindowLongPtr(&state, DWLP_USER), 1234);
    EXPECT_EQ(GetWindowLongPtr(&state, 0), 0);
    EXPECT_EQ(GetWindowLongPtr(nullptr, DWLP_USER), 0);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 0);  // nothing known yet
    SetScreenSize(1280, 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(77), 0);
}

TEST(DialogCalls, DialogBoxRefusesWhatItCannotShow) {
    EXPECT_EQ(DialogBoxParam(DialogTemplate{}, nullptr, RecordingProc, 0), -1);  // empty template
    EXPECT_EQ(DialogBoxParam(Sample(), nullptr, nullptr, 0), -1);              // no procedure
}

TEST(DialogCalls, WithoutADisplayTheDialogFailsWithAMessage) {
    unsetenv("DISPLAY");
    static int calls = 0;
    auto counting = [](DialogHandle, unsigned, DialogWParam, DialogLParam) { return ++calls > 0; };
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(DialogBoxParam(Sample(), nullptr, counting, 0), -1);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("dialog \"Sample\": cannot open the display"), std::string::npos) << err;
    EXPECT_EQ(calls, 0);
}

}  // namespace
