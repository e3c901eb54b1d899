// Devices on a GL that holds less than merged draws want (gl_limits.h): the particle pattern,
// many small draws that differ in world matrix and material, goes out in smaller merged draws
// or one draw at a time, and the picture stays the same.
#include <optional>

#include "platform/gpu/gl_limits.h"
#include "platform/gpu/uniform_layout.h"
#include "tests/platform/gpu/headless_fixture.h"

namespace pixeltest {
namespace {

constexpr UINT kImage = 16;
constexpr int kParticles = 300;

// A particle image: black towards the edges (the quads are cut down to the rest), colours inside.
std::vector<DWORD> SpriteImage() {
    std::vector<DWORD> texels(kImage * kImage, D3DCOLOR_XRGB(0, 0, 0));
    for (UINT y = 3; y < kImage - 3; ++y)
        for (UINT x = 2; x < kImage - 4; ++x)
            texels[y * kImage + x] = D3DCOLOR_XRGB(0x40 + 12 * x, 0x30 + 10 * y, 0xF0 - 9 * x);
    return texels;
}

class LimitedDeviceTest : public HeadlessDeviceTest {
protected:
    struct Scene {
        Frame frame;
        D3DDRAWSTATS stats{};  // of the particles alone
    };

    void TearDown() override {
        HeadlessDeviceTest::TearDown();
        gpu::SetGlLimitsCap(std::nullopt);
    }

    // Replaces the device with one made under `cap`.
    void Remake(std::optional<gpu::GlLimits> cap) {
        device_.Reset();
        gpu::SetGlLimitsCap(cap);
        D3DPRESENT_PARAMETERS pp = devicetest::PresentParameters(kWidth, kHeight);
        pp.hDeviceWindow = window_.get();
        ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_.get(), D3DCREATE_MIXED_VERTEXPROCESSING,
                                     &pp, device_.Receive()),
                  S_OK);
    }

    // Particles as the show draws them: a textured quad from one buffer, each with its own world
    // matrix and material, lit by the ambient light alone and added to the picture.
    Scene DrawParticles() {
        Scene scene;
        ComPtr<IDirect3DVertexBuffer8> quad;
        EXPECT_EQ(device_->CreateVertexBuffer(4 * sizeof(TexVertex), D3DUSAGE_WRITEONLY, kTexFvf, D3DPOOL_MANAGED,
                                              quad.Receive()),
                  S_OK);
        if (!quad) return scene;
        BYTE* data = nullptr;
        EXPECT_EQ(quad->Lock(0, 0, &data, 0), S_OK);
        const TexVertex corners[4] = {{-1, 1, 0, 0, 0}, {1, 1, 0, 1, 0}, {-1, -1, 0, 0, 1}, {1, -1, 0, 1, 1}};
        std::memcpy(data, corners, sizeof corners);
        EXPECT_EQ(quad->Unlock(), S_OK);
        ComPtr<IDirect3DTexture8> texture = MakeTexture(kImage, kImage, 1, D3DFMT_X8R8G8B8);
        FillLevel(texture.Get(), 0, kImage, kImage, SpriteImage());

        Begin();
        Clear(D3DCOLOR_XRGB(0x10, 0x18, 0x20));
        SetCamera({0, 0, -30}, {0, 0, 0});
        Set(D3DRS_CULLMODE, D3DCULL_NONE);
        Set(D3DRS_LIGHTING, TRUE);
        Set(D3DRS_AMBIENT, D3DCOLOR_XRGB(0xFF, 0xFF, 0xFF));
        Set(D3DRS_ZWRITEENABLE, FALSE);
        Set(D3DRS_ALPHABLENDENABLE, TRUE);
        Set(D3DRS_SRCBLEND, D3DBLEND_ONE);
        Set(D3DRS_DESTBLEND, D3DBLEND_ONE);
        EXPECT_EQ(device_->SetTexture(0, texture.Get()), S_OK);
        EXPECT_EQ(device_->SetStreamSource(0, quad.Get(), sizeof(TexVertex)), S_OK);
        EXPECT_EQ(device_->SetVertexShader(kTexFvf), S_OK);
        device_->ResetDrawStats();
        std::uint32_t seed = 12345;
        auto next = [&seed] {
            seed = seed * 1664525u + 1013904223u;
            return static_cast<float>(seed >> 8) / static_cast<float>(1u << 24);
        };
        for (int i = 0; i < kParticles; ++i) {
            D3DMATRIX world = reference::Identity();
            const float size = 0.4f + 1.2f * next();
            world._11 = world._22 = size;
            world._41 = 24 * next() - 12;
            world._42 = 18 * next() - 9;
            world._43 = 10 * next() - 5;
            D3DMATERIAL8 material{};
            material.Ambient = {next(), next(), next(), 1};
            material.Diffuse = material.Ambient;
            SetWorld(world);
            EXPECT_EQ(device_->SetMaterial(&material), S_OK);
            EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), S_OK);
        }
        End();
        scene.frame = Capture();  // reading back submits what is still held back
        device_->GetDrawStats(&scene.stats);
        EXPECT_EQ(device_->SetTexture(0, nullptr), S_OK);
        EXPECT_EQ(device_->SetStreamSource(0, nullptr, 0), S_OK);
        return scene;
    }

    // Pixels where some channel of `a` and `b` differs by more than `tolerance`.
    static int PixelsApart(const Frame& a, const Frame& b, int tolerance) {
        int apart = 0;
        for (std::size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i)
            if (!ColourNear(a.pixels[i], b.pixels[i], tolerance)) ++apart;
        return apart;
    }
};

