// The render states the scenes switch, on a headless device.
#include <gtest/gtest.h>

#include "render/render_device.h"
#include "show/scenes/hand_scene.h"
#include "show/scenes/intro_scene.h"
#include "show/scenes/organic_tunnel_scene.h"
#include "show/scenes/tunnel_scene.h"
#include "tests/render/render_device_fixture.h"

namespace {

class SceneStates : public rendertest::RenderDeviceTest<64, 64> {
protected:
    DWORD State(D3DRENDERSTATETYPE state) {
        DWORD value = 0xDEAD;
        EXPECT_GE(device->GetRenderState(state, &value), 0);
        return value;
    }
};

TEST_F(SceneStates, HandSwitchesSpecularOnWhenMadeAndOffInUnload) {
    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    HandScene hand;
    EXPECT_EQ(State(D3DRS_SPECULARENABLE), static_cast<DWORD>(TRUE));
    // Loading (here without the hand's files) leaves the switch alone.
    hand.Load();
    EXPECT_EQ(State(D3DRS_SPECULARENABLE), static_cast<DWORD>(TRUE));
    hand.Unload();
    EXPECT_EQ(State(D3DRS_SPECULARENABLE), static_cast<DWORD>(FALSE));
}

TEST_F(SceneStates, TunnelsSwitchFogOffInUnloadAndTouchNothingWhenMade) {
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    TunnelScene tunnel;
    OrganicTunnelScene organic;
    IntroScene intro;
    EXPECT_EQ(State(D3DRS_FOGENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(State(D3DRS_SPECULARENABLE), static_cast<DWORD>(FALSE));
    tunnel.Unload();
    EXPECT_EQ(State(D3DRS_FOGENABLE), static_cast<DWORD>(FALSE));
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    organic.Unload();
    EXPECT_EQ(State(D3DRS_FOGENABLE), static_cast<DWORD>(FALSE));
    // The intro's Unload releases its font, which it does not have yet: nothing else changes.
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    intro.Unload();
    EXPECT_EQ(intro.Font(), nullptr);
    EXPECT_EQ(State(D3DRS_FOGENABLE), static_cast<DWORD>(TRUE));
}

}  // namespace
