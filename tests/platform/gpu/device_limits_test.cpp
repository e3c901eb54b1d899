// What the device makes of the GL's limits (gl_limits.h): the decisions on their own, and devices
// made under a cap on them, as on a browser that offers only WebGL 2's minimums.
#include <optional>
#include <string>

#include "platform/gpu/gl_limits.h"
#include "platform/gpu/uniform_layout.h"
#include "tests/platform/gpu/device_fixture.h"

namespace devicetest {
namespace {

using gpu::GlLimits;
using gpu::kWebGl2Minimum;

// Limits so large that none decides anything.
constexpr GlLimits kPlenty{1 << 20, 1 << 20, 1 << 20, 1 << 20, 64, 1 << 20, 1 << 20, 64, 64, 64, 64};

TEST(GlLimitsTest, EveryWebGl2BrowserOffersWhatTheDeviceNeeds) {
    EXPECT_EQ(gpu::Shortfall(kWebGl2Minimum), "");
    EXPECT_GT(gpu::MergedBatch(kWebGl2Minimum), 0) << "merged draws, if smaller ones";
    EXPECT_TRUE(gpu::BackBufferFits(1280, 1024, kWebGl2Minimum)) << "the largest size the setup offers";
    EXPECT_TRUE(gpu::TextureFits(1024, 1024, kWebGl2Minimum)) << "the largest texture the show makes";
    EXPECT_EQ(gpu::BackBufferSamples(4, kWebGl2Minimum), 4u) << "the samples the show asks for";
    // Before a device exists the adapter promises no more than every context gives.
    ComPtr<IDirect3D8> d3d(Direct3DCreate8(D3D_SDK_VERSION));
    D3DCAPS8 caps{};
    ASSERT_EQ(d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps), S_OK);
    EXPECT_LE(caps.MaxTextureWidth, static_cast<DWORD>(kWebGl2Minimum.textureSize));
    EXPECT_LE(caps.MaxTextureHeight, static_cast<DWORD>(kWebGl2Minimum.textureSize));
}

TEST(GlLimitsTest, AShortLimitIsNamedWithItsValueAndTheNeed) {
    const struct {
        GLint GlLimits::*limit;
        const char* name;
    } limits[] = {
        {&GlLimits::vertexUniformVectors, "GL_MAX_VERTEX_UNIFORM_VECTORS"},
        {&GlLimits::fragmentUniformVectors, "GL_MAX_FRAGMENT_UNIFORM_VECTORS"},
        {&GlLimits::vertexAttribs, "GL_MAX_VERTEX_ATTRIBS"},
        {&GlLimits::varyingVectors, "GL_MAX_VARYING_VECTORS"},
        {&GlLimits::textureImageUnits, "GL_MAX_TEXTURE_IMAGE_UNITS"},
        {&GlLimits::combinedTextureImageUnits, "GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS"},
    };
    for (const auto& l : limits) {
        GlLimits short_ = kWebGl2Minimum;
        short_.*l.limit = 1;
        const std::string why = gpu::Shortfall(short_);
        EXPECT_EQ(why.rfind(std::string(l.name) + " is 1, ", 0), 0u) << why;
        EXPECT_NE(why.find("need"), std::string::npos) << why;
    }
    // The single draws' programs: the rows of "V" and the headroom, not one fewer.
    GlLimits justEnough = kWebGl2Minimum;
    justEnough.vertexUniformVectors = gpu::VertexUniformsNeeded(0);
    EXPECT_EQ(gpu::Shortfall(justEnough), "");
    justEnough.vertexUniformVectors -= 1;
    EXPECT_NE(gpu::Shortfall(justEnough), "");
    // Limits with a fallback of their own never refuse the device.
    GlLimits small = kWebGl2Minimum;
    small.textureSize = small.renderbufferSize = small.viewportWidth = small.viewportHeight = 16;
    small.samples = 0;
    EXPECT_EQ(gpu::Shortfall(small), "");
}

TEST(GlLimitsTest, MergedDrawsTakeTheMostInstancesThatFit) {
    using gpu::vertex_uniforms::kBatch;
    GlLimits l = kPlenty;
    int previous = 0;
    for (GLint vectors = 0; vectors <= 1200; ++vectors) {
        l.vertexUniformVectors = vectors;
        const int batch = gpu::MergedBatch(l);
        EXPECT_GE(batch, previous) << vectors << " vectors";
        previous = batch;
        if (batch == 0) {
            EXPECT_GT(gpu::VertexUniformsNeeded(gpu::kMinMergedBatch), vectors);
            continue;
        }
        EXPECT_GE(batch, gpu::kMinMergedBatch);
        EXPECT_LE(batch, kBatch);
        EXPECT_LE(gpu::VertexUniformsNeeded(batch), vectors) << "a program of " << batch << " instances must fit";
        if (batch < kBatch) {
            EXPECT_GT(gpu::VertexUniformsNeeded(batch + 1), vectors) << "one more would fit";
        }
    }
    EXPECT_EQ(previous, kBatch) << "plenty of room holds the full batch";
    // The rows beyond the single draws' program are shared among the instances.
    EXPECT_EQ(gpu::VertexUniformsNeeded(kBatch) - gpu::VertexUniformsNeeded(0),
              gpu::vertex_uniforms::kInstanceRows * kBatch);
}

TEST(GlLimitsTest, SamplesAreCutToTheLimitAndFewerThanTwoAreNone) {
    GlLimits l = kPlenty;
    l.samples = 4;
    EXPECT_EQ(gpu::BackBufferSamples(0, l), 0u);
    EXPECT_EQ(gpu::BackBufferSamples(1, l), 0u);
    EXPECT_EQ(gpu::BackBufferSamples(2, l), 2u);
    EXPECT_EQ(gpu::BackBufferSamples(4, l), 4u);
    EXPECT_EQ(gpu::BackBufferSamples(16, l), 4u);
    l.samples = 1;
    EXPECT_EQ(gpu::BackBufferSamples(4, l), 0u);
    l.samples = 0;
    EXPECT_EQ(gpu::BackBufferSamples(8, l), 0u);
}

TEST(GlLimitsTest, BackBuffersAndTexturesFitUpToTheirLimitsInclusive) {
    GlLimits l = kPlenty;
    l.renderbufferSize = 2048;
    l.viewportWidth = 4096;
    l.viewportHeight = 1024;
    EXPECT_TRUE(gpu::BackBufferFits(2048, 1024, l));
    EXPECT_FALSE(gpu::BackBufferFits(2049, 1024, l)) << "renderbuffer";
    EXPECT_FALSE(gpu::BackBufferFits(1024, 1025, l)) << "viewport height";
    l.textureSize = 2048;
    EXPECT_TRUE(gpu::TextureFits(2048, 1, l));
    EXPECT_FALSE(gpu::TextureFits(1, 2049, l));
    EXPECT_FALSE(gpu::TextureFits(1, 1, GlLimits{})) << "a GL that answered nothing";
}

TEST(GlLimitsTest, SmallerTakesEachLimitFromEither) {
    GlLimits a = kPlenty, b = kPlenty;
    a.textureSize = 100;
    b.samples = 2;
    a.viewportHeight = 7;
    b.combinedTextureImageUnits = 9;
    const GlLimits m = gpu::Smaller(a, b);
    GlLimits expected = kPlenty;
    expected.textureSize = 100;
    expected.samples = 2;
    expected.viewportHeight = 7;
    expected.combinedTextureImageUnits = 9;
    EXPECT_EQ(m, expected);
    EXPECT_EQ(gpu::Smaller(kPlenty, kWebGl2Minimum), kWebGl2Minimum);
}

// Devices made while a cap is set see no more than the cap.
class CappedDeviceTest : public ::testing::Test {
protected:
    void TearDown() override { gpu::SetGlLimitsCap(std::nullopt); }

