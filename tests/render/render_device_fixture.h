// A test whose render device draws on a headless surface of Width x Height with the whole back
// buffer as its viewport. Each test runs in its own process; the surface outlives the device.
#pragma once

#include <gtest/gtest.h>

#include "app/display_settings.h"
#include "platform/window/headless_window.h"
#include "render/render_device.h"

namespace rendertest {

template <int Width, int Height>
class RenderDeviceTest : public testing::Test {
protected:
    void SetUp() override {
        static platform::HeadlessWindow window(Width, Height);
        const DisplaySettings settings{Width, Height, 0, 0, 1, 0};
        ASSERT_GE(RenderDevice::Instance().Initialize(&window, settings, 0, 0, Width, Height), 0);
        device = RenderDevice::Instance().GetDevice();
        ASSERT_NE(device, nullptr);
    }

    IDirect3DDevice8* device = nullptr;
};

// `buffer` is a vertex buffer of the default pool: `size` bytes of vertex format `fvf`, made with
// `usage`.
inline void ExpectVertexBuffer(IDirect3DVertexBuffer8* buffer, UINT size, DWORD usage, DWORD fvf) {
    ASSERT_NE(buffer, nullptr);
    D3DVERTEXBUFFER_DESC desc{};
    ASSERT_EQ(buffer->GetDesc(&desc), S_OK);
    EXPECT_EQ(desc.Size, size);
    EXPECT_EQ(desc.Usage, usage);
    EXPECT_EQ(desc.FVF, fvf);
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
}

}  // namespace rendertest
