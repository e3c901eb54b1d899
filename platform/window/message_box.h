// Modal message boxes with a caption, an icon and an OK button.
//
// The window system's boxes are safest shown from the thread that pumps events, so a box asked
// for on another thread while that thread pumps is handed to it (event_thread.h); the asking
// thread waits. In the browser the box is part of the page (web/message_box.cpp) and the caller
// yields until it is dismissed.
#pragma once

#include "platform/window/window.h"

namespace platform {

enum class MessageIcon { Error, Warning };

// Shows a modal box owned by owner (null: no owner) and waits until it is dismissed. False when
// no box could be shown: a headless owner, no display, the window system refused, or the pumping
// thread stopped pumping before it could show the box; in the browser, a page without #messages.
bool ShowMessageBox(Window* owner, const char* caption, const char* text, MessageIcon icon);

}  // namespace platform
