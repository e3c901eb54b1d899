// A window without any window system behind it: message boxes cannot be shown for it and it
// makes no contexts. Lets the shell and the reporter run in tests without a display.
#pragma once

#include "platform/window/window.h"

class FakeHeadlessWindow final : public platform::Window {
public:
    std::unique_ptr<platform::GlContext> CreateGlContext(platform::GlProfile) override { return nullptr; }
    bool IsHeadless() const override { return true; }
    void ClientSize(int& width, int& height) const override {
        width = 640;
        height = 480;
    }
};
