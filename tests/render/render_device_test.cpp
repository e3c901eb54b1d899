// The render device: device creation with its fallbacks, base states, viewports and the frame bracket.
//
// Each test runs in its own process (ctest), so the singleton starts fresh; run as one binary the
// tests still work because Initialize starts over. Windows live until process exit, after the
// device that presents to them.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "render/render_device.h"
#include "tests/common/read_back.h"
#include "tests/render/fresh_process.h"
#include "tests/render/scripted_window.h"

using platform::GlProfile;

namespace {

constexpr const char* kFallbackWarning = "Direct X init failure\nSwitching to software rendering (slow)\n";

DisplaySettings Settings(int width, int height, bool colour32 = true) {
    DisplaySettings s{};
    s.width = width;
    s.height = height;
    s.colour32 = colour32 ? 1 : 0;
    return s;
}

// Created before the device singleton, so destroyed after it.
std::vector<std::unique_ptr<ScriptedWindow>>& Windows() {
    static std::vector<std::unique_ptr<ScriptedWindow>> windows;
    return windows;
}

ScriptedWindow* NewWindow(int width, int height, std::set<GlProfile> failing = {}) {
    Windows().push_back(std::make_unique<ScriptedWindow>(width, height, std::move(failing)));
    return Windows().back().get();
}

int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

std::uint32_t PixelAt(IDirect3DDevice8* device, UINT x, UINT y) {
    const testpixels::Frame frame = testpixels::ReadBack(device);
    if (x >= frame.width || y >= frame.height || frame.pixels.size() != std::size_t(frame.width) * frame.height) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") outside " << frame.width << " x " << frame.height;
        return 0;
    }
    return frame.At(static_cast<int>(x), static_cast<int>(y)) & 0x00FFFFFFu;
}

std::uint64_t Presents(IDirect3DDevice8* device) {
    D3DDRAWSTATS stats{};
    device->GetDrawStats(&stats);
    return stats.presents;
}

class RenderDeviceTest : public ::testing::Test {
protected:
    void SetUp() override { Windows(); }

    // A working device on a healthy window, with a letterbox stored viewport.
    IDirect3DDevice8* Ready(int width = 64, int height = 48, bool colour32 = true) {
        ScriptedWindow* window = NewWindow(width, height);
        window->SetPresentHandler([count = presented] { ++*count; });
        const DisplaySettings settings = Settings(width, height, colour32);
        EXPECT_EQ(RenderDevice::Instance().Initialize(window, settings, 0, 8, width, height - 16), S_OK);
        return RenderDevice::Instance().GetDevice();
    }

    // Shared with the window's present handler, which outlives the fixture.
    std::shared_ptr<int> presented = std::make_shared<int>(0);
};

}  // namespace

TEST_F(RenderDeviceTest, BeforeInitializeHasDefaultsAndIgnoresFrameCalls) {
    // The singleton as it is before any Initialize: only a process of its own still has it so.
    freshprocess::ExpectInFreshProcess([] {
        RenderDevice& rd = RenderDevice::Instance();
        EXPECT_EQ(&rd, &RenderDevice::Instance());
        ASSERT_EQ(rd.GetDevice(), nullptr);
        EXPECT_EQ(rd.width, 640);
        EXPECT_EQ(rd.height, 480);
        rd.BeginFrame(true);
        rd.Clear(0xFFFFFFFF);
        rd.EndFrame();
        EXPECT_EQ(rd.ApplyViewport(true), E_FAIL);
    });
}

TEST_F(RenderDeviceTest, HardwareDeviceNeedsNoFallback) {
    ScriptedWindow* window = NewWindow(32, 32);
    testing::internal::CaptureStderr();
    const HRESULT hr = RenderDevice::Instance().Initialize(window, Settings(32, 32), 0, 0, 32, 32);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(hr, S_OK);
    EXPECT_NE(RenderDevice::Instance().GetDevice(), nullptr);
    EXPECT_EQ(window->profiles(), std::vector<GlProfile>{GlProfile::Default});
    EXPECT_EQ(Occurrences(err, kFallbackWarning), 0);
}

TEST_F(RenderDeviceTest, FallsBackToSoftwareVertexProcessingWithoutWarning) {
    ScriptedWindow* window = NewWindow(32, 32, {GlProfile::Default});
    testing::internal::CaptureStderr();
    const HRESULT hr = RenderDevice::Instance().Initialize(window, Settings(32, 32), 0, 0, 32, 32);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(hr, S_OK);
    EXPECT_NE(RenderDevice::Instance().GetDevice(), nullptr);
    EXPECT_EQ(window->profiles(), (std::vector<GlProfile>{GlProfile::Default, GlProfile::Plain}));
    EXPECT_EQ(Occurrences(err, kFallbackWarning), 0);
}

