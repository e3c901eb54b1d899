// Large triangle lists drawn as the runs that can reach the view: what the culler keeps, when it
// gives up, and that a culled draw shows the same picture as the whole list.
#include <limits>

#include "platform/gpu/draw_culling.h"
#include "tests/platform/gpu/headless_fixture.h"

namespace pixeltest {
namespace {

using gpu::CullDraw;
using gpu::CullView;
using gpu::DrawCuller;

// A ground of n x n unit quads at z = 0, listed row by row, two triangles each, every quad with
// its own four vertices and a colour of its own.
struct Ground {
    std::vector<ColourVertex> vertices;
    std::vector<WORD> indices;
    int Triangles() const { return static_cast<int>(indices.size() / 3); }
};

Ground MakeGround(int n) {
    Ground g;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const auto base = static_cast<WORD>(g.vertices.size());
            const D3DCOLOR colour = D3DCOLOR_XRGB(40 + (x * 37) % 200, 40 + (y * 53) % 200, 40 + ((x + y) * 29) % 200);
            const auto fx = static_cast<float>(x), fy = static_cast<float>(y);
            g.vertices.push_back({fx, fy, 0, colour});
            g.vertices.push_back({fx + 1, fy, 0, colour});
            g.vertices.push_back({fx, fy + 1, 0, colour});
            g.vertices.push_back({fx + 1, fy + 1, 0, colour});
            for (WORD i : {0, 2, 1, 1, 2, 3}) g.indices.push_back(static_cast<WORD>(base + i));
        }
    return g;
}

CullDraw DrawOf(const Ground& g, std::uint64_t version = 1) {
    CullDraw d;
    d.vertexSerial = 7;
    d.vertexVersion = version;
    d.vertices = reinterpret_cast<const BYTE*>(g.vertices.data());
    d.vertexBytes = static_cast<UINT>(g.vertices.size() * sizeof(ColourVertex));
    d.stride = sizeof(ColourVertex);
    d.indexSerial = 8;
    d.indexVersion = 1;
    d.indices = reinterpret_cast<const BYTE*>(g.indices.data());
    d.count = static_cast<UINT>(g.indices.size());
    return d;
}

// A camera over the middle of the 64 x 64 ground looking along it: part of the ground is behind
// the eye, part beside the view and part beyond the far plane.
constexpr Vec3 kEye{32, 20, 3}, kAt{32, 40, 0}, kUp{0, 0, 1};
constexpr float kNear = 1, kFar = 30;

CullView ViewOf(UINT width, UINT height) {
    CullView v;
    const D3DMATRIX view = reference::LookAtLH(kEye, kAt, kUp);
    const D3DMATRIX projection =
        reference::PerspectiveFovLH(kPi / 4, static_cast<float>(width) / static_cast<float>(height), kNear, kFar);
    v.modelToClip = reference::Multiply(view, projection);
    v.pixelShift[0] = 1.0f / static_cast<float>(width);
    v.pixelShift[1] = 1.0f / static_cast<float>(height);
    return v;
}

bool InView(const CullView& v, const ColourVertex& p) {
    const Vec4 c = reference::TransformPoint({p.x, p.y, p.z}, v.modelToClip);
    return c.w > 0 && std::fabs(c.x) < c.w && std::fabs(c.y) < c.w && c.z > 0 && c.z < c.w;
}

int KeptIndices(const std::vector<DrawCuller::Run>& runs) {
    int n = 0;
    for (const auto& r : runs) n += static_cast<int>(r.count);
    return n;
}

TEST(DrawCuller, KeepsEveryTriangleInViewInOrderAndDropsMostOfTheRest) {
    const Ground ground = MakeGround(64);
    const CullView view = ViewOf(640, 480);
    DrawCuller culler;
    std::vector<DrawCuller::Run> runs;
    ASSERT_TRUE(culler.VisibleRuns(DrawOf(ground), view, runs));
    ASSERT_FALSE(runs.empty());

    // Whole triangles, in the list's order, each run as long as it can be.
    for (std::size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].first % 3, 0u);
        EXPECT_EQ(runs[i].count % 3, 0u);
        EXPECT_LE(runs[i].first + runs[i].count, ground.indices.size());
        if (i > 0) {
            EXPECT_GT(runs[i].first, runs[i - 1].first + runs[i - 1].count) << "runs " << i - 1 << " and " << i;
        }
    }
    std::vector<bool> kept(ground.indices.size(), false);
    for (const auto& r : runs)
        for (UINT i = r.first; i < r.first + r.count; ++i) kept[i] = true;
    int visible = 0;
    for (int t = 0; t < ground.Triangles(); ++t) {
        bool seen = false;
        for (int k = 0; k < 3; ++k) seen = seen || InView(view, ground.vertices[ground.indices[t * 3 + k]]);
        if (!seen) continue;
        ++visible;
        EXPECT_TRUE(kept[t * 3]) << "triangle " << t << " is in view but left out";
    }
    ASSERT_GT(visible, 0);
    EXPECT_LT(KeptIndices(runs), static_cast<int>(ground.indices.size()) / 2);
}

