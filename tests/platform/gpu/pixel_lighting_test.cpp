// Per-vertex lighting against the CPU model in reference_lighting.
//
// Lighting is computed per vertex and the colours are interpolated across each triangle, so a
// pixel is a convex mix of its triangle's three vertex colours: every channel lies between the
// smallest and the largest of the three. Two ways of comparing follow from that:
//  - "splats": each sampled vertex is drawn as a tiny triangle (a few pixels wide) whose three
//    corners carry the vertex's normal and lie within a few hundredths of a unit of its position.
//    The model lights the three corners exactly as sent; their colours differ by well under one
//    step, so the pixel at the projected vertex must match the model within 2/255.
//  - the whole tessellated sphere: each sampled pixel must lie within the range of the three
//    model colours of the triangle that covers it (pixels near edges are skipped).
#include <algorithm>
#include <array>
#include <optional>
#include <random>

#include "tests/platform/gpu/headless_fixture.h"

namespace pixeltest {
namespace {

using reference::Colour;
using reference::LightingState;
using reference::VertexInput;

D3DCOLORVALUE Rgba(float r, float g, float b, float a = 1.0f) { return {r, g, b, a}; }

// Packs vertices in the layout of `fvf` (position, normal, diffuse; nothing else is used here).
std::vector<std::uint32_t> PackVertices(const std::vector<VertexInput>& vertices, DWORD fvf) {
    std::vector<std::uint32_t> words;
    auto put = [&](float f) { words.push_back(FloatBits(f)); };
    for (const VertexInput& v : vertices) {
        put(v.position.x);
        put(v.position.y);
        put(v.position.z);
        if (fvf & D3DFVF_NORMAL) {
            Vec3 n = v.normal.value_or(Vec3{});
            put(n.x);
            put(n.y);
            put(n.z);
        }
        if (fvf & D3DFVF_DIFFUSE) words.push_back(v.diffuse.value_or(0xFFFFFFFF));
        if (fvf & D3DFVF_SPECULAR) words.push_back(v.specular.value_or(0));
        if (fvf & D3DFVF_TEX1) {  // the middle of the texture
            put(0.5f);
            put(0.5f);
        }
    }
    return words;
}

UINT StrideOf(DWORD fvf) {
    UINT stride = 12;
    if (fvf & D3DFVF_NORMAL) stride += 12;
    if (fvf & D3DFVF_DIFFUSE) stride += 4;
    if (fvf & D3DFVF_SPECULAR) stride += 4;
    if (fvf & D3DFVF_TEX1) stride += 8;
    return stride;
}

// Per-channel range of a few colours, widened by a tolerance.
::testing::AssertionResult WithinColours(std::uint32_t actual, const std::vector<std::uint32_t>& corners,
                                         int tolerance) {
    for (int shift : {16, 8, 0}) {
        int lo = 255, hi = 0;
        for (std::uint32_t c : corners) {
            lo = std::min(lo, Channel(c, shift));
            hi = std::max(hi, Channel(c, shift));
        }
        int value = Channel(actual, shift);
        if (value < lo - tolerance || value > hi + tolerance) {
            auto failure = ::testing::AssertionFailure();
            failure << "colour " << Hex(actual) << " outside the vertex colours";
            for (std::uint32_t c : corners) failure << " " << Hex(c);
            return failure;
        }
    }
    return ::testing::AssertionSuccess();
}

class LightingTest : public HeadlessDeviceTest {
protected:
    void SetUp() override {
        HeadlessDeviceTest::SetUp();
        if (HasFatalFailure()) return;
        SetCamera({0, 0, -4}, {0, 0, 0});
        state_.view = view_;
        Set(D3DRS_CULLMODE, D3DCULL_NONE);
    }

