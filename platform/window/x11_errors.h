// X protocol errors and the loss of the display connection.
//
// Protocol errors: Xlib's default handler ends the process on any error, and some driver paths
// (a GLX context the server refuses, for one) raise errors that are not fatal to us: the failing
// call returns its own failure, which the caller reports.
//
// A lost connection (the server died or the connection was cut) is fatal: Xlib cannot be used
// again on any connection of the process, and its default handler calls exit(), which runs the
// process's exit handlers while other threads still wait in the window system.
#pragma once

namespace platform {

// The process's exit code when its display connection is lost, the same as the program's when
// its window system cannot be started.
constexpr int kLostDisplayExitCode = 1;

// Installs, for every X connection of the process (SDL's, the dialog's, the message boxes'):
// a handler that writes protocol errors to stderr and carries on, and one that reports a lost
// connection in one line on stderr and ends the process at once (_exit) with
// kLostDisplayExitCode. Idempotent.
void InstallX11ErrorHandlers();

}  // namespace platform
