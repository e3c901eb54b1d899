// The mouse cursor over the program's windows.
#pragma once

namespace platform {

// Shows or hides the cursor; does nothing when no window system is running.
void ShowCursor(bool show);

}  // namespace platform
