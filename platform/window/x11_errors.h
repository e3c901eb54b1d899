// Non-fatal X protocol errors. Xlib's default handler ends the process on any error, and some
// driver paths (a GLX context the server refuses, for one) raise errors that are not fatal to us:
// the failing call returns its own failure, which the caller reports.
#pragma once

namespace platform {

// Installs a handler that writes X errors to stderr and carries on. Idempotent.
void InstallX11ErrorHandler();

}  // namespace platform