    // Sends the modelled state to the device.
    void ApplyState() {
        SetWorld(state_.world);
        ASSERT_TRUE(SUCCEEDED(device_->SetMaterial(&state_.material)));
        for (DWORD i = 0; i < state_.lights.size(); ++i) {
            ASSERT_TRUE(SUCCEEDED(device_->SetLight(i, &state_.lights[i])));
            ASSERT_TRUE(SUCCEEDED(device_->LightEnable(i, TRUE)));
        }
        Set(D3DRS_LIGHTING, TRUE);
        Set(D3DRS_AMBIENT, state_.ambient);
        Set(D3DRS_SPECULARENABLE, state_.specularEnable);
        Set(D3DRS_LOCALVIEWER, state_.localViewer);
        Set(D3DRS_NORMALIZENORMALS, state_.normalizeNormals);
        Set(D3DRS_COLORVERTEX, state_.colorVertex);
        Set(D3DRS_DIFFUSEMATERIALSOURCE, state_.diffuseSource);
        Set(D3DRS_SPECULARMATERIALSOURCE, state_.specularSource);
        Set(D3DRS_AMBIENTMATERIALSOURCE, state_.ambientSource);
        Set(D3DRS_EMISSIVEMATERIALSOURCE, state_.emissiveSource);
    }

    std::uint32_t Model(const VertexInput& v) const {
        return ToColour(reference::UntexturedColour(reference::LightVertex(state_, v)));
    }

    struct Splat {
        int px = 0, py = 0;
        std::array<VertexInput, 3> corners;
    };

    // A tiny triangle around model-space point p, facing the camera, about ten pixels wide.
    Splat MakeSplat(Vec3 p, std::optional<Vec3> normal, std::optional<D3DCOLOR> diffuse = std::nullopt) const {
        Vec4 screen = Project(p);
        // World units per pixel at this depth, along the camera's right and up axes, taken back
        // to model space through the inverse of the world matrix (the transposed normal matrix).
        float unitsPerPixel = 2 * screen.w * std::tan(kPi / 8) / kHeight;
        D3DMATRIX inverse = reference::NormalMatrix(state_.world);
        std::swap(inverse._12, inverse._21);
        std::swap(inverse._13, inverse._31);
        std::swap(inverse._23, inverse._32);
        Vec3 right = reference::TransformDirection({view_._11, view_._21, view_._31}, inverse);
        Vec3 up = reference::TransformDirection({view_._12, view_._22, view_._32}, inverse);
        Splat splat;
        splat.px = static_cast<int>(std::lround(screen.x));
        splat.py = static_cast<int>(std::lround(screen.y));
        const float offsets[3][2] = {{-5, -4}, {5, -4}, {0, 6}};
        for (int i = 0; i < 3; ++i) {
            Vec3 corner = p + right * (offsets[i][0] * unitsPerPixel) + up * (offsets[i][1] * unitsPerPixel);
            splat.corners[i] = VertexInput{corner, normal, diffuse, std::nullopt};
        }
        return splat;
    }

    void DrawSplats(const std::vector<Splat>& splats, DWORD fvf) {
        std::vector<VertexInput> vertices;
        for (const Splat& s : splats) vertices.insert(vertices.end(), s.corners.begin(), s.corners.end());
        auto words = PackVertices(vertices, fvf);
        ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(fvf)));
        ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(splats.size()),
                                                       words.data(), StrideOf(fvf))));
    }

    ::testing::AssertionResult SplatMatches(const Frame& frame, const Splat& splat, int tolerance = 2) const {
        std::vector<std::uint32_t> corners;
        for (const VertexInput& v : splat.corners) corners.push_back(Model(v));
        return WithinColours(frame.At(splat.px, splat.py), corners, tolerance)
               << " at pixel (" << splat.px << ", " << splat.py << ")";
    }

    // Draws the splats on a black background and checks each of them.
    void DrawAndCheck(const std::vector<Splat>& splats, DWORD fvf) {
        Begin();
        Clear(0xFF000000);
        ApplyState();
        DrawSplats(splats, fvf);
        End();
        Frame frame = Capture();
        for (const Splat& s : splats) EXPECT_TRUE(SplatMatches(frame, s));
    }

    LightingState state_;
};

// ---- The tessellated sphere under a directional and a point light -------------------------

