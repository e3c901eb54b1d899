// Command-line options of orrery3d-capture.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/cmdline/command_line.h"

namespace capture {

struct Options {
    int width = 640;
    int height = 480;
    bool colour16 = false;      // a 16-bit back buffer instead of 32-bit
    int fps = 60;               // the virtual clock advances 1/fps seconds per presented frame
    bool loading = false;       // save the loading frame as loading.png
    std::vector<double> at;     // save the first frame whose show time reaches each of these
    double from = -1.0;         // save every frame from here ... (negative: no span)
    double to = -1.0;           // ... to here; in video and benchmark runs only where they end
                                // (negative: the show's end)
    std::string outDir = ".";   // where PNG files go
    std::string video;          // MP4 file to encode the show into (empty: none)
    std::string contactSheet;   // PNG file with a labelled thumbnail of every shot (empty: none)
    bool bench = false;         // time the frames and print one JSON line
    bool help = false;
    bool version = false;

    bool Continuous() const { return !video.empty() || bench; }
    // Whether every frame of a span is saved (video and benchmark runs save no spans).
    bool HasSpan() const { return !Continuous() && (from >= 0.0 || to >= 0.0); }
    // Whether any PNG file is asked for.
    bool SavesFrames() const { return loading || !at.empty() || HasSpan(); }
    bool SavesContactSheet() const { return !contactSheet.empty(); }
    // Makes the relative paths of the files to write (outDir, video, contactSheet) absolute
    // from `base`, so they still point where they did once the working folder changes.
    void AnchorPaths(const std::filesystem::path& base);
};

// Parses argv; false, with a message in error, for an unknown option, a bad value or a
// request that could never be met.
bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error);

const char* UsageText();
// The usage text or the version, for an --help or --version that parsed well.
cmdline::Reply Answer(const Options& options);
// The error and the usage text, for exit code 2.
cmdline::Reply UsageError(const std::string& error);

}  // namespace capture
