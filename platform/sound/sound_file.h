// Opening a sound file: the refusals both builds' sources make before reading it.
#pragma once

#include "platform/file/data_file.h"

namespace platform {

// Opens path into file for reading if it is a regular file, without waiting on one that is not
// (a FIFO without a writer); false after one line on stderr naming the file and the cause.
bool OpenSoundFile(const char* path, DataFile& file);

}  // namespace platform
