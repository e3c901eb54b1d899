// A headless window whose context creation fails for chosen profiles, and which records every
// request together with how much had been written to stderr at that moment.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <set>
#include <vector>

#include "platform/window/headless_window.h"

class ScriptedWindow : public platform::Window {
public:
    struct Request {
        platform::GlProfile profile;
        long stderrOffset;  // bytes written to stderr before the request (when stderr is a file)
    };

    ScriptedWindow(int width, int height, std::set<platform::GlProfile> failing)
        : inner_(width, height), failing_(std::move(failing)) {}

    std::unique_ptr<platform::GlContext> CreateGlContext(platform::GlProfile profile) override {
        std::fflush(stderr);
        requests_.push_back({profile, static_cast<long>(lseek(STDERR_FILENO, 0, SEEK_CUR))});
        if (failing_.count(profile)) return nullptr;
        return inner_.CreateGlContext(profile);
    }
    bool IsHeadless() const override { return inner_.IsHeadless(); }
    void ClientSize(int& width, int& height) const override { inner_.ClientSize(width, height); }

    void SetPresentHandler(std::function<void()> handler) { inner_.SetPresentHandler(std::move(handler)); }

    const std::vector<Request>& requests() const { return requests_; }
    std::vector<platform::GlProfile> profiles() const {
        std::vector<platform::GlProfile> result;
        for (const Request& r : requests_) result.push_back(r.profile);
        return result;
    }

private:
    platform::HeadlessWindow inner_;
    std::set<platform::GlProfile> failing_;
    std::vector<Request> requests_;
};
