// The orrery3d program: the setup dialog, then the show in its window until Esc or its end.
#include <cstdio>
#include <optional>
#include <string>

#include "app/data_folder.h"
#include "platform/cmdline/command_line.h"
#include "resources/version.h"
#include "show/demo_app.h"

namespace {

// --help and --version answer on stdout before anything is opened; the first of them found
// wins. Every other argument is ignored.
cmdline::Program CommandLine() {
    cmdline::Program program;
    program.name = "orrery3d";
    program.version = kProgramVersion;
    program.head =
        "usage: orrery3d [--help | --version]\n"
        "Plays Project Kaede: pick the display settings in the setup dialog, then the show runs\n"
        "until its end or until Esc is pressed. The show's files (its models, pictures and demo.mp3)\n"
        "are read from the folder the program is started in when that folder holds any of them, and\n"
        "otherwise from the installed data folder, ../share/orrery3d beside the program's folder.\n";
    program.column = 13;
    program.answering = cmdline::Answering::kFirstFound;
    program.operands = cmdline::Operands::kAnyWord;
    program.options = {cmdline::Help("print this text and exit"),
                       cmdline::Version("print the program's version and exit")};
    return program;
}

}  // namespace

int main(int argc, char** argv) {
    const cmdline::Program commandLine = CommandLine();
    if (const std::optional<int> exitCode = cmdline::Answer(commandLine, argc, argv)) return *exitCode;
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
