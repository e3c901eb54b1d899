#include "app/setup_dialog.h"

#include "resources/setup_dialog_resources.h"

namespace {

bool IsChecked(platform::DialogHandle dialog, int id) {
    return platform::SendDlgItemMessage(dialog, id, platform::BM_GETCHECK, 0, 0) ==
           static_cast<std::intptr_t>(platform::BST_CHECKED);
}

void Centre(platform::DialogHandle dialog) {
    platform::DialogRect rect{};
    platform::GetWindowRect(dialog, &rect);
    const int left = (platform::GetSystemMetrics(platform::SM_CXSCREEN) - rect.right) / 2;
    const int top = (platform::GetSystemMetrics(platform::SM_CYSCREEN) - rect.bottom) / 2;
    platform::SetWindowPos(dialog, nullptr, left, top, 0, 0, platform::SWP_NOSIZE);
}

void ReadChoices(platform::DialogHandle dialog, SetupChoices& choices) {
    // The order matters: the last checked button wins.
    constexpr struct {
        int id;
        std::int32_t index;
    } kResolutions[] = {{IDC_RES_640X400, 0}, {IDC_RES_640X480, 1}, {IDC_RES_800X600, 2},
                        {IDC_RES_1024X768, 3}, {IDC_RES_1280X1024, 4}};
    for (const auto& r : kResolutions)
        if (IsChecked(dialog, r.id)) choices.resolutionIndex = r.index;
    if (IsChecked(dialog, IDC_FULLSCREEN)) choices.fullscreen = 1;
    if (IsChecked(dialog, IDC_HIGH_PRIORITY)) choices.highPriority = 1;
    if (IsChecked(dialog, IDC_COLOURS_32)) choices.colour32 = 1;
    if (IsChecked(dialog, IDC_ANTIALIAS)) choices.antialias = 1;
}

}  // namespace

bool ShowSetupDialog(SetupChoices& choices, HWND owner) {
    const std::intptr_t result = platform::DialogBoxParam(LoadDialogTemplate(IDD_SETUP), owner, SetupDialogProc,
                                                          reinterpret_cast<LPARAM>(&choices));
    return result == IDC_RUN_DEMO;
}

bool SetupDialogProc(platform::DialogHandle dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == platform::WM_INITDIALOG) {
        platform::SetWindowLongPtr(dialog, platform::DWLP_USER, lParam);
        platform::SendDlgItemMessage(dialog, IDC_RES_640X480, platform::BM_SETCHECK, platform::BST_CHECKED, 0);
        platform::SendDlgItemMessage(dialog, IDC_COLOURS_32, platform::BM_SETCHECK, platform::BST_CHECKED, 0);
        Centre(dialog);
        return false;
    }
    if (message != platform::WM_COMMAND) return false;
    switch (wParam) {
    case IDC_RUN_DEMO: {
        auto* choices = reinterpret_cast<SetupChoices*>(platform::GetWindowLongPtr(dialog, platform::DWLP_USER));
        if (!choices) return false;  // never initialised with a record: nothing to fill
        ReadChoices(dialog, *choices);
        platform::EndDialog(dialog, static_cast<std::intptr_t>(wParam));
        return true;
    }
    case IDC_CANCEL:
        platform::EndDialog(dialog, static_cast<std::intptr_t>(wParam));
        return true;
    default:
        return false;
    }
}

void ResolutionForIndex(std::int32_t index, std::int32_t& width, std::int32_t& height) {
    constexpr std::int32_t kSizes[][2] = {{640, 400}, {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
    const bool known = index >= 0 && index < static_cast<std::int32_t>(std::size(kSizes));
    width = known ? kSizes[index][0] : 640;
    height = known ? kSizes[index][1] : 480;
}

void ApplySetupChoices(const SetupChoices& choices, DisplaySettings& settings) {
    settings.highPriority = choices.highPriority == 1 ? 1 : 0;
    settings.fullscreen = choices.fullscreen;
    settings.colour32 = choices.colour32;
    settings.antialias = choices.antialias;
    ResolutionForIndex(choices.resolutionIndex, settings.width, settings.height);
}
