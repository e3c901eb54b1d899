// In the browser every fiber runs on the page's one thread: a context the worker leaves current is
// already current for the main fiber, which releases the device's objects at the end. Unbinding it
// here would leave the device believing its context current while the browser has none.
#include "platform/window/gl_current.h"

namespace platform {

void ReleaseCurrentGlContext() {}

}  // namespace platform
