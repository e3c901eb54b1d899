// Command-line options of orrery3d-capture.
#pragma once

#include <string>

namespace capture {

struct Options {
    int frames = 1;            // frames to capture before the run is told to stop
    std::string outDir = ".";  // where frame_NNNNN.png files go
    int width = 640;
    int height = 480;
    double fps = 60.0;         // the virtual clock advances 1/fps seconds per presented frame
    bool help = false;
};

// Parses argv; false, with a message in error, for an unknown option or a bad value.
bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error);

const char* UsageText();

}  // namespace capture
