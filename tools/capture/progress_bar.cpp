#include "tools/capture/progress_bar.h"

#include <algorithm>

namespace capture {

namespace {

constexpr int kBarWidth = 30;

int Percent(double t, double end) {
    if (!(end > 0.0)) return 100;
    return static_cast<int>(std::clamp(t / end, 0.0, 1.0) * 100.0);
}

}  // namespace

ProgressBar::ProgressBar(std::FILE* out, double end, bool enabled) : out_(out), end_(end), enabled_(enabled) {}

ProgressBar::~ProgressBar() { Finish(); }

std::string ProgressBar::Line(double t, double end) {
    const int percent = Percent(t, end);
    const int filled = percent * kBarWidth / 100;
    std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(kBarWidth - filled), '.') + "]";
    char tail[64];
    std::snprintf(tail, sizeof tail, " %3d%%  %5.1f/%.1f s", percent, std::clamp(t, 0.0, end), end);
    return line + tail;
}

void ProgressBar::Update(double showTime) {
    if (!enabled_ || !out_) return;
    const int percent = Percent(showTime, end_);
    if (percent == shownPercent_) return;
    shownPercent_ = percent;
    std::fprintf(out_, "\r%s", Line(showTime, end_).c_str());
    std::fflush(out_);
}

void ProgressBar::Finish() {
    if (!enabled_ || !out_ || shownPercent_ < 0) return;
    std::fputc('\n', out_);
    std::fflush(out_);
    shownPercent_ = -1;
    enabled_ = false;
}

}  // namespace capture
