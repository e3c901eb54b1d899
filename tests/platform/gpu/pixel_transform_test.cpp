// Transforms: world x view x projection and the viewport equation put geometry on the predicted
// pixels; the depth test and depth writes; two-weight vertex blending.
#include <algorithm>

#include "tests/platform/gpu/headless_fixture.h"

namespace pixeltest {
namespace {

constexpr D3DCOLOR kBackground = D3DCOLOR_XRGB(0x10, 0x20, 0x30);
constexpr D3DCOLOR kInk = D3DCOLOR_XRGB(0xF0, 0xC0, 0x80);

class TransformTest : public HeadlessDeviceTest {
protected:
    void SetUp() override {
        HeadlessDeviceTest::SetUp();
        if (HasFatalFailure()) return;
        Set(D3DRS_LIGHTING, FALSE);
        Set(D3DRS_CULLMODE, D3DCULL_NONE);
    }

    // Checks the pixels around a screen triangle: centres clearly inside must show `ink`,
    // centres clearly outside `background`; those within 0.05 pixel of an edge are skipped.
    // Returns the number of inside pixels.
    int ExpectTriangle(const Frame& frame, Vec4 a, Vec4 b, Vec4 c, D3DCOLOR ink, D3DCOLOR background) {
        float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
        if (area < 0) std::swap(b, c);
        auto edge = [](const Vec4& p, const Vec4& q, float x, float y) {
            return ((q.x - p.x) * (y - p.y) - (q.y - p.y) * (x - p.x)) / std::hypot(q.x - p.x, q.y - p.y);
        };
        int x0 = std::max(0, static_cast<int>(std::floor(std::min({a.x, b.x, c.x}))) - 2);
        int x1 = std::min(kWidth - 1, static_cast<int>(std::ceil(std::max({a.x, b.x, c.x}))) + 2);
        int y0 = std::max(0, static_cast<int>(std::floor(std::min({a.y, b.y, c.y}))) - 2);
        int y1 = std::min(kHeight - 1, static_cast<int>(std::ceil(std::max({a.y, b.y, c.y}))) + 2);
        int inside = 0, misses = 0;
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                float e = std::min({edge(a, b, x, y), edge(b, c, x, y), edge(c, a, x, y)});
                if (std::fabs(e) < 0.05f) continue;
                bool in = e > 0;
                inside += in;
                if (!ColourNear(frame.At(x, y), in ? ink : background, 1) && ++misses <= 6)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << Hex(frame.At(x, y)) << ", expected "
                                  << (in ? "inside" : "outside") << " the triangle";
            }
        }
        EXPECT_EQ(misses, 0);
        return inside;
    }

    void DrawTriangle(const ColourVertex (&tri)[3]) {
        ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(kColourFvf)));
        ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(ColourVertex))));
    }

    // Draws one triangle of `fvf` vertices alone on the background, then checks its pixels
    // against the screen positions `project` gives its vertices; more than `minInside` pixels
    // must lie inside.
    template <class Vertex, class Project>
    void ExpectDrawnTriangle(DWORD fvf, const Vertex (&tri)[3], Project project, int minInside) {
        Begin();
        Clear(kBackground);
        ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(fvf)));
        ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(Vertex))));
        End();
        const Frame frame = Capture();
        EXPECT_GT(ExpectTriangle(frame, project(tri[0]), project(tri[1]), project(tri[2]), kInk, kBackground),
                  minInside);
    }

    static Vec3 At(const ColourVertex& v) { return {v.x, v.y, v.z}; }
};

TEST_F(TransformTest, ProjectedTrianglesLandOnThePredictedPixels) {
    // A Z-up world and a camera looking down at an angle, as the show's cameras do.
    SetCamera({3, -4, 2.5f}, {0, 0, 0.5f}, {0, 0, 1}, kPi / 3, 0.5f, 50.0f);
    SetWorld(reference::Multiply(reference::RotationZ(0.4f), reference::Translation(0.3f, 0.2f, 0)));
    const ColourVertex triangles[3][3] = {
        {{0, 0, 0, kInk}, {0.7f, 0.1f, 0.2f, kInk}, {0.2f, 0.6f, 0.9f, kInk}},
        {{-1.1f, -0.4f, 0.3f, kInk}, {-0.6f, -0.45f, 0.3f, kInk}, {-0.9f, 0.05f, 0.5f, kInk}},
        {{1.2f, -1.0f, 1.0f, kInk}, {1.25f, -0.9f, 1.4f, kInk}, {1.6f, -1.3f, 1.05f, kInk}}};
    Begin();
    Clear(kBackground);
    for (const auto& tri : triangles) DrawTriangle(tri);
    End();
    Frame frame = Capture();
    for (const auto& tri : triangles)
        EXPECT_GT(ExpectTriangle(frame, Project(At(tri[0])), Project(At(tri[1])), Project(At(tri[2])), kInk,
                                 kBackground),
                  30);
}

