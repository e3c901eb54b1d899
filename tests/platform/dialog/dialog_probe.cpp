// dialog-probe OUTPUT: shows the setup dialog and writes the answer and the choices to OUTPUT.
#include <cstdio>

#include "app/setup_dialog.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dialog-probe OUTPUT\n");
        return 2;
    }
    SetupChoices choices;
    const bool run = ShowSetupDialog(choices, nullptr);
    std::FILE* out = std::fopen(argv[1], "w");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(out, "run %d highPriority %d resolutionIndex %d antialias %d fullscreen %d colour32 %d\n", run ? 1 : 0,
                 choices.highPriority, choices.resolutionIndex, choices.antialias, choices.fullscreen, choices.colour32);
    std::fclose(out);
    return 0;
}
