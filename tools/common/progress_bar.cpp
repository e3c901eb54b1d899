#include "tools/common/progress_bar.h"

#include <algorithm>

namespace tools {

namespace {

constexpr int kBarWidth = 30;

int Percent(double t, double end) {
    if (!(end > 0.0)) return 100;
    return static_cast<int>(std::clamp(t / end, 0.0, 1.0) * 100.0);
}

}  // namespace

ProgressBar::ProgressBar(std::FILE* out, double end, bool enabled, const char* unit, int decimals)
    : out_(out), end_(end), enabled_(enabled), unit_(unit), decimals_(decimals) {}

ProgressBar::~ProgressBar() { Finish(); }

std::string ProgressBar::Line(double t, double end, const char* unit, int decimals) {
    const int percent = Percent(t, end);
    const int filled = percent * kBarWidth / 100;
    std::string line(static_cast<std::size_t>(kBarWidth) + 2, '.');
    line.front() = '[';
    line.back() = ']';
    line.replace(1, static_cast<std::size_t>(filled), static_cast<std::size_t>(filled), '#');
    char tail[64];
    std::snprintf(tail, sizeof tail, " %3d%%  %*.*f/%.*f %s", percent, decimals + 4, decimals, std::clamp(t, 0.0, end),
                  decimals, end, unit);
    return line + tail;
}

void ProgressBar::Update(double done) {
    if (!enabled_ || !out_) return;
    const int percent = Percent(done, end_);
    if (percent == shownPercent_) return;
    shownPercent_ = percent;
    std::fprintf(out_, "\r%s", Line(done, end_, unit_, decimals_).c_str());
    std::fflush(out_);
}

void ProgressBar::Finish() {
    if (!enabled_ || !out_ || shownPercent_ < 0) return;
    std::fputc('\n', out_);
    std::fflush(out_);
    shownPercent_ = -1;
    enabled_ = false;
}

}  // namespace tools
