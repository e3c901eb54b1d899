// Where the running program's own file lies, for finding what was installed beside it.
#pragma once

#include <string>

namespace platform {

// The folder that holds the running program's executable, as an absolute path with symbolic
// links resolved; "" when the system does not say (and always in the browser, where the program
// has no file of its own).
std::string ProgramFolder();

}  // namespace platform
