#include "platform/window/cursor.h"

#include <SDL.h>

namespace platform {

void ShowCursor(bool show) {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

}  // namespace platform