    HRESULT Create(UINT width, UINT height, std::optional<GlLimits> cap, ComPtr<IDirect3DDevice8>& device) {
        gpu::SetGlLimitsCap(cap);
        D3DPRESENT_PARAMETERS pp = PresentParameters(width, height);
        return d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &window_, D3DCREATE_MIXED_VERTEXPROCESSING, &pp,
                                  device.Receive());
    }

    platform::HeadlessWindow window_{16, 16};
    ComPtr<IDirect3D8> d3d_{Direct3DCreate8(D3D_SDK_VERSION)};
};

TEST_F(CappedDeviceTest, TexturesBeyondTheCappedSizeAreRefused) {
    ComPtr<IDirect3DDevice8> device;
    ASSERT_EQ(Create(16, 16, kWebGl2Minimum, device), S_OK);
    D3DCAPS8 caps{};
    ASSERT_EQ(device->GetDeviceCaps(&caps), S_OK);
    EXPECT_EQ(caps.MaxTextureWidth, 2048u) << "every GL that makes a device offers at least WebGL 2's 2048";
    ComPtr<IDirect3DTexture8> texture;
    EXPECT_EQ(device->CreateTexture(2048, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Receive()), S_OK);
    texture.Reset();
    EXPECT_EQ(device->CreateTexture(2049, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Receive()),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(1, 4096, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Receive()),
              D3DERR_INVALIDCALL);
    EXPECT_FALSE(texture);
}