TEST_F(TransformTest, ViewportEquationHoldsInALetterbox) {
    SetViewport(0, 50, 640, 380);
    SetCamera({0, -6, 1}, {0, 0, 1}, {0, 0, 1});
    const ColourVertex tri[3] = {{-1.0f, 0, 0.2f, kInk}, {0.8f, 0.5f, 1.9f, kInk}, {1.4f, -0.5f, 0.4f, kInk}};
    ExpectDrawnTriangle(kColourFvf, tri, [&](const ColourVertex& v) { return Project(At(v)); }, 500);
}

TEST_F(TransformTest, MultiplyTransformAppliesTheGivenMatrixFirst) {
    SetCamera({0, 0, -5}, {0, 0, 0});
    D3DMATRIX scale = reference::Scaling(2, 1, 1);
    D3DMATRIX move = reference::Translation(0.5f, 0, 0);
    SetWorld(move);
    ASSERT_TRUE(SUCCEEDED(device_->MultiplyTransform(D3DTS_WORLD, &scale)));
    world_ = reference::Multiply(scale, move);  // scale first, then move
    const ColourVertex tri[3] = {{0, 0, 0, kInk}, {0.5f, 0.5f, 0, kInk}, {0.5f, -0.3f, 0, kInk}};
    ExpectDrawnTriangle(kColourFvf, tri, [&](const ColourVertex& v) { return Project(At(v)); }, 100);
}

TEST_F(TransformTest, GeometryCrossingTheNearPlaneIsClipped) {
    // A floor from behind the camera to far ahead: what lies in front of the near plane shows,
    // the sky above the horizon stays clear. A square beyond the far plane is not drawn.
    SetCamera({0, 0, 0}, {0, 0, 1}, {0, 1, 0}, kPi / 4, 1.0f, 100.0f);
    const ColourVertex floor[4] = {{-30, -1, 80, kInk}, {30, -1, 80, kInk}, {-30, -1, -20, kInk}, {30, -1, -20, kInk}};
    const D3DCOLOR farColour = D3DCOLOR_XRGB(0xFF, 0x00, 0xFF);
    const ColourVertex beyond[4] = {{-40, 40, 150, farColour}, {40, 40, 150, farColour}, {-40, -40, 150, farColour},
                                    {40, -40, 150, farColour}};
    Begin();
    Clear(kBackground);
    ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(kColourFvf)));
    ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, floor, sizeof(ColourVertex))));
    ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, beyond, sizeof(ColourVertex))));
    End();
    Frame frame = Capture();
    for (float z : {3.0f, 6.0f, 10.0f, 40.0f}) {
        for (float x : {-0.3f, 0.0f, 0.3f}) {
            Vec4 p = Project({x * z, -1, z});
            EXPECT_TRUE(ColourNear(frame.At(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y))), kInk))
                << "floor at depth " << z;
        }
    }
    for (int x : {5, 320, 630})
        for (int y : {5, 100, 230}) EXPECT_TRUE(ColourNear(frame.At(x, y), kBackground)) << "sky at (" << x << ", " << y << ")";
}

// ---- Depth --------------------------------------------------------------------------------

class DepthTest : public TransformTest {
protected:
    void SetUp() override {
        TransformTest::SetUp();
        if (HasFatalFailure()) return;
        SetCamera({0, 0, -5}, {0, 0, 0});
    }

    // A square facing the camera at world depth z, 2 units wide, centred on x.
    void DrawSquare(float x, float z, D3DCOLOR colour) {
        ColourVertex quad[4] = {{x - 1, 1, z, colour}, {x + 1, 1, z, colour}, {x - 1, -1, z, colour},
                                {x + 1, -1, z, colour}};
        ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(kColourFvf)));
        ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ColourVertex))));
    }

    std::uint32_t Overlap(const Frame& frame) {
        Vec4 p = Project({0.25f, 0, 0});
        return frame.At(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y)));
    }
};

