#include "fx/screen_image.h"

#include <gtest/gtest.h>


#include "app/error_reporter.h"
#include "tests/fx/world_fixture.h"

namespace {

using worldtest::ExpectRgbNear;

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr D3DCOLOR kPicture = 0xFF305070;

class ScreenImageTest : public worldtest::WorldTest<kWidth, kHeight> {
protected:
    // An 8 x 8 image in quadrants: red top-left, green top-right, blue bottom-left, white
    // bottom-right.
    void LoadQuadrants(ScreenImage& image) {
        const std::string path = WriteTarga("quadrants.tga", 8, 8, [](int x, int y) -> std::uint32_t {
            if (y < 4) return x < 4 ? 0xFFFF0000 : 0xFF00FF00;
            return x < 4 ? 0xFF0000FF : 0xFFFFFFFF;
        });
        ASSERT_EQ(image.Load(path.c_str()), S_OK);
    }

    std::vector<std::uint32_t> DrawOver(ScreenImage& image, DWORD alpha) {
        EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kPicture, 0.0f, 0), S_OK);
        EXPECT_EQ(device->BeginScene(), S_OK);
        image.Render(alpha);
        EXPECT_EQ(device->EndScene(), S_OK);
        return ReadBack();
    }

    // Source-alpha blending with the alpha of texel x diffuse. The image sets neither: it draws
    // with the blend factors and stage operations the device holds (a fresh device takes the
    // alpha from the texture alone).
    void UseSourceAlphaBlending() {
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    }

    static int Unchanged(const std::vector<std::uint32_t>& pixels) {
        int same = 0;
        for (std::uint32_t p : pixels) same += (p & 0x00FFFFFF) == (kPicture & 0x00FFFFFF);
        return same;
    }

    void ExpectQuadrants(const std::vector<std::uint32_t>& pixels) {
        ExpectRgbNear(At(pixels, 20, 15), 255, 0, 0, 0, "top left");
        ExpectRgbNear(At(pixels, 140, 15), 0, 255, 0, 0, "top right");
        ExpectRgbNear(At(pixels, 20, 105), 0, 0, 255, 0, "bottom left");
        ExpectRgbNear(At(pixels, 140, 105), 255, 255, 255, 0, "bottom right");
    }
};

TEST_F(ScreenImageTest, BufferHoldsSixTexturedScreenVertices) {
    ScreenImage image;
    rendertest::ExpectVertexBuffer(image.VertexBuffer(), 168u, D3DUSAGE_WRITEONLY, 0x144u);
    EXPECT_EQ(image.Texture(), nullptr);
}

TEST_F(ScreenImageTest, MissingFileFailsAndLeavesItsNameForTheReport) {
    ScreenImage image;
    const std::string missing = this->files.Path() + "/no_title.jpg";
    EXPECT_EQ(image.Load(missing.c_str()), E_FAIL);
    EXPECT_STREQ(ErrorReporter::Instance().detail, missing.c_str());
    EXPECT_EQ(image.Texture(), nullptr);
    EXPECT_EQ(image.Load(nullptr), E_FAIL);
}

TEST_F(ScreenImageTest, FullAlphaCoversThePictureAndZeroLeavesIt) {
    ScreenImage image;
    LoadQuadrants(image);
    UseSourceAlphaBlending();
    ExpectQuadrants(DrawOver(image, 255));
    EXPECT_EQ(Unchanged(DrawOver(image, 0)), kWidth * kHeight);
    // Only the low 8 bits count: 0x1FF is full alpha, 0x100 none.
    ExpectQuadrants(DrawOver(image, 0x1FF));
    EXPECT_EQ(Unchanged(DrawOver(image, 0x100)), kWidth * kHeight);
}

TEST_F(ScreenImageTest, BlendsWithTheFactorsTheDeviceHolds) {
    ScreenImage image;
    LoadQuadrants(image);
    // ONE, ZERO: the alpha has no say, the picture is replaced even at alpha 0.
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    ExpectQuadrants(DrawOver(image, 0));
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_ONE));
}

TEST_F(ScreenImageTest, DrawsAboveDepthAndLeavesBlendingOffAndDepthOn) {
    ScreenImage image;
    LoadQuadrants(image);
    UseSourceAlphaBlending();
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    // DrawOver clears depth to 0, so only a draw without the depth test shows.
    ExpectQuadrants(DrawOver(image, 255));
    EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(FALSE));
    EXPECT_EQ(RenderState(D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_TRUE));
}

}  // namespace
