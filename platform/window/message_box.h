// Modal message boxes with a caption, an icon and an OK button.
#pragma once

#include "platform/window/window.h"

namespace platform {

enum class MessageIcon { Error, Warning };

// Shows a modal box owned by owner (null: no owner) and waits until it is dismissed. Blocks only
// the calling thread. False when no box could be shown: a headless owner, no display, or the
// window system refused.
bool ShowMessageBox(Window* owner, const char* caption, const char* text, MessageIcon icon);

}  // namespace platform
