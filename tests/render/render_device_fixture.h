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

}  // namespace rendertest