TEST(DrawCuller, DrawsWholeWhatItCannotBound) {
    const CullView view = ViewOf(640, 480);
    DrawCuller culler;
    std::vector<DrawCuller::Run> runs;

    const Ground small = MakeGround(3);  // 18 triangles
    EXPECT_FALSE(culler.VisibleRuns(DrawOf(small), view, runs));

    const Ground ground = MakeGround(64);
    CullDraw strip = DrawOf(ground);
    strip.count -= 1;  // not whole triangles
    EXPECT_FALSE(culler.VisibleRuns(strip, view, runs));

    CullDraw past = DrawOf(ground);
    past.vertexBytes -= sizeof(ColourVertex);  // the last vertex lies beyond the buffer
    EXPECT_FALSE(culler.VisibleRuns(past, view, runs));

    Ground broken = ground;
    broken.vertices[5].y = std::numeric_limits<float>::quiet_NaN();
    CullDraw nan = DrawOf(broken);
    nan.vertexSerial = 9;
    EXPECT_FALSE(culler.VisibleRuns(nan, view, runs));
}

TEST(DrawCuller, BoundsFollowNewContentsUntilTheyKeepChanging) {
    Ground ground = MakeGround(64);
    const CullView view = ViewOf(640, 480);
    DrawCuller culler;
    std::vector<DrawCuller::Run> runs;
    ASSERT_TRUE(culler.VisibleRuns(DrawOf(ground, 1), view, runs));
    ASSERT_FALSE(runs.empty());

    auto shift = [&ground](float dx) {
        for (auto& v : ground.vertices) v.x += dx;
    };
    shift(1000);  // far beside the view: nothing to draw
    ASSERT_TRUE(culler.VisibleRuns(DrawOf(ground, 2), view, runs));
    EXPECT_TRUE(runs.empty());
    shift(-1000);
    ASSERT_TRUE(culler.VisibleRuns(DrawOf(ground, 3), view, runs));
    EXPECT_FALSE(runs.empty());
    ASSERT_TRUE(culler.VisibleRuns(DrawOf(ground, 4), view, runs));
    // One change too many: from now on the list is drawn whole.
    EXPECT_FALSE(culler.VisibleRuns(DrawOf(ground, 5), view, runs));
    EXPECT_FALSE(culler.VisibleRuns(DrawOf(ground, 5), view, runs));

    // A buffer that is gone is forgotten, so a new one under its serial starts afresh.
    culler.Forget(7);
    EXPECT_TRUE(culler.VisibleRuns(DrawOf(ground, 6), view, runs));
}

class CulledDrawTest : public HeadlessDeviceTest {};

TEST_F(CulledDrawTest, ShowsTheSamePictureAsTheWholeList) {
    const Ground ground = MakeGround(64);
    ComPtr<IDirect3DVertexBuffer8> vertices;
    ComPtr<IDirect3DIndexBuffer8> indices;
    const auto vertexBytes = static_cast<UINT>(ground.vertices.size() * sizeof(ColourVertex));
    const auto indexBytes = static_cast<UINT>(ground.indices.size() * sizeof(WORD));
    ASSERT_EQ(device_->CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, kColourFvf, D3DPOOL_MANAGED, vertices.Receive()),
              S_OK);
    ASSERT_EQ(device_->CreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, indices.Receive()),
              S_OK);
    BYTE* data = nullptr;
    ASSERT_EQ(vertices->Lock(0, 0, &data, 0), S_OK);
    std::memcpy(data, ground.vertices.data(), vertexBytes);
    ASSERT_EQ(vertices->Unlock(), S_OK);
    ASSERT_EQ(indices->Lock(0, 0, &data, 0), S_OK);
    std::memcpy(data, ground.indices.data(), indexBytes);
    ASSERT_EQ(indices->Unlock(), S_OK);

    auto render = [&](bool fromBuffers) {
        Begin();
        Clear(D3DCOLOR_XRGB(0, 0, 0));
        SetCamera(kEye, kAt, kUp, kPi / 4, kNear, kFar);
        SetViewport(40, 30, 560, 400);
        EXPECT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), S_OK);
        EXPECT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), S_OK);
        EXPECT_EQ(device_->SetVertexShader(kColourFvf), S_OK);
        if (fromBuffers) {
            EXPECT_EQ(device_->SetStreamSource(0, vertices.Get(), sizeof(ColourVertex)), S_OK);
            EXPECT_EQ(device_->SetIndices(indices.Get(), 0), S_OK);
            EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(ground.vertices.size()), 0,
                                                    static_cast<UINT>(ground.Triangles())),
                      S_OK);
            EXPECT_EQ(device_->SetStreamSource(0, nullptr, 0), S_OK);
            EXPECT_EQ(device_->SetIndices(nullptr, 0), S_OK);
        } else {
            EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(ground.vertices.size()),
                                                      static_cast<UINT>(ground.Triangles()), ground.indices.data(),
                                                      D3DFMT_INDEX16, ground.vertices.data(), sizeof(ColourVertex)),
                      S_OK);
        }
        End();
        return Capture();
    };
    const Frame whole = render(false);
    const Frame culled = render(true);
    int covered = 0, differing = 0;
    for (std::size_t i = 0; i < whole.pixels.size(); ++i) {
        if ((whole.pixels[i] & 0xFFFFFF) != 0) ++covered;
        if (whole.pixels[i] != culled.pixels[i]) ++differing;
    }
    EXPECT_GT(covered, 560 * 400 / 4) << "the ground hardly shows";
    EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace pixeltest
