// A headless device for the device unit tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/com/com_ptr.h"
#include "platform/gpu/d3d8.h"
#include "platform/window/headless_window.h"
#include "tests/platform/gpu/present_parameters.h"

namespace devicetest {

class DeviceTest : public ::testing::Test {
protected:
    static constexpr UINT kWidth = 64;
    static constexpr UINT kHeight = 48;

    void SetUp() override {
        window_ = std::make_unique<platform::HeadlessWindow>(kWidth, kHeight);
        d3d_ = ComPtr<IDirect3D8>(Direct3DCreate8(D3D_SDK_VERSION));
        ASSERT_TRUE(d3d_);
        D3DPRESENT_PARAMETERS pp = PresentParameters(kWidth, kHeight);
        ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_.get(),
                                     D3DCREATE_MIXED_VERTEXPROCESSING, &pp, device_.Receive()),
                  S_OK);
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
    std::uint32_t Pixel(UINT x, UINT y) {
        std::vector<std::uint32_t> pixels;
        UINT w = 0, h = 0;
        EXPECT_EQ(device_->ReadBackBuffer(pixels, w, h), S_OK);
        return pixels.at(static_cast<size_t>(y) * w + x);
    }

    std::unique_ptr<platform::HeadlessWindow> window_;
    ComPtr<IDirect3D8> d3d_;
    ComPtr<IDirect3DDevice8> device_;
};

}  // namespace devicetest
