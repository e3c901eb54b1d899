// A headless device whose frame timer runs on a virtual clock, a working directory chosen per
// test (the pack's folder or an empty temporary one) and frames rendered at given show times.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/clock_source.h"
#include "app/frame_timer.h"
#include "show/scene.h"
#include "tests/common/channel.h"
#include "tests/common/read_back.h"
#include "tests/render/render_device_fixture.h"
#include "tests/show/scene_folder.h"

namespace scenetest {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

inline int Red(std::uint32_t pixel) { return testpixels::Channel(pixel, 16); }
inline int Green(std::uint32_t pixel) { return testpixels::Channel(pixel, 8); }
inline int Blue(std::uint32_t pixel) { return testpixels::Channel(pixel, 0); }

struct Frame {
    std::vector<std::uint32_t> pixels;
    std::uint64_t drawCalls = 0;  // made by the scene's Render

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * kWidth + x]; }
    // Pixels whose three channels are all at least level.
    int CountAtLeast(int level) const {
        int n = 0;
        for (std::uint32_t p : pixels) n += Red(p) >= level && Green(p) >= level && Blue(p) >= level;
        return n;
    }
    int CountEqual(std::uint32_t rgb) const {
        int n = 0;
        for (std::uint32_t p : pixels) n += (p & 0xFFFFFF) == (rgb & 0xFFFFFF);
        return n;
    }
    // Leftmost column / topmost row holding a pixel at least level bright; -1 when none.
    int LeftmostAtLeast(int level) const {
        for (int x = 0; x < kWidth; ++x)
            for (int y = 0; y < kHeight; ++y)
                if (Red(At(x, y)) >= level && Green(At(x, y)) >= level && Blue(At(x, y)) >= level) return x;
        return -1;
    }
    int TopmostAtLeast(int level) const {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (Red(At(x, y)) >= level && Green(At(x, y)) >= level && Blue(At(x, y)) >= level) return y;
        return -1;
    }
    bool SamePicture(const Frame& other) const { return pixels == other.pixels; }
};

class SceneTest : public rendertest::RenderDeviceTest<kWidth, kHeight> {
protected:
    void SetUp() override {
        rendertest::RenderDeviceTest<kWidth, kHeight>::SetUp();
        SetFrameTimerSource(&Clock());
    }
    void TearDown() override { SetFrameTimerSource(nullptr); }

    void EnterPack() { folder.EnterPack(); }
    void EnterEmptyFolder() { ASSERT_TRUE(folder.EnterFolderWith()); }

    // Moves the clock to show time t (never backwards), then draws one frame of the scene,
    // optionally over a picture painted first, and reads it back.
    Frame RenderAt(Scene& scene, float t, D3DCOLOR picture = 0) {
        const double ahead = static_cast<double>(t) - clockSeconds;
        if (ahead > 0) {
            Clock().Advance(ahead);
            clockSeconds = t;
        }
        EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, picture, 1.0f, 0), S_OK);
        EXPECT_EQ(device->BeginScene(), S_OK);
        device->ResetDrawStats();
        scene.Render(t);
        D3DDRAWSTATS stats{};
        device->GetDrawStats(&stats);
        EXPECT_EQ(device->EndScene(), S_OK);
        Frame frame;
        frame.drawCalls = stats.drawCalls;
        frame.pixels = testpixels::ReadBack(device, kWidth, kHeight).pixels;
        return frame;
    }

    static VirtualClock& Clock() {
        static VirtualClock clock(1000000000, true);
        return clock;
    }
    double clockSeconds = 0.0;
    SceneFolder folder;
};

}  // namespace scenetest
