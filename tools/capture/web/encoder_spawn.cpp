// The page cannot start programs: a video is encoded by the desktop's capture only.
#include "tools/capture/encoder_spawn.h"

#include <cerrno>

namespace capture {

int SpawnWithStdin(const std::string&, char* const*, int, pid_t*) { return ENOSYS; }

}  // namespace capture