TEST_F(LimitedDeviceTest, ParticlesDrawTheSamePictureWhateverTheVertexUniformsHold) {
    const Scene full = DrawParticles();
    ASSERT_EQ(full.stats.drawCalls, static_cast<DWORD>(kParticles));
    // The scene drew something: most of the picture is lit up by the particles.
    int lit = 0;
    for (std::uint32_t p : full.frame.pixels) lit += ColourNear(p, D3DCOLOR_XRGB(0x10, 0x18, 0x20), 0) ? 0 : 1;
    EXPECT_GT(lit, kWidth * kHeight / 4);

    // The least a WebGL 2 browser offers: merged draws of fewer instances.
    Remake(gpu::kWebGl2Minimum);
    const Scene minimum = DrawParticles();
    const int batch = gpu::MergedBatch(gpu::kWebGl2Minimum);
    ASSERT_GT(batch, 0);
    ASSERT_LT(batch, gpu::vertex_uniforms::kBatch);
    EXPECT_EQ(minimum.stats.drawCalls, static_cast<DWORD>(kParticles));
    EXPECT_EQ(minimum.stats.submissions, static_cast<DWORD>((kParticles + batch - 1) / batch))
        << "every merged draw but the last holds " << batch << " instances";
    EXPECT_LE(full.stats.submissions, minimum.stats.submissions);

    // No room for even two instances beside the single draws' rows: every draw goes out alone.
    gpu::GlLimits tight = gpu::kWebGl2Minimum;
    tight.vertexUniformVectors = gpu::VertexUniformsNeeded(gpu::kMinMergedBatch) - 1;
    ASSERT_EQ(gpu::MergedBatch(tight), 0);
    Remake(tight);
    const Scene single = DrawParticles();
    EXPECT_EQ(single.stats.drawCalls, static_cast<DWORD>(kParticles));
    EXPECT_EQ(single.stats.submissions, static_cast<DWORD>(kParticles));

    EXPECT_EQ(PixelsApart(minimum.frame, full.frame, 1), 0) << "merged draws of " << batch << " instances";
    EXPECT_EQ(PixelsApart(single.frame, full.frame, 1), 0) << "draws one by one";
}

