// Starting the video encoder as a child process reading its frames from a pipe.
#pragma once

#include <sys/types.h>

#include <string>

namespace capture {

// Starts program (searched on PATH) with argv and stdinFd as its standard input. 0 with *pid set,
// or an errno value. The browser starts no programs: there it answers ENOSYS.
int SpawnWithStdin(const std::string& program, char* const* argv, int stdinFd, pid_t* pid);

}  // namespace capture
