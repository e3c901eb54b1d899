// Creating devices: fallbacks onto window profiles, failures, formats, release on another thread.
#include <thread>
#include <vector>

#include "tests/common/channel.h"
#include "tests/platform/gpu/device_fixture.h"

namespace devicetest {
namespace {

// A window that records the profiles asked for and hands out no context.
class FailingWindow : public platform::Window {
public:
    std::unique_ptr<platform::GlContext> CreateGlContext(platform::GlProfile profile) override {
        asked.push_back(profile);
        return nullptr;
    }
    bool IsHeadless() const override { return true; }
    void ClientSize(int& w, int& h) const override {
        w = 32;
        h = 32;
    }
    std::vector<platform::GlProfile> asked;
};

TEST(CreateDeviceTest, OnlyTheDirect3D8VersionIsServed) {
    EXPECT_EQ(Direct3DCreate8(D3D_SDK_VERSION + 1), nullptr);
    ComPtr<IDirect3D8> d3d(Direct3DCreate8(D3D_SDK_VERSION));
    ASSERT_TRUE(d3d);
    EXPECT_EQ(d3d->GetAdapterCount(), 1u);
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), S_OK);
    EXPECT_GT(mode.Width, 0u);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(d3d->GetAdapterDisplayMode(1, &mode), D3DERR_INVALIDCALL);
}

TEST(CreateDeviceTest, EachFallbackAsksForItsProfileAndFailsWithoutAContext) {
    ComPtr<IDirect3D8> d3d(Direct3DCreate8(D3D_SDK_VERSION));
    FailingWindow window;
    D3DPRESENT_PARAMETERS pp = PresentParameters(32, 32);
    IDirect3DDevice8* device = reinterpret_cast<IDirect3DDevice8*>(1);
    EXPECT_LT(d3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_MIXED_VERTEXPROCESSING, &pp, &device), 0);
    EXPECT_EQ(device, nullptr);
    EXPECT_LT(d3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device), 0);
    EXPECT_LT(d3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device), 0);
    EXPECT_LT(d3d->CreateDevice(0, D3DDEVTYPE_REF, &window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device), 0);
    using platform::GlProfile;
    EXPECT_EQ(window.asked, (std::vector<GlProfile>{GlProfile::Default, GlProfile::Default, GlProfile::Plain,
                                                    GlProfile::Software}));
}

TEST(CreateDeviceTest, BadArgumentsAreRejectedBeforeAnyContextIsMade) {
    ComPtr<IDirect3D8> d3d(Direct3DCreate8(D3D_SDK_VERSION));
    FailingWindow window;
    D3DPRESENT_PARAMETERS pp = PresentParameters(32, 32);
    ComPtr<IDirect3DDevice8> device;
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_MIXED_VERTEXPROCESSING, nullptr, device.Receive()),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_MIXED_VERTEXPROCESSING, &pp, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_MIXED_VERTEXPROCESSING, &pp, device.Receive()),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->CreateDevice(1, D3DDEVTYPE_HAL, &window, D3DCREATE_MIXED_VERTEXPROCESSING, &pp, device.Receive()),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, 0, &pp, device.Receive()), D3DERR_INVALIDCALL)
        << "no vertex processing named";
    D3DPRESENT_PARAMETERS depth = PresentParameters(32, 32, D3DFMT_D16);
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_MIXED_VERTEXPROCESSING, &depth, device.Receive()),
              D3DERR_INVALIDCALL);
    EXPECT_TRUE(window.asked.empty());
}

TEST(CreateDeviceTest, SixteenBitBackBufferQuantisesAndReadsOpaque) {
    platform::HeadlessWindow window(16, 16);
    ComPtr<IDirect3D8> d3d(Direct3DCreate8(D3D_SDK_VERSION));
    D3DPRESENT_PARAMETERS pp = PresentParameters(16, 16, D3DFMT_R5G6B5);
    ComPtr<IDirect3DDevice8> device;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_REF, &window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, device.Receive()),
              S_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00123456, 1.0f, 0), S_OK);
    const std::uint32_t p = testpixels::ReadBack(device.Get(), 16, 16).At(0, 0);
    EXPECT_EQ(p >> 24, 0xFFu) << "no alpha in the format";
    EXPECT_NE(p & 0xFFFFFF, 0x123456u) << "5-6-5 cannot hold the exact colour";
    EXPECT_NEAR(testpixels::Channel(p, 16), 0x12, 8);
    EXPECT_NEAR(testpixels::Channel(p, 8), 0x34, 4);
    EXPECT_NEAR(testpixels::Channel(p, 0), 0x56, 8);
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(device->GetDisplayMode(&mode), S_OK);
    EXPECT_EQ(mode.Format, D3DFMT_R5G6B5);
}

