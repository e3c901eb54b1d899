// The orrery3d program: the setup dialog, then the show in its window until Esc or its end.
#include <cstdio>
#include <string>
#include <string_view>

#include "app/data_folder.h"
#include "resources/version.h"
#include "show/demo_app.h"

namespace {

constexpr const char* kUsage =
    "usage: orrery3d [--help | --version]\n"
    "Plays Project Kaede: pick the display settings in the setup dialog, then the show runs\n"
    "until its end or until Esc is pressed. The show's files (its models, pictures and demo.mp3)\n"
    "are read from the folder the program is started in when that folder holds any of them, and\n"
    "otherwise from the installed data folder, ../share/orrery3d beside the program's folder.\n"
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
    if (const std::filesystem::path data = DataFolderToEnter(); !data.empty()) {
        std::string error;
        if (!EnterDataFolder(data, error)) {
            std::fprintf(stderr, "orrery3d: cannot enter the data folder %s\n", error.c_str());
            return 1;
        }
    }
    DemoApp app;
    if (!app.Startup(nullptr, " P r o j e c t   K a e d e    b y   K e s t r e l  L o o m"))
        return app.StartupExitCode();
    return app.RunMessageLoop();
}
