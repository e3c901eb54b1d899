// WebGL 2 contexts on the page's canvases, for the browser's windows.
#pragma once

#include <functional>
#include <memory>

#include "platform/window/window.h"

namespace platform::web {

// A WebGL 2 context on the canvas the CSS selector names, current once made. presented runs at
// every SwapBuffers, after which the worker gives the browser its turn (the canvas shows the
// frame then). Null, with a message on stderr naming the canvas, when the browser refuses.
std::unique_ptr<GlContext> CreateWebGlContext(const char* selector, std::function<void()> presented);

}  // namespace platform::web