constexpr D3DCOLOR kNear = D3DCOLOR_XRGB(0xFF, 0x00, 0x00);
constexpr D3DCOLOR kFar = D3DCOLOR_XRGB(0x00, 0x00, 0xFF);

TEST_F(DepthTest, TheNearerSquareWinsInEitherOrder) {
    for (bool nearFirst : {true, false}) {
        Begin();
        Clear(kBackground);
        if (nearFirst) {
            DrawSquare(0, -1, kNear);
            DrawSquare(0.5f, 1, kFar);
        } else {
            DrawSquare(0.5f, 1, kFar);
            DrawSquare(0, -1, kNear);
        }
        End();
        EXPECT_TRUE(ColourNear(Overlap(Capture()), kNear)) << (nearFirst ? "near drawn first" : "far drawn first");
    }
}

TEST_F(DepthTest, LessEqualLetsAnEqualDepthDrawAgain) {
    Begin();
    Clear(kBackground);
    DrawSquare(0, 0, kFar);
    DrawSquare(0, 0, kNear);
    End();
    EXPECT_TRUE(ColourNear(Overlap(Capture()), kNear));
}

TEST_F(DepthTest, LessRejectsAnEqualDepth) {
    Begin();
    Clear(kBackground);
    Set(D3DRS_ZFUNC, D3DCMP_LESS);
    DrawSquare(0, 0, kFar);
    DrawSquare(0, 0, kNear);
    End();
    EXPECT_TRUE(ColourNear(Overlap(Capture()), kFar));
}

TEST_F(DepthTest, WithoutDepthWritesAFartherSquareStillDraws) {
    Begin();
    Clear(kBackground);
    Set(D3DRS_ZWRITEENABLE, FALSE);
    DrawSquare(0, -1, kNear);
    Set(D3DRS_ZWRITEENABLE, TRUE);
    DrawSquare(0.5f, 1, kFar);
    End();
    EXPECT_TRUE(ColourNear(Overlap(Capture()), kFar));
}

TEST_F(DepthTest, WithoutDepthTestTheLastDrawWins) {
    Begin();
    Clear(kBackground);
    DrawSquare(0, -1, kNear);
    Set(D3DRS_ZENABLE, FALSE);
    DrawSquare(0.5f, 1, kFar);
    End();
    EXPECT_TRUE(ColourNear(Overlap(Capture()), kFar));
}

TEST_F(DepthTest, DepthClearValueLimitsWhatDraws) {
    Begin();
    Clear(kBackground, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0.0f);
    DrawSquare(0, -1, kNear);
    End();
    EXPECT_TRUE(ColourNear(Overlap(Capture()), kBackground)) << "nothing is nearer than depth 0";
}

// ---- Vertex blending ----------------------------------------------------------------------

struct BlendVertex {  // XYZB1 | DIFFUSE
    float x, y, z;
    float weight;
    D3DCOLOR diffuse;
};
constexpr DWORD kBlendFvf = D3DFVF_XYZB1 | D3DFVF_DIFFUSE;

class VertexBlendTest : public TransformTest {
protected:
    void SetUp() override {
        TransformTest::SetUp();
        if (HasFatalFailure()) return;
        SetCamera({0, 0, -6}, {0, 0, 0});
        w0_ = reference::Multiply(reference::RotationZ(0.5f), reference::Translation(-1.5f, 0.5f, 0));
        w1_ = reference::Multiply(reference::Scaling(1.5f, 1.5f, 1), reference::Translation(1.0f, -0.8f, 0.5f));
        ASSERT_TRUE(SUCCEEDED(device_->SetTransform(D3DTS_WORLDMATRIX(0), &w0_)));
        ASSERT_TRUE(SUCCEEDED(device_->SetTransform(D3DTS_WORLDMATRIX(1), &w1_)));
    }

    // Screen position of a vertex by p' = w (p x W0) + (1 - w) (p x W1).
    Vec4 Blended(const BlendVertex& v) const {
        Vec4 a = reference::TransformPoint({v.x, v.y, v.z}, w0_);
        Vec4 b = reference::TransformPoint({v.x, v.y, v.z}, w1_);
        Vec3 p{v.weight * a.x + (1 - v.weight) * b.x, v.weight * a.y + (1 - v.weight) * b.y,
               v.weight * a.z + (1 - v.weight) * b.z};
        return ProjectWith(p, reference::Identity());
    }

