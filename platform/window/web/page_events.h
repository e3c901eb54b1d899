// The page's DOM events as the shell's events (events.h), in the browser.
#pragma once

namespace platform::web {

// Starts listening to the page's keyboard and focus events (once; later calls do nothing).
void ListenToPage();

// Keys count for the shell only while its window is shown: keys pressed in the setup form or
// after the show are the page's own.
void SetShowWindowShown(bool shown);

// The virtual-key code for a DOM KeyboardEvent.keyCode (which browsers give as the Windows
// virtual-key codes), 0 for none.
int VirtualKeyFromDomKeyCode(unsigned long keyCode);

}  // namespace platform::web
