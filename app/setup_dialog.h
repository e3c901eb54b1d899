// The setup dialog: the user's start-up choices and how they become the display settings.
#pragma once

#include <cstdint>

#include "app/display_settings.h"
#include "app/window_messages.h"
#include "platform/dialog/dialog.h"

// What the dialog writes: each field 1 when chosen, 0 otherwise; resolutionIndex 0 to 4.
struct SetupChoices {
    std::int32_t highPriority = 0;
    std::int32_t resolutionIndex = 0;
    std::int32_t antialias = 0;
    std::int32_t fullscreen = 0;
    std::int32_t colour32 = 0;
};

// Runs the setup dialog (template 101) modally; true exactly when it ended with "Run demo".
// False as well when the dialog cannot be shown (no display), with a message on stderr.
bool ShowSetupDialog(SetupChoices& choices, HWND owner);

// The dialog procedure; lParam of WM_INITDIALOG is the SetupChoices record to fill.
bool SetupDialogProc(platform::DialogHandle dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The window and back-buffer size for a resolution index; 640 x 480 for unknown indices.
void ResolutionForIndex(std::int32_t index, std::int32_t& width, std::int32_t& height);

// Fills all six display settings from the choices.
void ApplySetupChoices(const SetupChoices& choices, DisplaySettings& settings);
