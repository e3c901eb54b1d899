#include "tools/capture/options.h"

#include "platform/cmdline/command_line.h"
#include "platform/cmdline/values.h"
#include "resources/version.h"
#include "tools/capture/contact_sheet.h"

namespace capture {

namespace {

constexpr int kMaxSide = 8192;
// The show's last frame is the first whose show time reaches this.
constexpr double kShowLength = 258.0;
constexpr const char* kTimeNote = " (show times run from 0 to 258)";

// Every option, each storing into `options`.
cmdline::Program CommandLine(Options& options) {
    cmdline::Program program;
    program.name = "orrery3d-capture";
    program.version = kProgramVersion;
    program.head =
        "usage: orrery3d-capture [options]\n"
        "  Runs the show headless on a virtual clock, without sound, and saves what it draws.\n";
    program.column = 17;
    program.tail =
        "  Show times run from 0 to 258 seconds.\n"
        "  The show's files are read from the folder the program is started in when that folder\n"
        "  holds any of them, and otherwise from the installed data folder, ../share/orrery3d\n"
        "  beside the program's folder; the paths given to --out, --video and --contact-sheet\n"
        "  stay relative to the folder the program is started in.\n";
    program.answering = cmdline::Answering::kAfterParsing;
    program.operands = cmdline::Operands::kNone;
    using cmdline::Flag;
    using cmdline::Value;
    program.options = {
        Value("--size", "WxH", "back-buffer size (default 640x480)",
              cmdline::SizeIn(16, kMaxSide, options.width, options.height)),
        Flag("--colour16", "16-bit colour instead of 32-bit", [&options] { options.colour16 = true; }),
        Value("--fps", "N", "frames per second of show time (default 60)", cmdline::IntIn(1, 1000, options.fps)),
        Flag("--loading", "save the loading frame as loading.png", [&options] { options.loading = true; }),
        Value("--at", "T", "save the first frame whose show time reaches T seconds (repeatable)",
              cmdline::DecimalsIn(0.0, kShowLength, options.at), kTimeNote),
        Value("--from", "A", "save every frame from show time A ...", cmdline::DecimalIn(0.0, kShowLength, options.from),
              kTimeNote),
        Value("--to", "B", "... to B (either may be left out); with --video or --bench: where they end",
              cmdline::DecimalIn(0.0, kShowLength, options.to), kTimeNote),
        Value("--out", "DIR", "directory for the PNG files, named by show time: t012.500.png",
              cmdline::Text(options.outDir)),
        Value("--video", "FILE", "encode the show into an MP4 file (H.264), with demo.mp3 when present",
              cmdline::Text(options.video)),
        Value("--contact-sheet", "FILE", "write one PNG with a labelled thumbnail of every shot of the show",
              cmdline::Text(options.contactSheet)),
        Flag("--bench",
             "render as fast as possible and print frame times as one JSON line\n"
             "(each frame is waited for by reading it back)",
             [&options] { options.bench = true; }),
        cmdline::Help("this text", "-h"),
        cmdline::Version("the program's version"),
    };
    return program;
}

// A request that parses well but could never be met; empty when there is none.
std::string Contradiction(const Options& options) {
    if (options.from >= 0.0 && options.to >= 0.0 && options.from > options.to) return "--from is after --to";
    for (double t : options.at) {
        if (options.to >= 0.0 && t > options.to) return "--at " + std::to_string(t) + " is after --to, where the run ends";
    }
    if (options.Continuous() && options.from >= 0.0) return "--from saves a span of frames: not with --video or --bench";
    if (options.SavesContactSheet() && options.to >= 0.0 && options.to < static_cast<double>(ShowShots().back().time))
        return "--to ends the run before the contact sheet's last shot";
    if (!options.SavesFrames() && !options.Continuous() && !options.SavesContactSheet())
        return "nothing to do: give --loading, --at, --from/--to, --video, --bench or --contact-sheet";
    return {};
}

}  // namespace

// The declaration for its texts alone: what it stores goes nowhere.
const cmdline::Program& Declaration() {
    static Options unused;
    static const cmdline::Program program = CommandLine(unused);
    return program;
}

const char* UsageText() {
    static const std::string text = cmdline::UsageText(Declaration());
    return text.c_str();
}

cmdline::Reply Answer(const Options& options) {
    return cmdline::ReplyTo(Declaration(), {options.help ? cmdline::Outcome::kHelp : cmdline::Outcome::kVersion, {}});
}

cmdline::Reply UsageError(const std::string& error) { return cmdline::UsageError(Declaration(), error); }

void Options::AnchorPaths(const std::filesystem::path& base) {
    for (std::string* path : {&outDir, &video, &contactSheet}) {
        if (path->empty() || std::filesystem::path(*path).is_absolute()) continue;
        std::filesystem::path anchored = (base / *path).lexically_normal();
        if (!anchored.has_filename() && anchored.has_parent_path()) anchored = anchored.parent_path();  // "dir/." -> "dir"
        *path = anchored.string();
    }
}

bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
    const cmdline::Parsed parsed = cmdline::Parse(CommandLine(options), argc, argv);
    options.help = parsed.outcome == cmdline::Outcome::kHelp;
    options.version = parsed.outcome == cmdline::Outcome::kVersion;
    if (parsed.outcome == cmdline::Outcome::kUsageError) {
        error = parsed.error;
        return false;
    }
    if (options.help || options.version) return true;
    error = Contradiction(options);
    return error.empty();
}

}  // namespace capture
