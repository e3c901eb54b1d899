#include "tools/capture/encoder_spawn.h"

#include <spawn.h>
#include <unistd.h>

extern char** environ;

namespace capture {

int SpawnWithStdin(const std::string& program, char* const* argv, int stdinFd, pid_t* pid) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, stdinFd, STDIN_FILENO);
    const int rc = ::posix_spawnp(pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc;
}

}  // namespace capture
