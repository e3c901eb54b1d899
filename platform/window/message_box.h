// Modal message boxes with a caption, an icon and an OK button.
//
// The window system's boxes are safest shown from the thread that pumps events, so a box asked
// for on another thread while that thread pumps is handed to it; the asking thread waits.
#pragma once

#include "platform/window/window.h"

namespace platform {

enum class MessageIcon { Error, Warning };

// Shows a modal box owned by owner (null: no owner) and waits until it is dismissed. False when
// no box could be shown: a headless owner, no display, the window system refused, or the pumping
// thread stopped pumping before it could show the box.
bool ShowMessageBox(Window* owner, const char* caption, const char* text, MessageIcon icon);

// Declares whether the calling thread is pumping events (WaitEvent) and so serves boxes asked
// for by other threads. Turning it off makes waiting askers give up.
void SetMessageBoxPump(bool active);

// Shows a box another thread asked for, if any; called by WaitEvent on the pumping thread.
void ServeMessageBoxRequest();

// The Wake code WaitEvent consumes for box requests.
constexpr int kMessageBoxWakeCode = 0x0B0C;

}  // namespace platform
