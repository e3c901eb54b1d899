// The mouse cursor over the page's canvas.
#include "platform/window/cursor.h"

#include <emscripten.h>

EM_JS(void, orrery_canvas_cursor, (int shown), {
    const canvas = typeof document !== 'undefined' && document.getElementById('canvas');
    if (canvas) canvas.style.cursor = shown ? "auto" : "none";
});

namespace platform {

void ShowCursor(bool show) { orrery_canvas_cursor(show ? 1 : 0); }

}  // namespace platform