// Between held-back draws the state that merged draws cannot carry still splits them, at the
// smaller batch as at the full one: a change of texture in the middle of a run of particles.
TEST_F(LimitedDeviceTest, SmallerBatchesStillEndAtEveryStateChange) {
    Remake(gpu::kWebGl2Minimum);
    const int batch = gpu::MergedBatch(gpu::kWebGl2Minimum);
    ComPtr<IDirect3DVertexBuffer8> quad;
    ASSERT_EQ(device_->CreateVertexBuffer(4 * sizeof(ColourVertex), D3DUSAGE_WRITEONLY, kColourFvf, D3DPOOL_MANAGED,
                                          quad.Receive()),
              S_OK);
    BYTE* data = nullptr;
    ASSERT_EQ(quad->Lock(0, 0, &data, 0), S_OK);
    const D3DCOLOR white = D3DCOLOR_XRGB(0xFF, 0xFF, 0xFF);
    const ColourVertex corners[4] = {{0, 0, 0.5f, white}, {1, 0, 0.5f, white}, {0, 1, 0.5f, white}, {1, 1, 0.5f, white}};
    std::memcpy(data, corners, sizeof corners);
    ASSERT_EQ(quad->Unlock(), S_OK);
    // One world unit is one pixel, from the top left.
    const D3DMATRIX projection = devicetest::PixelProjection(kWidth, kHeight);
    ASSERT_EQ(device_->SetTransform(D3DTS_PROJECTION, &projection), S_OK);
    Begin();
    Clear(D3DCOLOR_XRGB(0, 0, 0));
    Set(D3DRS_CULLMODE, D3DCULL_NONE);
    Set(D3DRS_LIGHTING, TRUE);
    Set(D3DRS_AMBIENT, white);
    ASSERT_EQ(device_->SetStreamSource(0, quad.Get(), sizeof(ColourVertex)), S_OK);
    ASSERT_EQ(device_->SetVertexShader(kColourFvf), S_OK);
    device_->ResetDrawStats();
    // Squares of 6 pixels, 8 apart: the first half red, then blending on and the rest green.
    const int count = 3 * batch;
    for (int i = 0; i < count; ++i) {
        if (i == count / 2) {
            Set(D3DRS_ALPHABLENDENABLE, TRUE);
            Set(D3DRS_SRCBLEND, D3DBLEND_ONE);
            Set(D3DRS_DESTBLEND, D3DBLEND_ZERO);
        }
        D3DMATRIX world = reference::Identity();
        world._11 = world._22 = 6;
        world._41 = static_cast<float>(8 * (i % 40)) - 0.5f;
        world._42 = static_cast<float>(8 * (i / 40)) - 0.5f;
        SetWorld(world);
        D3DMATERIAL8 material{};
        material.Ambient = i < count / 2 ? D3DCOLORVALUE{1, 0, 0, 1} : D3DCOLORVALUE{0, 1, 0, 1};
        material.Diffuse = material.Ambient;
        ASSERT_EQ(device_->SetMaterial(&material), S_OK);
        ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), S_OK);
    }
    End();
    const Frame frame = Capture();
    D3DDRAWSTATS stats{};
    device_->GetDrawStats(&stats);
    const int half = count / 2;
    const DWORD expected = static_cast<DWORD>((half + batch - 1) / batch + (count - half + batch - 1) / batch);
    EXPECT_EQ(stats.submissions, expected);
    for (int i = 0; i < count; ++i) {
        const int x = 8 * (i % 40) + 3, y = 8 * (i / 40) + 3;
        EXPECT_TRUE(ColourNear(frame.At(x, y), i < half ? D3DCOLOR_XRGB(0xFF, 0, 0) : D3DCOLOR_XRGB(0, 0xFF, 0), 1))
            << "square " << i;
        EXPECT_TRUE(ColourNear(frame.At(x + 4, y + 4), 0, 0)) << "gap after square " << i;
    }
}

}  // namespace
}  // namespace pixeltest
