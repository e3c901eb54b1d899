// orrery3d-assets OUTDIR: writes the show's data pack.
#include <cstdio>

int main(int argc, char** /*argv*/) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: orrery3d-assets OUTDIR\n");
        return 2;
    }
    return 0;
}
