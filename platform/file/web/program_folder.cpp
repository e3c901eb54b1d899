#include "platform/file/program_folder.h"

namespace platform {

// The page loads the program from a URL: there is no folder it was installed in, and its data
// sits at the root of the in-memory file system it starts in.
std::string ProgramFolder() { return {}; }

}  // namespace platform
