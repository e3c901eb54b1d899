// ProgressBar: one line on a terminal, redrawn in place as a run advances (show time for the
// capture program, files written for the asset generator).
#pragma once

#include <cstdio>
#include <string>

namespace tools {

class ProgressBar {
public:
    // Draws on out for a run that ends at `end` (in `unit`s, shown with `decimals` places);
    // disabled draws nothing.
    ProgressBar(std::FILE* out, double end, bool enabled, const char* unit = "s", int decimals = 1);
    ~ProgressBar();

    // Redraws when the shown percentage has changed.
    void Update(double done);
    // Ends the line (once).
    void Finish();

    // The text of the line at t of a run ending at end, e.g.
    // "[##########..........]  50%  129.0/258.0 s".
    static std::string Line(double t, double end, const char* unit = "s", int decimals = 1);

private:
    std::FILE* out_;
    double end_;
    bool enabled_;
    const char* unit_;
    int decimals_;
    int shownPercent_ = -1;
};

}  // namespace tools
