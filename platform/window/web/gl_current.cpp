#include "platform/window/gl_current.h"

#include <emscripten/html5.h>

namespace platform {

void ReleaseCurrentGlContext() { emscripten_webgl_make_context_current(0); }

}  // namespace platform
