// dialog-probe OUTPUT: shows the setup dialog and writes the answer and the choices to OUTPUT,
// and a second line if the dialog left other X error handlers in place than it found.
#include <X11/Xlib.h>

#include <cstdio>

#include "app/setup_dialog.h"

namespace {
int ProbeXError(Display*, XErrorEvent*) { return 0; }
int ProbeXIOError(Display*) { return 0; }
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dialog-probe OUTPUT\n");
        return 2;
    }
    XSetErrorHandler(ProbeXError);
    XSetIOErrorHandler(ProbeXIOError);
    SetupChoices choices;
    const bool run = ShowSetupDialog(choices, nullptr);
    const bool kept = XSetErrorHandler(nullptr) == ProbeXError && XSetIOErrorHandler(nullptr) == ProbeXIOError;
    std::FILE* out = std::fopen(argv[1], "w");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(out, "run %d highPriority %d resolutionIndex %d antialias %d fullscreen %d colour32 %d\n", run ? 1 : 0,
                 choices.highPriority, choices.resolutionIndex, choices.antialias, choices.fullscreen, choices.colour32);
    if (!kept) std::fprintf(out, "X error handlers replaced\n");
    std::fclose(out);
    return 0;
}