TEST_F(RenderDeviceTest, WarnsOnceBeforeTheReferenceRasteriser) {
    ScriptedWindow* window = NewWindow(32, 32, {GlProfile::Default, GlProfile::Plain});
    testing::internal::CaptureStderr();
    const HRESULT hr = RenderDevice::Instance().Initialize(window, Settings(32, 32), 0, 0, 32, 32);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(hr, S_OK);
    EXPECT_NE(RenderDevice::Instance().GetDevice(), nullptr);
    ASSERT_EQ(window->profiles(),
              (std::vector<GlProfile>{GlProfile::Default, GlProfile::Plain, GlProfile::Software}));
    ASSERT_EQ(Occurrences(err, kFallbackWarning), 1) << err;
    // The warning was written after the second hardware attempt and before the software one.
    const long warningAt = static_cast<long>(err.find(kFallbackWarning));
    const auto& requests = window->requests();
    ASSERT_GE(requests[1].stderrOffset, 0) << "stderr offsets unavailable";
    EXPECT_LE(requests[1].stderrOffset, warningAt);
    EXPECT_GE(requests[2].stderrOffset, warningAt + static_cast<long>(std::string(kFallbackWarning).size()));
}

TEST_F(RenderDeviceTest, AllAttemptsFailingGivesEFailAfterTheWarning) {
    ScriptedWindow* window =
        NewWindow(32, 32, {GlProfile::Default, GlProfile::Plain, GlProfile::Software});
    testing::internal::CaptureStderr();
    const HRESULT hr = RenderDevice::Instance().Initialize(window, Settings(32, 32), 0, 0, 32, 32);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(hr, E_FAIL);
    EXPECT_EQ(RenderDevice::Instance().GetDevice(), nullptr);
    EXPECT_EQ(window->profiles().size(), 3u);
    EXPECT_EQ(Occurrences(err, kFallbackWarning), 1);
    // Frame calls on the failed device do nothing instead of crashing.
    RenderDevice::Instance().BeginFrame(true);
    RenderDevice::Instance().EndFrame();
    EXPECT_EQ(RenderDevice::Instance().ApplyViewport(false), E_FAIL);
}

TEST_F(RenderDeviceTest, RejectsAnEmptyBackBuffer) {
    ScriptedWindow* window = NewWindow(32, 32);
    EXPECT_EQ(RenderDevice::Instance().Initialize(window, Settings(0, 32), 0, 0, 32, 32), E_FAIL);
    EXPECT_EQ(RenderDevice::Instance().Initialize(window, Settings(32, -1), 0, 0, 32, 32), E_FAIL);
    EXPECT_EQ(RenderDevice::Instance().GetDevice(), nullptr);
}

TEST_F(RenderDeviceTest, SetsTheBaseRenderStates) {
    IDirect3DDevice8* device = Ready(80, 60);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(RenderDevice::Instance().width, 80);
    EXPECT_EQ(RenderDevice::Instance().height, 60);
    const std::pair<D3DRENDERSTATETYPE, DWORD> expected[] = {
        {D3DRS_ZENABLE, 1},  {D3DRS_SHADEMODE, 2},          {D3DRS_NORMALIZENORMALS, 1},
        {D3DRS_LIGHTING, 1}, {D3DRS_AMBIENT, 0x00AAAAAAu},
    };
    for (const auto& [state, value] : expected) {
        DWORD actual = 0xDEADBEEF;
        EXPECT_EQ(device->GetRenderState(state, &actual), S_OK);
        EXPECT_EQ(actual, value) << "render state " << state;
    }
}

namespace {

// The device's viewport is the rectangle x, y, width, height over the full depth range.
void ExpectViewport(IDirect3DDevice8* device, DWORD x, DWORD y, DWORD width, DWORD height) {
    D3DVIEWPORT8 vp{};
    ASSERT_EQ(device->GetViewport(&vp), S_OK);
    EXPECT_EQ(vp.X, x);
    EXPECT_EQ(vp.Y, y);
    EXPECT_EQ(vp.Width, width);
    EXPECT_EQ(vp.Height, height);
    EXPECT_EQ(vp.MinZ, 0.0f);
    EXPECT_EQ(vp.MaxZ, 1.0f);
}

}  // namespace

