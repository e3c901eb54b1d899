// ProgressBar: one line on a terminal, redrawn in place as the show time advances.
#pragma once

#include <cstdio>
#include <string>

namespace capture {

class ProgressBar {
public:
    // Draws on out for a run that ends at show time end (seconds); disabled draws nothing.
    ProgressBar(std::FILE* out, double end, bool enabled);
    ~ProgressBar();

    // Redraws when the shown percentage has changed.
    void Update(double showTime);
    // Ends the line (once).
    void Finish();

    // The text of the line for show time t of a run ending at end, e.g.
    // "[##########..........]  50%  129.0/258.0 s".
    static std::string Line(double t, double end);

private:
    std::FILE* out_;
    double end_;
    bool enabled_;
    int shownPercent_ = -1;
};

}  // namespace capture
