// The orrery3d program: the setup dialog, then the show in its window until Esc or its end.
#include <cstdio>
#include <string_view>

#include "resources/version.h"
#include "show/demo_app.h"

namespace {

constexpr const char* kUsage =
    "usage: orrery3d [--help | --version]\n"
    "Plays Project Kaede: pick the display settings in the setup dialog, then the show runs\n"
    "until its end or until Esc is pressed. Run it from the folder that holds the show's data\n"
    "files and demo.mp3.\n"
    "  --help     print this text and exit\n"
    "  --version  print the program's version and exit\n";

// --help and --version answer on stdout before anything is opened; the first of them found
// wins. Every other argument is ignored. True when the program has answered and should end.
bool AnswerInformationRequest(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help") {
            std::fputs(kUsage, stdout);
            return true;
        }
        if (argument == "--version") {
            std::printf("orrery3d %s\n", kProgramVersion);
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (AnswerInformationRequest(argc, argv)) return 0;
    DemoApp app;
    if (!app.Startup(nullptr, " P r o j e c t   K a e d e    b y   K e s t r e l  L o o m"))
        return app.StartupExitCode();
    return app.RunMessageLoop();
}