class LitSphereTest : public LightingTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        LightingTest::SetUp();
        if (HasFatalFailure()) return;
        // A camera off the axes: lighting happens in camera space, so light directions and
        // positions must go through the view rotation too.
        SetCamera({2.4f, 1.6f, -3.0f}, {0, 0, 0});
        state_.view = view_;
        state_.specularEnable = GetParam();
        state_.ambient = D3DCOLOR_XRGB(0x20, 0x28, 0x30);
        state_.material.Diffuse = Rgba(0.75f, 0.6f, 0.5f);
        state_.material.Ambient = Rgba(0.3f, 0.35f, 0.4f);
        state_.material.Specular = Rgba(0.45f, 0.4f, 0.35f);
        state_.material.Emissive = Rgba(0.03f, 0.0f, 0.06f);
        state_.material.Power = 12;
        D3DLIGHT8 sun = DirectionalLight(reference::Normalise({1, -1, 1.5f}), Rgba(0.6f, 0.55f, 0.4f));
        sun.Specular = Rgba(1, 1, 1);
        sun.Ambient = Rgba(0.05f, 0.05f, 0.1f);
        D3DLIGHT8 lamp = PointLight({-2.5f, 1.5f, -2.0f}, Rgba(0.3f, 0.5f, 0.8f), 50);
        lamp.Specular = Rgba(0.6f, 0.8f, 0.6f);
        lamp.Ambient = Rgba(0.02f, 0.04f, 0.02f);
        state_.lights = {sun, lamp};
        // A turned and moved sphere, so that the world transform of normals is exercised.
        state_.world = reference::Multiply(reference::RotationY(0.6f), reference::Translation(0.2f, -0.1f, 0.3f));
        sphere_ = BuildSphere(1.3f, 36, 24);
    }

    SphereMesh sphere_;
};

TEST_P(LitSphereTest, VertexSplatsMatchTheModel) {
    SetWorld(state_.world);
    // Front-facing vertices at least 14 pixels apart, so the splats do not overlap.
    std::vector<Splat> splats;
    std::vector<Vec4> taken;
    for (size_t i = 0; i < sphere_.positions.size(); ++i) {
        Vec3 p = sphere_.positions[i];
        Vec3 worldP{};
        {
            Vec4 w4 = reference::TransformPoint(p, state_.world);
            worldP = {w4.x, w4.y, w4.z};
        }
        Vec3 worldN = reference::Normalise(reference::TransformDirection(sphere_.normals[i], state_.world));
        if (reference::Dot(worldN, reference::Normalise(eye_ - worldP)) < 0.35f) continue;
        Vec4 screen = Project(p);
        bool clear = std::all_of(taken.begin(), taken.end(), [&](const Vec4& t) {
            return std::hypot(t.x - screen.x, t.y - screen.y) >= 14.0f;
        });
        if (!clear) continue;
        taken.push_back(screen);
        splats.push_back(MakeSplat(p, sphere_.normals[i]));
    }
    ASSERT_GT(splats.size(), 60u);
    DrawAndCheck(splats, kNormalFvf);
}

TEST_P(LitSphereTest, WholeSphereStaysWithinItsVertexColours) {
    std::vector<VertexInput> vertices;
    for (WORD index : sphere_.indices)
        vertices.push_back(VertexInput{sphere_.positions[index], sphere_.normals[index], std::nullopt, std::nullopt});
    Begin();
    Clear(0xFF000000);
    ApplyState();
    auto words = PackVertices(vertices, kNormalFvf);
    ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(kNormalFvf)));
    ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(vertices.size() / 3),
                                                   words.data(), StrideOf(kNormalFvf))));
    End();
    Frame frame = Capture();

    // Screen positions and model colours per vertex.
    std::vector<Vec4> screen;
    std::vector<std::uint32_t> colours;
    for (const VertexInput& v : vertices) {
        screen.push_back(Project(v.position));
        colours.push_back(Model(v));
    }
    int checked = 0;
    for (size_t t = 0; t + 2 < vertices.size(); t += 3) {
        // Only triangles on the camera's side of the sphere (culling is off), and no slivers.
        Vec3 centroidNormal = vertices[t].normal.value() + vertices[t + 1].normal.value() + vertices[t + 2].normal.value();
        Vec4 centroid = reference::TransformPoint(vertices[t].position, state_.world);
        Vec3 toEye = eye_ - Vec3{centroid.x, centroid.y, centroid.z};
        if (reference::Dot(reference::TransformDirection(centroidNormal, state_.world), toEye) <= 0) continue;
        const Vec4& a = screen[t];
        Vec4 b = screen[t + 1], c = screen[t + 2];
        float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
        if (area < 0) std::swap(b, c);
        if (std::fabs(area) < 20.0f) continue;
        int x0 = static_cast<int>(std::floor(std::min({a.x, b.x, c.x})));
        int x1 = static_cast<int>(std::ceil(std::max({a.x, b.x, c.x})));
        int y0 = static_cast<int>(std::floor(std::min({a.y, b.y, c.y})));
        int y1 = static_cast<int>(std::ceil(std::max({a.y, b.y, c.y})));
        auto edge = [](const Vec4& p, const Vec4& q, float x, float y) {
            float length = std::hypot(q.x - p.x, q.y - p.y);
            return ((q.x - p.x) * (y - p.y) - (q.y - p.y) * (x - p.x)) / length;
        };
        for (int y = y0; y <= y1; y += 2) {
            for (int x = x0; x <= x1; x += 2) {
                // Signed distances to the three edges; inside with a margin of one pixel.
                if (edge(a, b, x, y) < 1.0f || edge(b, c, x, y) < 1.0f || edge(c, a, x, y) < 1.0f) continue;
                EXPECT_TRUE(WithinColours(frame.At(x, y), {colours[t], colours[t + 1], colours[t + 2]}, 2))
                    << " at pixel (" << x << ", " << y << "), triangle " << t / 3;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 3000);
}

INSTANTIATE_TEST_SUITE_P(Specular, LitSphereTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "SpecularOn" : "SpecularOff";
                         });

