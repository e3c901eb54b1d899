#include "fx/sprite.h"

#include <gtest/gtest.h>

#include "tests/fx/world_fixture.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 400;
constexpr D3DCOLOR kBackground = 0xFF102030;

class SpriteTest : public worldtest::WorldTest<kWidth, kHeight> {
protected:
    std::vector<std::uint32_t> DrawOnce(Sprite& sprite) {
        EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0), S_OK);
        EXPECT_EQ(device->BeginScene(), S_OK);
        EXPECT_EQ(sprite.Draw(), S_OK);
        EXPECT_EQ(device->EndScene(), S_OK);
        return ReadBack();
    }
};

TEST_F(SpriteTest, StartsWithTheShowsScaleAndTheScreenCentreAndFailsWithoutAnImage) {
    Sprite sprite;
    EXPECT_EQ(sprite.scaling, D3DXVECTOR2(2.5f, 2.0f));
    EXPECT_EQ(sprite.rotationCentre, D3DXVECTOR2(160.0f, 200.0f));
    EXPECT_EQ(sprite.rotation, 0.0f);
    EXPECT_EQ(sprite.translation, D3DXVECTOR2(0.0f, 0.0f));
    EXPECT_EQ(sprite.colour, 0xFFFFFFFFu);
    EXPECT_EQ(sprite.Draw(), E_FAIL);  // nothing loaded
    EXPECT_EQ(sprite.Load((files.Path() + "/jap_missing.tga").c_str()), E_FAIL);
    EXPECT_EQ(sprite.Draw(), E_FAIL);
}

TEST_F(SpriteTest, ImageSlidOffTheLeftEdgeCoversItsScaledRectangleClippedToTheScreen) {
    Sprite sprite;
    const std::string path = WriteTarga("banner.tga", 256, 128, [](int, int) { return 0xFFE0C0A0u; });
    ASSERT_EQ(sprite.Load(path.c_str()), S_OK);
    sprite.translation = D3DXVECTOR2(-500.0f, 60.0f);
    const auto pixels = DrawOnce(sprite);
    // 256 x 2.5 = 640 wide from x = -500 (to 140), 128 x 2 = 256 high from y = 60 (to 316).
    int outside = 0, inside = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool covered = (At(pixels, x, y) & 0x00FFFFFF) == 0x00E0C0A0;
            const bool expected = x < 140 && y >= 60 && y < 316;
            if (expected) inside += covered;
            else outside += (At(pixels, x, y) & 0x00FFFFFF) != (kBackground & 0x00FFFFFF);
        }
    }
    EXPECT_EQ(inside, 140 * 256);
    EXPECT_EQ(outside, 0);
}

}  // namespace