TEST(CreateDeviceTest, MultisampledBackBufferResolvesOnReadBack) {
    platform::HeadlessWindow window(16, 16);
    ComPtr<IDirect3D8> d3d(Direct3DCreate8(D3D_SDK_VERSION));
    D3DPRESENT_PARAMETERS pp = PresentParameters(16, 16);
    pp.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES;
    ComPtr<IDirect3DDevice8> device;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_MIXED_VERTEXPROCESSING, &pp, device.Receive()),
              S_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF204080, 1.0f, 0), S_OK);
    EXPECT_EQ(testpixels::ReadBack(device.Get(), 16, 16).At(5, 5), 0xFF204080u);
}

TEST(CreateDeviceTest, ZeroSizeTakesTheWindowClientArea) {
    platform::HeadlessWindow window(24, 20);
    ComPtr<IDirect3D8> d3d(Direct3DCreate8(D3D_SDK_VERSION));
    D3DPRESENT_PARAMETERS pp = PresentParameters(0, 0);
    pp.hDeviceWindow = &window;
    ComPtr<IDirect3DDevice8> device;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_MIXED_VERTEXPROCESSING, &pp, device.Receive()), S_OK);
    D3DVIEWPORT8 vp{};
    device->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 24u);
    EXPECT_EQ(vp.Height, 20u);
}

TEST(CreateDeviceTest, PresentRunsThePresentHandler) {
    platform::HeadlessWindow window(8, 8);
    int presents = 0;
    window.SetPresentHandler([&] { ++presents; });
    ComPtr<IDirect3D8> d3d(Direct3DCreate8(D3D_SDK_VERSION));
    D3DPRESENT_PARAMETERS pp = PresentParameters(8, 8);
    ComPtr<IDirect3DDevice8> device;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_MIXED_VERTEXPROCESSING, &pp, device.Receive()), S_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(presents, 2);
    D3DDRAWSTATS stats{};
    device->GetDrawStats(&stats);
    EXPECT_EQ(stats.presents, 2u);
}

TEST(CreateDeviceTest, TwoDevicesOnOneThreadKeepTheirOwnPictures) {
    platform::HeadlessWindow a(8, 8), b(8, 8);
    ComPtr<IDirect3D8> d3d(Direct3DCreate8(D3D_SDK_VERSION));
    D3DPRESENT_PARAMETERS pp = PresentParameters(8, 8);
    ComPtr<IDirect3DDevice8> first, second;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, &a, D3DCREATE_MIXED_VERTEXPROCESSING, &pp, first.Receive()), S_OK);
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, &b, D3DCREATE_MIXED_VERTEXPROCESSING, &pp, second.Receive()), S_OK);
    first->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1, 0);
    second->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1, 0);
    EXPECT_EQ(testpixels::ReadBack(first.Get(), 8, 8).At(0, 0), 0xFFFF0000u);
    EXPECT_EQ(testpixels::ReadBack(second.Get(), 8, 8).At(0, 0), 0xFF0000FFu);
}

TEST(CreateDeviceTest, ReleasingOnAnotherThreadDoesNotCrash) {
    platform::HeadlessWindow window(8, 8);
    ComPtr<IDirect3D8> d3d(Direct3DCreate8(D3D_SDK_VERSION));
    IDirect3DDevice8* device = nullptr;
    IDirect3DTexture8* texture = nullptr;
    // Created (and left current) on a worker thread, as the show does.
    std::thread worker([&] {
        D3DPRESENT_PARAMETERS pp = PresentParameters(8, 8);
        ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_MIXED_VERTEXPROCESSING, &pp, &device), S_OK);
        ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), S_OK);
        device->SetTexture(0, texture);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1, 0);
    });
    worker.join();
    ASSERT_NE(device, nullptr);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->Release(), 1u);
    EXPECT_EQ(device->Release(), 0u);
}

}  // namespace
}  // namespace devicetest