// ---- Single effects, on splats ------------------------------------------------------------

class LightingEffectTest : public LightingTest {
protected:
    void SetUp() override {
        LightingTest::SetUp();
        if (HasFatalFailure()) return;
        state_.material.Diffuse = Rgba(0.8f, 0.6f, 0.4f, 1.0f);
        state_.material.Ambient = Rgba(0.5f, 0.5f, 0.5f, 1.0f);
        state_.lights = {DirectionalLight({0, 0, 1}, Rgba(0.9f, 0.9f, 0.9f))};
    }

    // A splat facing the camera at (x, y) on the z = 0 plane.
    Splat FacingSplat(float x, float y, std::optional<D3DCOLOR> diffuse = std::nullopt) const {
        return MakeSplat({x, y, 0}, Vec3{0, 0, -1}, diffuse);
    }
};

TEST_F(LightingEffectTest, VertexDiffuseColourFeedsTheDefaultDiffuseSource) {
    // COLORVERTEX TRUE and DIFFUSEMATERIALSOURCE COLOR1 are the defaults: the vertex colour
    // replaces the material diffuse.
    const D3DCOLOR vertexColour = D3DCOLOR_XRGB(0x20, 0xE0, 0x60);
    Splat splat = FacingSplat(0, 0, vertexColour);
    std::uint32_t fromVertex = Model(splat.corners[0]);
    LightingState materialOnly = state_;
    materialOnly.colorVertex = false;
    ASSERT_FALSE(ColourNear(fromVertex, ToColour(reference::UntexturedColour(
                                            reference::LightVertex(materialOnly, splat.corners[0]))),
                            20))
        << "the case cannot tell the two sources apart";
    DrawAndCheck({splat}, kNormalColourFvf);
}

TEST_F(LightingEffectTest, MaterialDiffuseIsUsedWhenVertexColourIsOff) {
    state_.colorVertex = false;
    DrawAndCheck({FacingSplat(-0.5f, 0, D3DCOLOR_XRGB(0x20, 0xE0, 0x60))}, kNormalColourFvf);
}

TEST_F(LightingEffectTest, MaterialSourceMaterialIgnoresTheVertexColour) {
    state_.diffuseSource = D3DMCS_MATERIAL;
    DrawAndCheck({FacingSplat(0.5f, 0, D3DCOLOR_XRGB(0x20, 0xE0, 0x60))}, kNormalColourFvf);
}

TEST_F(LightingEffectTest, AmbientSourceCanComeFromTheVertexColour) {
    state_.ambientSource = D3DMCS_COLOR1;
    state_.diffuseSource = D3DMCS_MATERIAL;
    state_.ambient = D3DCOLOR_XRGB(0x80, 0x80, 0x80);
    DrawAndCheck({FacingSplat(0, 0.5f, D3DCOLOR_XRGB(0xF0, 0x10, 0x90))}, kNormalColourFvf);
}

