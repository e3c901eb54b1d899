// Shared by the tunnel, hand and organic tunnel scene tests: a 64 x 64 headless device, the
// working directory in the asset pack (or in an empty folder), a virtual frame clock and
// measurements of the picture.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/clock_source.h"
#include "app/frame_timer.h"
#include "platform/math/d3dx8math.h"
#include "render/render_device.h"
#include "tests/common/channel.h"
#include "tests/common/read_back.h"
#include "tests/render/render_device_fixture.h"
#include "tests/show/scene_folder.h"

namespace tunnelstest {

struct Picture {
    double red = 0.0, green = 0.0, blue = 0.0;  // mean channel values, 0 to 255
    int brightest = 0;                          // the largest channel value of any pixel
    double Brightness() const { return (red + green + blue) / 3.0; }
};

class SceneTest : public rendertest::RenderDeviceTest<64, 64> {
protected:
    void SetUp() override {
        rendertest::RenderDeviceTest<64, 64>::SetUp();
        SetFrameTimerSource(&clock);
    }
    void TearDown() override { SetFrameTimerSource(nullptr); }

    void EnterPack() { folder.EnterPack(); }
    void EnterEmptyFolder() { ASSERT_TRUE(folder.EnterFolderWith()); }

    // One frame of a scene: the device's frame bracket around Render, the clock moved by step.
    template <typename SceneType>
    void Frame(SceneType& scene, float t, double step = 1.0 / 60.0) {
        clock.Advance(step);
        RenderDevice::Instance().BeginFrame(false);
        scene.Render(t);
        RenderDevice::Instance().EndFrame();
    }

    Picture Measure() {
        const std::vector<std::uint32_t> pixels = testpixels::ReadBack(device, 64, 64).pixels;
        Picture p;
        if (pixels.empty()) return p;
        for (std::uint32_t argb : pixels) {
            using testpixels::Channel;
            const int r = Channel(argb, 16), g = Channel(argb, 8), b = Channel(argb, 0);
            p.red += r;
            p.green += g;
            p.blue += b;
            p.brightest = std::max({p.brightest, r, g, b});
        }
        const double n = static_cast<double>(pixels.size());
        p.red /= n;
        p.green /= n;
        p.blue /= n;
        return p;
    }

    static bool Finite(const D3DXMATRIX& m) {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                if (!std::isfinite(m.m[r][c])) return false;
        return true;
    }

    VirtualClock clock;

private:
    scenetest::SceneFolder folder;
};

}  // namespace tunnelstest
