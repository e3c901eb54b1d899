#include "tools/capture/capture_session.h"

#include <cstdio>

#include "render/render_device.h"
#include "tools/common/png_writer.h"

namespace capture {

bool ReadShowBackBuffer(std::vector<std::uint32_t>& pixels, int& width, int& height) {
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device) return false;
    UINT w = 0, h = 0;
    if (FAILED(device->ReadBackBuffer(pixels, w, h))) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

CaptureSession::CaptureSession(const Options& options, VirtualClock& clock, ReadBack readBack, FrameSink* video,
                               WallClock wallClock)
    : options_(options),
      clock_(clock),
      readBack_(std::move(readBack)),
      video_(video),
      wallClock_(std::move(wallClock)),
      atDone_(options.at.size(), false) {
    if (options.SavesContactSheet()) {
        const auto shots = ShowShots();
        sheet_ = std::make_unique<ContactSheet>(std::vector<Shot>(shots.begin(), shots.end()), options.width,
                                                options.height);
        shotDone_.assign(sheet_->Count(), false);
    }
}

bool CaptureSession::WriteContactSheet() {
    if (!sheet_) return true;
    std::string error;
    if (sheet_->Write(options_.contactSheet, error)) return true;
    Fail(error);
    return false;
}

double CaptureSession::SteadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::string CaptureSession::FrameName(float showTime) {
    char name[32];
    std::snprintf(name, sizeof name, "t%07.3f.png", static_cast<double>(showTime));
    return name;
}

void CaptureSession::Fail(const std::string& message) {
    if (error_.empty()) error_ = message;
}

bool CaptureSession::ReadFrame() {
    if (!readBack_ || !readBack_(pixels_, width_, height_) || width_ <= 0 || height_ <= 0 ||
        pixels_.size() < static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)) {
        Fail("frame " + std::to_string(presented_) + ": the back buffer could not be read");
        return false;
    }
    return true;
}

void CaptureSession::Save(const std::string& name) {
    std::string error;
    const tools::PngImage image{width_, height_, pixels_.data(), false};
    if (tools::WritePng(options_.outDir + "/" + name, image, error)) ++written_;
    else Fail(error);
}

bool CaptureSession::WantsSpan(float t) const {
    if (!options_.HasSpan()) return false;
    const double from = options_.from >= 0.0 ? options_.from : 0.0;
    const double to = options_.to >= 0.0 ? options_.to : 1e30;
    return t >= from && t <= to;
}

bool CaptureSession::AllSaved(float t) const {
    if (options_.loading && !loadingDone_) return false;
    for (bool done : atDone_)
        if (!done) return false;
    for (bool done : shotDone_)
        if (!done) return false;
    // A span is finished once its end has been reached; without an end it runs to the show's end.
    if (options_.HasSpan()) return options_.to >= 0.0 && t >= options_.to;
    return true;
}

bool CaptureSession::Complete() const { return Missing().empty(); }

std::string CaptureSession::Missing() const {
    std::string missing;
    if (options_.loading && !loadingDone_) missing += " the loading frame";
    for (std::size_t i = 0; i < atDone_.size(); ++i) {
        if (atDone_[i]) continue;
        char text[48];
        std::snprintf(text, sizeof text, " the frame at %.3f s", options_.at[i]);
        missing += text;
    }
    for (std::size_t i = 0; i < shotDone_.size(); ++i) {
        if (shotDone_[i]) continue;
        char text[48];
        std::snprintf(text, sizeof text, " the shot at %g s", static_cast<double>(sheet_->ShotAt(i).time));
        missing += text;
    }
    return missing.empty() ? missing : missing.substr(1);
}

bool CaptureSession::OnPresent(const FrameInfo& frame) {
    ++presented_;
    clock_.Advance(1.0 / options_.fps);
    const bool continuous = options_.Continuous();

    if (frame.loading) {
        if (loadingShown_ < 0.0) loadingShown_ = wallClock_();
        if (options_.loading && !loadingDone_) {
            loadingDone_ = true;
            if (ReadFrame()) Save(kLoadingName);
        }
        // Nothing but the loading frame asked for: the show need not run at all.
        return !continuous && options_.loading && options_.at.empty() && !options_.HasSpan();
    }

    const float t = frame.showTime;
    lastShowTime_ = t;
    if (options_.bench) {
        // The device renders asynchronously: reading the frame back waits until it is done, so
        // frame times cover the rendering (and one read-back), not just the submission.
        ReadFrame();
        const double now = wallClock_();
        if (lastPresent_ < 0.0 && loadingShown_ >= 0.0) bench_.RecordLoading((now - loadingShown_) * 1000.0);
        if (lastPresent_ >= 0.0) bench_.Record(frame.scenes, (now - lastPresent_) * 1000.0, t, frame.work);
        // What a read-back alone costs: a second one of the frame now finished, a few times.
        if (bench_.ReadBackSamples() < kReadBackSamples) {
            ReadFrame();
            bench_.RecordReadBack((wallClock_() - now) * 1000.0);
        }
        lastPresent_ = wallClock_();
    }

    bool save = WantsSpan(t);
    for (std::size_t i = 0; i < atDone_.size(); ++i) {
        if (atDone_[i] || t < options_.at[i]) continue;
        atDone_[i] = true;
        save = true;
    }
    std::vector<std::size_t> shots;
    for (std::size_t i = 0; i < shotDone_.size(); ++i) {
        if (shotDone_[i] || t < sheet_->ShotAt(i).time) continue;
        shotDone_[i] = true;
        shots.push_back(i);
    }
    const bool encode = video_ != nullptr && !videoFailed_;
    if ((save || encode || !shots.empty()) && ReadFrame()) {
        for (std::size_t i : shots) sheet_->Place(i, pixels_.data(), width_, height_);
        if (save) Save(FrameName(t));
        if (encode) {
            std::string error;
            if (video_->Write(pixels_.data(), width_, height_, error)) {
                ++encoded_;
            } else {
                videoFailed_ = true;
                Fail(error);
            }
        }
    }

    if (videoFailed_) return true;
    if (options_.to >= 0.0 && t >= options_.to) return true;
    return !continuous && AllSaved(t);
}

}  // namespace capture