TEST_F(LightingEffectTest, VertexWithoutColourFallsBackToTheMaterial) {
    // COLOR1 names the vertex diffuse, but this format has none.
    DrawAndCheck({FacingSplat(0, -0.5f)}, kNormalFvf);
}

TEST_F(LightingEffectTest, NegativeLightColourDarkens) {
    state_.lights.push_back(DirectionalLight({0, 0, 1}, Rgba(-0.5f, -0.2f, -1.5f)));
    Splat splat = FacingSplat(0, 0);
    LightingState positiveOnly = state_;
    positiveOnly.lights.pop_back();
    std::uint32_t darker = Model(splat.corners[0]);
    std::uint32_t brighter = ToColour(reference::UntexturedColour(reference::LightVertex(positiveOnly, splat.corners[0])));
    ASSERT_LT(Channel(darker, 16) + 40, Channel(brighter, 16));
    EXPECT_EQ(Channel(darker, 0), 0) << "blue sums below zero and clamps to 0";
    DrawAndCheck({splat}, kNormalFvf);
}

TEST_F(LightingEffectTest, BrightSumsClampToFull) {
    state_.material.Emissive = Rgba(0.6f, 0.1f, 0.0f);
    state_.lights.push_back(DirectionalLight({0, 0, 1}, Rgba(1.0f, 1.0f, 0.2f)));
    Splat splat = FacingSplat(0, 0);
    std::uint32_t expected = Model(splat.corners[0]);
    ASSERT_EQ(Channel(expected, 16), 255);
    ASSERT_EQ(Channel(expected, 8), 255);
    DrawAndCheck({splat}, kNormalFvf);
}

TEST_F(LightingEffectTest, VertexWithoutNormalGetsOnlyEmissiveAndAmbient) {
    state_.material.Emissive = Rgba(0.1f, 0.2f, 0.05f);
    state_.ambient = D3DCOLOR_XRGB(0x40, 0x30, 0x20);
    state_.lights[0].Ambient = Rgba(0.2f, 0.1f, 0.3f);
    Splat splat = MakeSplat({0, 0, 0}, std::nullopt);
    // Emissive + material ambient x (global ambient + light ambient); no diffuse term.
    Colour expected{0.1f + 0.5f * (0x40 / 255.0f + 0.2f), 0.2f + 0.5f * (0x30 / 255.0f + 0.1f),
                    0.05f + 0.5f * (0x20 / 255.0f + 0.3f), 1};
    ASSERT_TRUE(ColourNear(Model(splat.corners[0]), ToColour(expected), 1));
    DrawAndCheck({splat}, kPositionFvf);
}

TEST_F(LightingEffectTest, PointLightBeyondItsRangeAddsNothing) {
    state_.lights = {PointLight({0, 0, -1}, Rgba(0.7f, 0.8f, 0.9f), 2.0f)};
    state_.lights[0].Ambient = Rgba(0.3f, 0.3f, 0.3f);
    state_.material.Emissive = Rgba(0.05f, 0.05f, 0.05f);
    state_.ambient = D3DCOLOR_XRGB(0x30, 0x30, 0x30);
    Splat inside = FacingSplat(0, 0);       // 1 unit from the light
    Splat outside = FacingSplat(1.9f, 0);   // about 2.15 units away
    // Outside only emissive and the global ambient remain (the light's ambient term goes too).
    Colour unlit{0.05f + 0.5f * 0x30 / 255.0f, 0.05f + 0.5f * 0x30 / 255.0f, 0.05f + 0.5f * 0x30 / 255.0f, 1};
    ASSERT_TRUE(ColourNear(Model(outside.corners[0]), ToColour(unlit), 1));
    ASSERT_FALSE(ColourNear(Model(inside.corners[0]), ToColour(unlit), 30));
    DrawAndCheck({inside, outside}, kNormalFvf);
}

TEST_F(LightingEffectTest, PointLightAttenuates) {
    D3DLIGHT8 lamp = PointLight({0, 0, -1.5f}, Rgba(1, 1, 1), 10.0f);
    lamp.Attenuation0 = 0.5f;
    lamp.Attenuation1 = 0.4f;
    lamp.Attenuation2 = 0.1f;
    state_.lights = {lamp};
    DrawAndCheck({FacingSplat(0, 0), FacingSplat(1.5f, 0.5f), FacingSplat(-1.2f, -0.8f)}, kNormalFvf);
}

