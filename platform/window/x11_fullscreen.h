// Full screen where no window manager runs.
//
// SDL asks the window manager to make a window full screen (the _NET_WM_STATE_FULLSCREEN
// request) and already counts the window as covering its display. Without a window manager (a
// bare X server, as tests use) nobody acts on the request, and the window would keep its size.
#pragma once

struct SDL_Window;

namespace platform {

// Where window is an X window and no window manager runs, places and sizes it over its display
// itself. Does nothing elsewhere. Call on the thread that pumps events, after SDL's request.
void CoverDisplayWithoutWindowManager(SDL_Window* window);

}  // namespace platform