    void ExpectBlended(const BlendVertex (&tri)[3]) {
        ExpectDrawnTriangle(kBlendFvf, tri, [&](const BlendVertex& v) { return Blended(v); }, 100);
    }

    D3DMATRIX w0_{}, w1_{};
};

TEST_F(VertexBlendTest, OneWeightMixesTheTwoWorldMatrices) {
    const BlendVertex tri[3] = {{0, 0, 0, 0.25f, kInk}, {0.8f, 0.2f, 0, 1.0f, kInk}, {0.1f, 0.9f, 0.2f, 0.0f, kInk}};
    Set(D3DRS_VERTEXBLEND, D3DVBF_1WEIGHTS);
    ExpectBlended(tri);
}

TEST_F(VertexBlendTest, EqualWeightsLandHalfwayBetween) {
    const BlendVertex tri[3] = {{0, 0, 0, 0.5f, kInk}, {0.6f, 0, 0, 0.5f, kInk}, {0, 0.6f, 0, 0.5f, kInk}};
    Set(D3DRS_VERTEXBLEND, D3DVBF_1WEIGHTS);
    ExpectBlended(tri);
}

TEST_F(VertexBlendTest, BlendingOffUsesTheWorldMatrixAlone) {
    const BlendVertex tri[3] = {{0, 0, 0, 0.25f, kInk}, {0.8f, 0.2f, 0, 0.6f, kInk}, {0.1f, 0.9f, 0.2f, 0.0f, kInk}};
    // VERTEXBLEND stays DISABLE.
    ExpectDrawnTriangle(kBlendFvf, tri, [&](const BlendVertex& v) { return ProjectWith({v.x, v.y, v.z}, w0_); }, 100);
}

struct Blend3Vertex {  // XYZB3 | DIFFUSE
    float x, y, z;
    float weights[3];
    D3DCOLOR diffuse;
};
constexpr DWORD kBlend3Fvf = D3DFVF_XYZB3 | D3DFVF_DIFFUSE;

class FourMatrixBlendTest : public TransformTest {
protected:
    void SetUp() override {
        TransformTest::SetUp();
        if (HasFatalFailure()) return;
        SetCamera({0, 0, -6}, {0, 0, 0});
        worlds_[0] = reference::Translation(-1.2f, 0.6f, 0);
        worlds_[1] = reference::Multiply(reference::RotationZ(-0.7f), reference::Translation(1.0f, 0.4f, 0.3f));
        worlds_[2] = reference::Translation(0.2f, -1.3f, -0.5f);
        worlds_[3] = reference::Multiply(reference::Scaling(0.7f, 1.2f, 1), reference::Translation(-0.4f, -0.2f, 1));
        for (DWORD i = 0; i < 4; ++i)
            ASSERT_TRUE(SUCCEEDED(device_->SetTransform(D3DTS_WORLDMATRIX(i), &worlds_[i])));
    }

    // p' = sum over the first n weights of w_i (p x W_i), plus the rest of 1 times p x W_n.
    Vec4 Blended(const Blend3Vertex& v, int n) const {
        Vec3 sum{};
        float used = 0;
        for (int i = 0; i <= n; ++i) {
            float w = i < n ? v.weights[i] : 1 - used;
            used += i < n ? v.weights[i] : 0;
            Vec4 p = reference::TransformPoint({v.x, v.y, v.z}, worlds_[i]);
            sum = sum + Vec3{p.x, p.y, p.z} * w;
        }
        return ProjectWith(sum, reference::Identity());
    }

    // Draws with the first `weights` weights of each vertex and checks the blended positions.
    void ExpectBlended(const Blend3Vertex (&tri)[3], int weights) {
        ExpectDrawnTriangle(kBlend3Fvf, tri, [&](const Blend3Vertex& v) { return Blended(v, weights); }, 100);
    }

    D3DMATRIX worlds_[4]{};
};