TEST_F(LightingEffectTest, LitAlphaComesFromTheDiffuseSource) {
    // Blend the lit colour over white: the result reveals the alpha of the lit vertex.
    state_.material.Diffuse.a = 0.25f;
    Splat fromMaterial = FacingSplat(-0.6f, 0);
    Splat fromVertex = FacingSplat(0.6f, 0, D3DCOLOR_ARGB(0xC0, 0x40, 0x80, 0xC0));
    Begin();
    Clear(0xFFFFFFFF);
    ApplyState();
    SetStage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    SetStage(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    Set(D3DRS_ALPHABLENDENABLE, TRUE);
    Set(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    Set(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    DrawSplats({fromMaterial}, kNormalFvf);
    DrawSplats({fromVertex}, kNormalColourFvf);
    End();
    Frame frame = Capture();
    for (const Splat* s : {&fromMaterial, &fromVertex}) {
        Colour lit = reference::UntexturedColour(reference::LightVertex(state_, s->corners[0]));
        float a = lit.a;
        Colour over{lit.r * a + (1 - a), lit.g * a + (1 - a), lit.b * a + (1 - a), 1};
        EXPECT_TRUE(ColourNear(frame.At(s->px, s->py), ToColour(over))) << "alpha " << a;
    }
}

TEST_F(LightingEffectTest, NormalizeNormalsUndoesAScaledWorld) {
    // The world scales by 3; the positions are a third, so the splat lands where it would
    // unscaled. Transformed normals come out three times too short, until renormalised.
    state_.world = reference::Scaling(3, 3, 3);
    state_.normalizeNormals = true;
    state_.lights = {DirectionalLight(reference::Normalise({0.5f, -0.3f, 1}), Rgba(0.9f, 0.9f, 0.9f))};
    SetWorld(state_.world);
    Splat splat = MakeSplat({0.1f, 0.05f, 0}, reference::Normalise({0.2f, 0.1f, -1}));
    LightingState unscaled = state_;
    unscaled.world = reference::Identity();
    VertexInput unscaledVertex = splat.corners[0];
    unscaledVertex.position = unscaledVertex.position * 3;
    ASSERT_TRUE(ColourNear(Model(splat.corners[0]),
                           ToColour(reference::UntexturedColour(reference::LightVertex(unscaled, unscaledVertex))), 1));
    DrawAndCheck({splat}, kNormalFvf);
}

TEST_F(LightingEffectTest, EightLightsAllContribute) {
    state_.lights.clear();
    for (int i = 0; i < 8; ++i) {
        float angle = i * kPi / 4;
        Vec3 direction = reference::Normalise({0.6f * std::cos(angle), 0.6f * std::sin(angle), 1});
        float k = 0.04f + 0.015f * i;
        state_.lights.push_back(DirectionalLight(direction, Rgba(k, 0.1f - 0.01f * i, 0.05f)));
    }
    Splat splat = FacingSplat(0, 0);
    LightingState seven = state_;
    seven.lights.pop_back();
    ASSERT_FALSE(ColourNear(Model(splat.corners[0]),
                            ToColour(reference::UntexturedColour(reference::LightVertex(seven, splat.corners[0]))), 2))
        << "the eighth light must make a visible difference";
    DrawAndCheck({splat}, kNormalFvf);
}

TEST_F(LightingEffectTest, SpecularIsAddedAfterTexturing) {
    // A flat grey texture modulates the lit diffuse colour; the specular colour comes on top.
    state_.specularEnable = true;
    state_.material.Specular = Rgba(0.6f, 0.5f, 0.3f);
    state_.material.Power = 4;
    state_.lights[0].Specular = Rgba(1, 1, 1);
    const D3DCOLOR texel = D3DCOLOR_XRGB(0x80, 0x60, 0x40);
    auto texture = MakeTexture(1, 1, 1, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(texture);
    FillLevel<std::uint32_t>(texture.Get(), 0, 1, 1, {texel});
    Splat splat = FacingSplat(0.1f, 0.1f);
    Begin();
    Clear(0xFF000000);
    ApplyState();
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, texture.Get())));
    DrawSplats({splat}, kNormalFvf | D3DFVF_TEX1);
    End();
    Frame frame = Capture();
    ASSERT_TRUE(SUCCEEDED(device_->SetTexture(0, nullptr)));
    std::vector<std::uint32_t> corners;
    Colour t = reference::FromD3DColor(texel);
    for (const VertexInput& v : splat.corners) {
        reference::LitVertex lit = reference::LightVertex(state_, v);
        Colour sum{t.r * lit.diffuse.r + lit.specular.r, t.g * lit.diffuse.g + lit.specular.g,
                   t.b * lit.diffuse.b + lit.specular.b, 1};
        corners.push_back(ToColour(sum));
    }
    Colour lit0 = reference::LightVertex(state_, splat.corners[0]).specular;
    ASSERT_GT(lit0.r, 0.2f) << "the case needs a visible highlight";
    EXPECT_TRUE(WithinColours(frame.At(splat.px, splat.py), corners, 2));
}

TEST_F(LightingEffectTest, DisabledAndSparseLights) {
    // Lights live at indices 3 and 6; index 4 is set but switched off again.
    D3DLIGHT8 warm = DirectionalLight(reference::Normalise({0.3f, -0.2f, 1}), Rgba(0.6f, 0.3f, 0.1f));
    D3DLIGHT8 cool = DirectionalLight(reference::Normalise({-0.4f, 0.1f, 1}), Rgba(0.1f, 0.3f, 0.6f));
    D3DLIGHT8 off = DirectionalLight({0, 0, 1}, Rgba(1, 1, 1));
    state_.lights = {warm, cool};
    Splat splat = FacingSplat(0.2f, -0.1f);
    Begin();
    Clear(0xFF000000);
    ApplyState();  // sets the two lights at 0 and 1
    ASSERT_TRUE(SUCCEEDED(device_->LightEnable(0, FALSE)));
    ASSERT_TRUE(SUCCEEDED(device_->LightEnable(1, FALSE)));
    ASSERT_TRUE(SUCCEEDED(device_->SetLight(3, &warm)));
    ASSERT_TRUE(SUCCEEDED(device_->LightEnable(3, TRUE)));
    ASSERT_TRUE(SUCCEEDED(device_->SetLight(4, &off)));
    ASSERT_TRUE(SUCCEEDED(device_->LightEnable(4, TRUE)));
    ASSERT_TRUE(SUCCEEDED(device_->SetLight(6, &cool)));
    ASSERT_TRUE(SUCCEEDED(device_->LightEnable(6, TRUE)));
    ASSERT_TRUE(SUCCEEDED(device_->LightEnable(4, FALSE)));
    DrawSplats({splat}, kNormalFvf);
    End();
    EXPECT_TRUE(SplatMatches(Capture(), splat));
    BOOL enabled = TRUE;
    ASSERT_TRUE(SUCCEEDED(device_->GetLightEnable(4, &enabled)));
    EXPECT_FALSE(enabled);
}

TEST_F(LightingEffectTest, ChangingAnEnabledLightAffectsTheNextDraw) {
    Splat first = FacingSplat(-0.6f, 0), second = FacingSplat(0.6f, 0);
    Begin();
    Clear(0xFF000000);
    ApplyState();
    DrawSplats({first}, kNormalFvf);
    LightingState before = state_;
    state_.lights[0].Diffuse = Rgba(0.2f, 0.9f, 0.3f);
    ASSERT_TRUE(SUCCEEDED(device_->SetLight(0, &state_.lights[0])));
    DrawSplats({second}, kNormalFvf);
    End();
    Frame frame = Capture();
    EXPECT_TRUE(SplatMatches(frame, second));
    state_ = before;
    EXPECT_TRUE(SplatMatches(frame, first));
}

TEST_F(LightingEffectTest, UnlitVertexWithoutColourIsWhite) {
    Begin();
    Clear(0xFF000000);
    Set(D3DRS_LIGHTING, FALSE);
    PositionVertex tri[3] = {{-0.5f, 0.5f, 0}, {0.5f, 0.5f, 0}, {0, -0.5f, 0}};
    ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(kPositionFvf)));
    ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(PositionVertex))));
    End();
    Vec4 centre = Project({0, 0.1f, 0});
    EXPECT_TRUE(ColourNear(Capture().At(static_cast<int>(std::lround(centre.x)), static_cast<int>(std::lround(centre.y))),
                           0xFFFFFFFF));
}

