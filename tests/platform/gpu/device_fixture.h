// A device on a headless window, as the device's unit and pixel tests make it: the hooks choose
// the back buffer and the device type; the states and the back buffer can be read back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "platform/com/com_ptr.h"
#include "platform/gpu/d3d8.h"
#include "platform/window/headless_window.h"
#include "tests/common/read_back.h"
#include "tests/platform/gpu/present_parameters.h"

namespace devicetest {

template <int Width, int Height>
class HeadlessDeviceFixture : public ::testing::Test {
protected:
    virtual D3DFORMAT BackBufferFormat() const { return D3DFMT_X8R8G8B8; }
    virtual D3DMULTISAMPLE_TYPE MultiSample() const { return D3DMULTISAMPLE_NONE; }
    virtual D3DDEVTYPE DeviceType() const { return D3DDEVTYPE_HAL; }
    virtual DWORD BehaviourFlags() const { return D3DCREATE_MIXED_VERTEXPROCESSING; }

    void SetUp() override {
        window_ = std::make_unique<platform::HeadlessWindow>(Width, Height);
        d3d_ = ComPtr<IDirect3D8>(Direct3DCreate8(D3D_SDK_VERSION));
        ASSERT_TRUE(d3d_) << "Direct3DCreate8 failed";
        D3DPRESENT_PARAMETERS pp = PresentParameters(Width, Height, BackBufferFormat());
        pp.BackBufferCount = 1;
        pp.MultiSampleType = MultiSample();
        pp.hDeviceWindow = window_.get();
        ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, DeviceType(), window_.get(), BehaviourFlags(), &pp,
                                     device_.Receive()),
                  S_OK)
            << "CreateDevice failed";
        ASSERT_TRUE(device_);
    }

    void TearDown() override {
        device_.Reset();
        d3d_.Reset();
        window_.reset();
    }

    DWORD RenderState(D3DRENDERSTATETYPE state) {
        DWORD value = 0xDEADBEEF;
        EXPECT_EQ(device_->GetRenderState(state, &value), S_OK);
        return value;
    }
    DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) {
        DWORD value = 0xDEADBEEF;
        EXPECT_EQ(device_->GetTextureStageState(stage, type, &value), S_OK);
        return value;
    }

    // The whole back buffer, which must be Width x Height.
    testpixels::Frame Capture() { return testpixels::ReadBack(device_.Get(), Width, Height); }

    std::unique_ptr<platform::HeadlessWindow> window_;
    ComPtr<IDirect3D8> d3d_;
    ComPtr<IDirect3DDevice8> device_;
};

// The unit tests' device: small, since they look at single pixels at most.
class DeviceTest : public HeadlessDeviceFixture<64, 48> {
protected:
    static constexpr UINT kWidth = 64;
    static constexpr UINT kHeight = 48;

    std::uint32_t Pixel(UINT x, UINT y) { return Capture().At(static_cast<int>(x), static_cast<int>(y)); }
};

}  // namespace devicetest
