#include "platform/sound/sound_file.h"

#include <cstdio>

namespace platform {

bool OpenSoundFile(const char* path, DataFile& file) {
    if (file.Open(path)) return true;
    if (file.Cause() == kNotRegularFile)
        std::fprintf(stderr, "sound: %s: not a regular file (%s), not played\n", path, file.RefusedKind());
    else
        std::fprintf(stderr, "sound: %s: cannot open (%s)\n", path, file.Cause().c_str());
    return false;
}

}  // namespace platform