// ---- Many random set-ups -------------------------------------------------------------------

// Random lights, materials, material sources and vertex colours, from a fixed seed so that a
// failure repeats. Each set-up is checked on a dozen splats spread over the screen.
TEST_F(LightingTest, RandomSetUpsMatchTheModel) {
    std::mt19937 random(20261208);
    auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(random); };
    auto colour = [&](float lo, float hi) { return Rgba(uniform(lo, hi), uniform(lo, hi), uniform(lo, hi), uniform(0, 1)); };
    auto argb = [&]() { return static_cast<D3DCOLOR>(random()); };
    const D3DMATERIALCOLORSOURCE sources[3] = {D3DMCS_MATERIAL, D3DMCS_COLOR1, D3DMCS_COLOR2};
    for (int round = 0; round < 24; ++round) {
        SCOPED_TRACE(::testing::Message() << "set-up " << round);
        LightingState state;
        SetCamera({uniform(-3, 3), uniform(-2, 2), -4}, {0, 0, 0});
        state.view = view_;
        state.world = reference::Multiply(reference::RotationY(uniform(-1, 1)), reference::RotationX(uniform(-1, 1)));
        state.material.Diffuse = colour(0, 1);
        state.material.Ambient = colour(0, 0.6f);
        state.material.Specular = colour(0, 1);
        state.material.Emissive = colour(0, 0.3f);
        state.material.Power = uniform(4, 40);
        state.ambient = argb() & 0x00606060;
        state.specularEnable = random() % 2;
        state.colorVertex = random() % 4 != 0;
        state.diffuseSource = sources[random() % 3];
        state.ambientSource = sources[random() % 3];
        state.specularSource = sources[random() % 3];
        state.emissiveSource = sources[random() % 3];
        state.normalizeNormals = true;
        int lights = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < lights; ++i) {
            D3DLIGHT8 light{};
            if (random() % 2) {
                light = DirectionalLight(reference::Normalise({uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)}),
                                         colour(-0.3f, 1));
            } else {
                light = PointLight({uniform(-3, 3), uniform(-3, 3), uniform(-4, 1)}, colour(-0.3f, 1), uniform(2, 8));
                if (random() % 2) {
                    light.Attenuation0 = uniform(0.2f, 1);
                    light.Attenuation1 = uniform(0, 0.3f);
                    light.Attenuation2 = uniform(0, 0.1f);
                }
            }
            light.Ambient = colour(-0.1f, 0.3f);
            light.Specular = colour(0, 1);
            state.lights.push_back(light);
        }
        state_ = state;
        Begin();
        Clear(0xFF000000);
        for (DWORD i = 0; i < 8; ++i) device_->LightEnable(i, FALSE);
        ApplyState();
        SetWorld(state.world);
        std::vector<Splat> splats;
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 4; ++column) {
                // Points on the plane through the origin facing the camera, spread out.
                Vec3 right{view_._11, view_._21, view_._31}, up{view_._12, view_._22, view_._32};
                Vec3 worldPoint = right * (-1.5f + column) + up * (-1.0f + row);
                // Back to model space: the world is a rotation, so its transpose inverts it.
                D3DMATRIX inverse = state.world;
                std::swap(inverse._12, inverse._21);
                std::swap(inverse._13, inverse._31);
                std::swap(inverse._23, inverse._32);
                Vec3 p = reference::TransformDirection(worldPoint, inverse);
                Vec3 n = reference::Normalise({uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)});
                splats.push_back(MakeSplat(p, n, argb()));
                for (auto& corner : splats.back().corners) corner.specular = splats.back().corners[0].diffuse.value() ^ 0x00FFFFFF;
            }
        }
        DrawSplats(splats, kNormalColourFvf | D3DFVF_SPECULAR);
        End();
        Frame frame = Capture();
        for (const Splat& splat : splats) EXPECT_TRUE(SplatMatches(frame, splat));
    }
}

}  // namespace
}  // namespace pixeltest