TEST_F(CappedDeviceTest, ABackBufferBeyondTheCappedRenderTargetsGetsNoDevice) {
    ComPtr<IDirect3DDevice8> device;
    EXPECT_EQ(Create(2049, 8, kWebGl2Minimum, device), D3DERR_NOTAVAILABLE);
    EXPECT_FALSE(device);
    GlLimits narrow = kWebGl2Minimum;
    narrow.viewportHeight = 64;
    EXPECT_EQ(Create(32, 65, narrow, device), D3DERR_NOTAVAILABLE) << "taller than the viewports";
    ASSERT_EQ(Create(2048, 8, kWebGl2Minimum, device), S_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699, 1.0f, 0), S_OK);
    EXPECT_EQ(testpixels::ReadBack(device.Get(), 2048, 8).At(2047, 7), 0xFF336699u);
}

TEST_F(CappedDeviceTest, AGlShortOfWhatTheProgramsNeedGetsNoDevice) {
    ComPtr<IDirect3DDevice8> device;
    GlLimits few = kWebGl2Minimum;
    few.combinedTextureImageUnits = 4;  // the uploads' unit lies beyond
    EXPECT_EQ(Create(16, 16, few, device), D3DERR_NOTAVAILABLE);
    EXPECT_FALSE(device);
    few = kWebGl2Minimum;
    few.vertexUniformVectors = gpu::VertexUniformsNeeded(0) - 1;
    EXPECT_EQ(Create(16, 16, few, device), D3DERR_NOTAVAILABLE);
    // Lifting the cap makes devices again.
    EXPECT_EQ(Create(16, 16, std::nullopt, device), S_OK);
}

TEST_F(CappedDeviceTest, MoreSamplesThanTheCapAllowsStillMakeADeviceThatDraws) {
    GlLimits one = kWebGl2Minimum;
    one.samples = 1;
    for (const std::optional<GlLimits>& cap : {std::optional<GlLimits>(kWebGl2Minimum), std::optional<GlLimits>(one)}) {
        gpu::SetGlLimitsCap(cap);
        D3DPRESENT_PARAMETERS pp = PresentParameters(16, 16);
        pp.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(8);
        ComPtr<IDirect3DDevice8> device;
        ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &window_, D3DCREATE_MIXED_VERTEXPROCESSING, &pp,
                                     device.Receive()),
                  S_OK)
            << cap->samples << " samples at most";
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF204080, 1.0f, 0), S_OK);
        EXPECT_EQ(testpixels::ReadBack(device.Get(), 16, 16).At(5, 5), 0xFF204080u)
            << cap->samples << " samples at most";
    }
}

}  // namespace
}  // namespace devicetest
