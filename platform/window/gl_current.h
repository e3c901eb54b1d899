// The OpenGL context current on the calling thread.
#pragma once

namespace platform {

// Unbinds whatever context (on-screen or headless) is current on the calling thread. A thread
// that rendered calls this before it ends, so another thread can make the context current later
// (to release the device's objects at process exit, for one).
void ReleaseCurrentGlContext();

}  // namespace platform
