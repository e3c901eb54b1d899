#include "fx/fade_overlay.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "render/render_device.h"
#include "tests/common/channel.h"
#include "tests/common/read_back.h"
#include "tests/render/fresh_process.h"
#include "tests/render/render_device_fixture.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr D3DCOLOR kPicture = 0xFF305070;

using testpixels::Channel;

TEST(FadeOverlayWithoutDeviceTest, DrawsNothingAndDoesNotCrash) {
    // Once made, the process's render device stays: a process of its own has none yet.
    freshprocess::ExpectInFreshProcess([] {
        ASSERT_EQ(RenderDevice::Instance().GetDevice(), nullptr);
        FadeOverlay overlay;
        EXPECT_EQ(overlay.VertexBuffer(), nullptr);
        overlay.Render(0xFF000000);
    });
}

class FadeOverlayTest : public rendertest::RenderDeviceTest<kWidth, kHeight> {
protected:
    // Paints the picture, clears depth to the nearest value, then lays the overlay over it.
    std::vector<std::uint32_t> DrawOver(FadeOverlay& overlay, D3DCOLOR colour) {
        EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kPicture, 0.0f, 0), S_OK);
        EXPECT_EQ(device->BeginScene(), S_OK);
        overlay.Render(colour);
        EXPECT_EQ(device->EndScene(), S_OK);
        return testpixels::ReadBack(device, kWidth, kHeight).pixels;
    }
};

TEST_F(FadeOverlayTest, BufferHoldsSixScreenVertices) {
    FadeOverlay overlay;
    rendertest::ExpectVertexBuffer(overlay.VertexBuffer(), 120u, D3DUSAGE_WRITEONLY, 0x44u);
}

TEST_F(FadeOverlayTest, OpaqueBlackCoversTheWholeScreen) {
    FadeOverlay overlay;
    const auto pixels = DrawOver(overlay, 0xFF000000);
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(kWidth * kHeight));
    int notBlack = 0;
    for (std::uint32_t p : pixels) notBlack += (p & 0x00FFFFFF) != 0;
    EXPECT_EQ(notBlack, 0);
}

TEST_F(FadeOverlayTest, TransparentColourLeavesThePicture) {
    FadeOverlay overlay;
    const auto pixels = DrawOver(overlay, 0x00FFFFFF);
    int changed = 0;
    for (std::uint32_t p : pixels) changed += (p & 0x00FFFFFF) != (kPicture & 0x00FFFFFF);
    EXPECT_EQ(changed, 0);
    const auto zero = DrawOver(overlay, 0x00000000);
    changed = 0;
    for (std::uint32_t p : zero) changed += (p & 0x00FFFFFF) != (kPicture & 0x00FFFFFF);
    EXPECT_EQ(changed, 0);
}

TEST_F(FadeOverlayTest, HalfWhiteBrightensHalfway) {
    FadeOverlay overlay;
    const auto pixels = DrawOver(overlay, 0x80FFFFFF);
    for (std::size_t i : {std::size_t{0}, std::size_t{kWidth - 1}, std::size_t{kWidth * kHeight / 2 + kWidth / 2},
                          std::size_t{kWidth * (kHeight - 1)}, std::size_t{kWidth * kHeight - 1}}) {
        for (int shift : {0, 8, 16}) {
            const int picture = Channel(kPicture, shift);
            const double expected = 255.0 * 128 / 255 + picture * (1.0 - 128.0 / 255);
            EXPECT_NEAR(Channel(pixels[i], shift), expected, 2.0) << i << " shift " << shift;
        }
    }
}

TEST_F(FadeOverlayTest, StatesAfterRender) {
    FadeOverlay overlay;
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), S_OK);
    device->SetTexture(0, texture);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    DrawOver(overlay, 0x80000000);

    DWORD value = 0;
    ASSERT_EQ(device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value), S_OK);
    EXPECT_EQ(value, static_cast<DWORD>(FALSE));
    ASSERT_EQ(device->GetRenderState(D3DRS_ZENABLE, &value), S_OK);
    EXPECT_EQ(value, static_cast<DWORD>(D3DZB_TRUE));
    // The blend factors it set stay.
    ASSERT_EQ(device->GetRenderState(D3DRS_SRCBLEND, &value), S_OK);
    EXPECT_EQ(value, static_cast<DWORD>(D3DBLEND_SRCALPHA));
    ASSERT_EQ(device->GetRenderState(D3DRS_DESTBLEND, &value), S_OK);
    EXPECT_EQ(value, static_cast<DWORD>(D3DBLEND_INVSRCALPHA));
    IDirect3DBaseTexture8* bound = texture;
    ASSERT_EQ(device->GetTexture(0, &bound), S_OK);
    EXPECT_EQ(bound, nullptr);
    if (bound) bound->Release();
    texture->Release();
}

TEST(OverlayColourTest, ClampsTheAlphaAndKeepsOnlyTheColourBelowIt) {
    EXPECT_EQ(OverlayColour(128, 0xFFFFFF), 0x80FFFFFFu);
    EXPECT_EQ(OverlayColour(-40, 0xFFFFFF), 0x00FFFFFFu);  // ramps overshoot below zero
    EXPECT_EQ(OverlayColour(300, 0x000000), 0xFF000000u);  // and above full
    EXPECT_EQ(OverlayColour(255, 0x12FF0000), 0xFFFF0000u);  // a stray alpha in rgb is dropped
}

}  // namespace