TEST_F(FourMatrixBlendTest, ThreeWeightsUseFourWorldMatrices) {
    D3DCAPS8 caps{};
    ASSERT_TRUE(SUCCEEDED(device_->GetDeviceCaps(&caps)));
    ASSERT_GE(caps.MaxVertexBlendMatrices, 4u);
    const Blend3Vertex tri[3] = {{0, 0, 0, {0.2f, 0.3f, 0.1f}, kInk},
                                 {0.9f, 0.1f, 0, {0.0f, 0.6f, 0.2f}, kInk},
                                 {0.2f, 0.8f, 0.1f, {0.5f, 0.0f, 0.4f}, kInk}};
    Set(D3DRS_VERTEXBLEND, D3DVBF_3WEIGHTS);
    ExpectBlended(tri, 3);
}

TEST_F(FourMatrixBlendTest, ExtraWeightsInTheVertexAreIgnored) {
    // Three weights stored, one used: p' = w0 (p x W0) + (1 - w0) (p x W1).
    const Blend3Vertex tri[3] = {{0, 0, 0, {0.3f, 0.5f, 0.1f}, kInk},
                                 {1.6f, 0.2f, 0, {0.7f, 0.2f, 0.1f}, kInk},
                                 {0.4f, 1.5f, 0.1f, {0.1f, 0.4f, 0.4f}, kInk}};
    Set(D3DRS_VERTEXBLEND, D3DVBF_1WEIGHTS);
    ExpectBlended(tri, 1);
}

struct BlendNormalVertex {  // XYZB1 | NORMAL
    float x, y, z;
    float weight;
    float nx, ny, nz;
};

TEST_F(VertexBlendTest, NormalsBlendLikePositions) {
    // Two rotations about y blend the normal of a lit square; the light comes from the camera.
    w0_ = reference::RotationY(1.2f);
    w1_ = reference::RotationY(0.6f);
    ASSERT_TRUE(SUCCEEDED(device_->SetTransform(D3DTS_WORLDMATRIX(0), &w0_)));
    ASSERT_TRUE(SUCCEEDED(device_->SetTransform(D3DTS_WORLDMATRIX(1), &w1_)));
    const float w = 0.5f;
    const float h = 0.3f;
    const BlendNormalVertex quad[4] = {{-h, h, 0, w, 0, 0, -1}, {h, h, 0, w, 0, 0, -1}, {-h, -h, 0, w, 0, 0, -1},
                                       {h, -h, 0, w, 0, 0, -1}};
    reference::LightingState state;
    state.view = view_;
    state.normalizeNormals = true;
    state.material.Diffuse = {0.9f, 0.8f, 0.7f, 1};
    state.lights = {DirectionalLight({0, 0, 1}, {1, 1, 1, 1})};
    Begin();
    Clear(kBackground);
    Set(D3DRS_LIGHTING, TRUE);
    Set(D3DRS_NORMALIZENORMALS, TRUE);
    ASSERT_TRUE(SUCCEEDED(device_->SetMaterial(&state.material)));
    ASSERT_TRUE(SUCCEEDED(device_->SetLight(0, &state.lights[0])));
    ASSERT_TRUE(SUCCEEDED(device_->LightEnable(0, TRUE)));
    Set(D3DRS_VERTEXBLEND, D3DVBF_1WEIGHTS);
    ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(D3DFVF_XYZB1 | D3DFVF_NORMAL)));
    ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(BlendNormalVertex))));
    End();
    // The centre of the square sits at the origin under both matrices.
    Vec3 n0 = reference::TransformDirection({0, 0, -1}, w0_), n1 = reference::TransformDirection({0, 0, -1}, w1_);
    reference::VertexInput centre{{0, 0, 0}, n0 * w + n1 * (1 - w), std::nullopt, std::nullopt};
    std::uint32_t expected = ToColour(reference::UntexturedColour(reference::LightVertex(state, centre)));
    // A device that blended only positions (or used WORLD alone) would light the normal as is.
    reference::VertexInput unblended{{0, 0, 0}, Vec3{0, 0, -1}, std::nullopt, std::nullopt};
    ASSERT_FALSE(ColourNear(expected, ToColour(reference::UntexturedColour(reference::LightVertex(state, unblended))), 8));
    Vec4 p = ProjectWith({0, 0, 0}, reference::Identity());
    EXPECT_TRUE(ColourNear(Capture().At(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y))), expected));
}

}  // namespace
}  // namespace pixeltest
