// PlaceholderApp: a stand-in program on the shell until the show's own application exists.
// It opens a 640 x 480 window, creates the render device with the letterbox viewport and keeps
// drawing the loading screen until it is told to stop.
#pragma once

#include <memory>

#include "app/application.h"

class TextRenderer;

class PlaceholderApp : public Application {
public:
    PlaceholderApp();
    ~PlaceholderApp();

    void Run() override;
    bool Configure(DisplaySettings& displaySettings) override;

    // Frames drawn so far (read by tools after Run).
    unsigned FramesDrawn() const { return frames_; }

private:
    void DrawLoadingFrame();

    std::unique_ptr<TextRenderer> font_;
    unsigned frames_ = 0;
};