TEST_F(RenderDeviceTest, ViewportIsFullScreenUntilTheStoredOneIsApplied) {
    IDirect3DDevice8* device = Ready(64, 48);
    ASSERT_NE(device, nullptr);
    ExpectViewport(device, 0, 0, 64, 48);
    ASSERT_EQ(RenderDevice::Instance().ApplyViewport(true), S_OK);
    ExpectViewport(device, 0, 8, 64, 32);
    ASSERT_EQ(RenderDevice::Instance().ApplyViewport(false), S_OK);
    ExpectViewport(device, 0, 0, 64, 48);
}

TEST_F(RenderDeviceTest, ClearPaintsOnlyTheCurrentViewportAndApplyViewportBlacksOut) {
    IDirect3DDevice8* device = Ready(64, 48);
    ASSERT_NE(device, nullptr);
    RenderDevice& rd = RenderDevice::Instance();
    rd.Clear(0xFF00FF00);
    EXPECT_EQ(PixelAt(device, 5, 2), 0x0000FF00u);
    // Applying a viewport clears the old (full) one to black first.
    ASSERT_EQ(rd.ApplyViewport(true), S_OK);
    EXPECT_EQ(PixelAt(device, 5, 2), 0x00000000u);
    // Within the letterbox only the picture area takes the colour; the bands stay black.
    rd.Clear(0xFFFFFFFF);
    EXPECT_EQ(PixelAt(device, 5, 2), 0x00000000u);
    EXPECT_EQ(PixelAt(device, 5, 24), 0x00FFFFFFu);
    EXPECT_EQ(PixelAt(device, 5, 45), 0x00000000u);
}

TEST_F(RenderDeviceTest, SixteenBitColourQuantisesTheBackBuffer) {
    // Two colours that differ below the 5/6/5 resolution.
    constexpr D3DCOLOR a = 0xFF104010, b = 0xFF134213;
    for (const bool colour32 : {true, false}) {
        SCOPED_TRACE(colour32 ? "32-bit" : "16-bit");
        IDirect3DDevice8* device = Ready(16, 16, colour32);
        ASSERT_NE(device, nullptr);
        RenderDevice::Instance().Clear(a);
        const std::uint32_t readA = PixelAt(device, 3, 3);
        RenderDevice::Instance().Clear(b);
        const std::uint32_t readB = PixelAt(device, 3, 3);
        if (colour32) {
            EXPECT_EQ(readA, a & 0x00FFFFFFu);
            EXPECT_EQ(readB, b & 0x00FFFFFFu);
        } else {
            EXPECT_EQ(readA, readB);
            for (int shift : {0, 8, 16})
                EXPECT_NEAR(static_cast<int>((readA >> shift) & 0xFF), static_cast<int>((a >> shift) & 0xFF), 4);
        }
    }
}

TEST_F(RenderDeviceTest, NestedBeginFrameClearsAndBeginsOnce) {
    IDirect3DDevice8* device = Ready();
    ASSERT_NE(device, nullptr);
    RenderDevice& rd = RenderDevice::Instance();
    const std::uint64_t before = Presents(device);
    rd.BeginFrame(true);
    rd.Clear(0xFFFF0000);
    rd.BeginFrame(true);  // inside a frame: must not clear the red away
    rd.EndFrame();
    EXPECT_EQ(Presents(device), before + 1);
    EXPECT_EQ(*presented, 1);
    EXPECT_EQ(PixelAt(device, 10, 10), 0x00FF0000u);
    // A second EndFrame, and one without any BeginFrame, present nothing.
    rd.EndFrame();
    rd.EndFrame();
    EXPECT_EQ(Presents(device), before + 1);
    EXPECT_EQ(*presented, 1);
}

TEST_F(RenderDeviceTest, DepthOnlyFrameKeepsThePreviousPicture) {
    IDirect3DDevice8* device = Ready();
    ASSERT_NE(device, nullptr);
    RenderDevice& rd = RenderDevice::Instance();
    rd.BeginFrame(true);
    rd.Clear(0xFF2040C0);
    rd.EndFrame();
    rd.BeginFrame(false);
    rd.EndFrame();
    EXPECT_EQ(PixelAt(device, 20, 20), 0x002040C0u);
    EXPECT_EQ(*presented, 2);
    rd.BeginFrame(true);
    rd.EndFrame();
    EXPECT_EQ(PixelAt(device, 20, 20), 0x00000000u);
    EXPECT_EQ(*presented, 3);
}
