// Drawing from vertex and index buffers, buffers refilled between draws of one frame, and many
// small draws that each change the world matrix and the material.
#include "tests/platform/gpu/headless_fixture.h"

namespace pixeltest {
namespace {

constexpr D3DCOLOR kBackground = D3DCOLOR_XRGB(0x10, 0x20, 0x30);

class BufferDrawTest : public HeadlessDeviceTest {
protected:
    ComPtr<IDirect3DVertexBuffer8> MakeVertexBuffer(UINT bytes, DWORD usage, DWORD fvf) {
        ComPtr<IDirect3DVertexBuffer8> buffer;
        HRESULT hr = device_->CreateVertexBuffer(bytes, usage, fvf, D3DPOOL_DEFAULT, buffer.Receive());
        EXPECT_TRUE(SUCCEEDED(hr) && buffer) << "CreateVertexBuffer failed";
        return buffer;
    }

    template <class Vertex>
    void Write(IDirect3DVertexBuffer8* buffer, UINT firstVertex, const std::vector<Vertex>& vertices, DWORD flags) {
        BYTE* data = nullptr;
        ASSERT_TRUE(SUCCEEDED(buffer->Lock(firstVertex * sizeof(Vertex),
                                           static_cast<UINT>(vertices.size() * sizeof(Vertex)), &data, flags)));
        ASSERT_NE(data, nullptr);
        std::memcpy(data, vertices.data(), vertices.size() * sizeof(Vertex));
        ASSERT_TRUE(SUCCEEDED(buffer->Unlock()));
    }

    static bool Shows(const Frame& frame, int x, int y, D3DCOLOR colour) { return ColourNear(frame.At(x, y), colour, 1); }
};

TEST_F(BufferDrawTest, DrawPrimitiveReadsFromTheStartVertex) {
    auto buffer = MakeVertexBuffer(8 * sizeof(RhwVertex), D3DUSAGE_WRITEONLY, kRhwFvf);
    ASSERT_TRUE(buffer);
    auto first = RhwQuad(10, 10, 20, 20, 0xFFFF0000);
    auto second = RhwQuad(50, 10, 20, 20, 0xFF00FF00);
    std::vector<RhwVertex> all(first.begin(), first.end());
    all.insert(all.end(), second.begin(), second.end());
    Write(buffer.Get(), 0, all, 0);
    Begin();
    Clear(kBackground);
    ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(kRhwFvf)));
    ASSERT_TRUE(SUCCEEDED(device_->SetStreamSource(0, buffer.Get(), sizeof(RhwVertex))));
    ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 4, 2)));  // the second quad only
    End();
    Frame frame = Capture();
    EXPECT_TRUE(Shows(frame, 20, 20, kBackground));
    EXPECT_TRUE(Shows(frame, 60, 20, 0xFF00FF00));
    EXPECT_TRUE(Shows(frame, 50, 10, 0xFF00FF00));
    EXPECT_TRUE(Shows(frame, 69, 29, 0xFF00FF00));
    EXPECT_TRUE(Shows(frame, 70, 29, kBackground));
    ASSERT_TRUE(SUCCEEDED(device_->SetStreamSource(0, nullptr, 0)));
}

TEST_F(BufferDrawTest, IndexedDrawAddsTheBaseVertexIndex) {
    auto vertices = MakeVertexBuffer(8 * sizeof(RhwVertex), D3DUSAGE_WRITEONLY, kRhwFvf);
    ASSERT_TRUE(vertices);
    auto unused = RhwQuad(10, 10, 20, 20, 0xFFFF0000);
    auto used = RhwQuad(50, 40, 30, 10, 0xFF0000FF);
    std::vector<RhwVertex> all(unused.begin(), unused.end());
    all.insert(all.end(), used.begin(), used.end());
    Write(vertices.Get(), 0, all, 0);
    ComPtr<IDirect3DIndexBuffer8> indices;
    ASSERT_TRUE(SUCCEEDED(device_->CreateIndexBuffer(6 * sizeof(WORD), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                                     D3DPOOL_DEFAULT, indices.Receive())));
    const WORD list[6] = {0, 1, 2, 2, 1, 3};  // two clockwise triangles
    BYTE* data = nullptr;
    ASSERT_TRUE(SUCCEEDED(indices->Lock(0, 0, &data, 0)));
    std::memcpy(data, list, sizeof list);
    ASSERT_TRUE(SUCCEEDED(indices->Unlock()));
    Begin();
    Clear(kBackground);
    ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(kRhwFvf)));
    ASSERT_TRUE(SUCCEEDED(device_->SetStreamSource(0, vertices.Get(), sizeof(RhwVertex))));
    ASSERT_TRUE(SUCCEEDED(device_->SetIndices(indices.Get(), 4)));
    ASSERT_TRUE(SUCCEEDED(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2)));
    End();
    Frame frame = Capture();
    EXPECT_TRUE(Shows(frame, 20, 20, kBackground));
    EXPECT_TRUE(Shows(frame, 50, 40, 0xFF0000FF));
    EXPECT_TRUE(Shows(frame, 79, 49, 0xFF0000FF));
    EXPECT_TRUE(Shows(frame, 80, 49, kBackground));
    EXPECT_TRUE(Shows(frame, 79, 50, kBackground));
    ASSERT_TRUE(SUCCEEDED(device_->SetIndices(nullptr, 0)));
    ASSERT_TRUE(SUCCEEDED(device_->SetStreamSource(0, nullptr, 0)));
}

TEST_F(BufferDrawTest, RefillingADiscardedBufferKeepsEarlierDraws) {
    // One dynamic buffer refilled after each draw in the same frame, as batched text does.
    auto buffer = MakeVertexBuffer(4 * sizeof(RhwVertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kRhwFvf);
    ASSERT_TRUE(buffer);
    const D3DCOLOR colours[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};
    Begin();
    Clear(kBackground);
    ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(kRhwFvf)));
    ASSERT_TRUE(SUCCEEDED(device_->SetStreamSource(0, buffer.Get(), sizeof(RhwVertex))));
    for (int i = 0; i < 4; ++i) {
        Write(buffer.Get(), 0, RhwQuad(10 + 30 * i, 10, 20, 20, colours[i]), D3DLOCK_DISCARD);
        ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2)));
    }
    End();
    Frame frame = Capture();
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(Shows(frame, 20 + 30 * i, 20, colours[i])) << "quad " << i;
    ASSERT_TRUE(SUCCEEDED(device_->SetStreamSource(0, nullptr, 0)));
}

TEST_F(BufferDrawTest, AppendingWithNoOverwriteKeepsEarlierVertices) {
    auto buffer = MakeVertexBuffer(12 * sizeof(RhwVertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kRhwFvf);
    ASSERT_TRUE(buffer);
    Begin();
    Clear(kBackground);
    ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(kRhwFvf)));
    ASSERT_TRUE(SUCCEEDED(device_->SetStreamSource(0, buffer.Get(), sizeof(RhwVertex))));
    Write(buffer.Get(), 0, RhwQuad(10, 50, 20, 20, 0xFFFF0000), D3DLOCK_DISCARD);
    ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2)));
    Write(buffer.Get(), 4, RhwQuad(40, 50, 20, 20, 0xFF00FF00), D3DLOCK_NOOVERWRITE);
    ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 4, 2)));
    // Both quads again from the buffer as it now is.
    ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2)));
    End();
    Frame frame = Capture();
    EXPECT_TRUE(Shows(frame, 20, 60, 0xFFFF0000));
    EXPECT_TRUE(Shows(frame, 50, 60, 0xFF00FF00));
    ASSERT_TRUE(SUCCEEDED(device_->SetStreamSource(0, nullptr, 0)));
}

TEST_F(BufferDrawTest, ManyDrawsEachWithTheirOwnWorldAndMaterial) {
    // Particles: one small lit quad in a buffer, drawn 48 times, each time with a new world
    // matrix and a new emissive material (no lights: the colour is the emissive term).
    struct V {
        float x, y, z;
    };
    auto buffer = MakeVertexBuffer(4 * sizeof(V), D3DUSAGE_WRITEONLY, D3DFVF_XYZ);
    ASSERT_TRUE(buffer);
    const float h = 0.12f;
    BYTE* data = nullptr;
    ASSERT_TRUE(SUCCEEDED(buffer->Lock(0, 0, &data, 0)));
    const V quad[4] = {{-h, h, 0}, {h, h, 0}, {-h, -h, 0}, {h, -h, 0}};
    std::memcpy(data, quad, sizeof quad);
    ASSERT_TRUE(SUCCEEDED(buffer->Unlock()));

    SetCamera({0, 0, -6}, {0, 0, 0});
    Begin();
    Clear(kBackground);
    ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(D3DFVF_XYZ)));
    ASSERT_TRUE(SUCCEEDED(device_->SetStreamSource(0, buffer.Get(), sizeof(V))));
    std::vector<std::pair<Vec4, D3DCOLOR>> expected;
    for (int row = 0; row < 6; ++row) {
        for (int column = 0; column < 8; ++column) {
            D3DMATRIX world = reference::Translation(-2.8f + 0.8f * column, -1.8f + 0.72f * row, 0.1f * row);
            SetWorld(world);
            int r = 40 + 25 * column, g = 30 + 40 * row, b = 200 - 20 * column;
            D3DMATERIAL8 material{};
            material.Emissive = {r / 255.0f, g / 255.0f, b / 255.0f, 1};
            ASSERT_TRUE(SUCCEEDED(device_->SetMaterial(&material)));
            ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2)));
            expected.push_back({Project({0, 0, 0}), D3DCOLOR_XRGB(r, g, b)});
        }
    }
    End();
    Frame frame = Capture();
    for (size_t i = 0; i < expected.size(); ++i) {
        int x = static_cast<int>(std::lround(expected[i].first.x)), y = static_cast<int>(std::lround(expected[i].first.y));
        EXPECT_TRUE(ColourNear(frame.At(x, y), expected[i].second)) << "particle " << i << " at (" << x << ", " << y << ")";
    }
    ASSERT_TRUE(SUCCEEDED(device_->SetStreamSource(0, nullptr, 0)));
}

TEST_F(BufferDrawTest, DrawsBeyondTheBufferFailAndLeaveThePicture) {
    auto buffer = MakeVertexBuffer(4 * sizeof(RhwVertex), D3DUSAGE_WRITEONLY, kRhwFvf);
    ASSERT_TRUE(buffer);
    Write(buffer.Get(), 0, RhwQuad(10, 10, 20, 20, 0xFFFF0000), 0);
    Begin();
    Clear(kBackground);
    ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(kRhwFvf)));
    // No stream bound yet.
    EXPECT_TRUE(FAILED(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2)));
    ASSERT_TRUE(SUCCEEDED(device_->SetStreamSource(0, buffer.Get(), sizeof(RhwVertex))));
    // Four vertices stored: a strip of 2 triangles from vertex 1 needs five.
    EXPECT_TRUE(FAILED(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2)));
    EXPECT_TRUE(FAILED(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1000000)));
    End();
    Frame frame = Capture();
    EXPECT_TRUE(Shows(frame, 20, 20, kBackground));
    ASSERT_TRUE(SUCCEEDED(device_->SetStreamSource(0, nullptr, 0)));
}

TEST_F(BufferDrawTest, StateChangedWhileAnotherPipelineIsActiveReachesTheFirst) {
    // Lit, unlit, lit again: the material, world, light and fog density changed while the unlit
    // and fog-free draw was current must all reach the third draw.
    SetCamera({0, 0, -6}, {0, 0, 0});
    auto litSquare = [&](float x, const D3DMATERIAL8& material) {
        SetWorld(reference::Translation(x, 0, 0));
        ASSERT_TRUE(SUCCEEDED(device_->SetMaterial(&material)));
        NormalVertex quad[4] = {{-0.4f, 0.4f, 0, 0, 0, -1}, {0.4f, 0.4f, 0, 0, 0, -1}, {-0.4f, -0.4f, 0, 0, 0, -1},
                                {0.4f, -0.4f, 0, 0, 0, -1}};
        ASSERT_TRUE(SUCCEEDED(device_->SetVertexShader(kNormalFvf)));
        ASSERT_TRUE(SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(NormalVertex))));
    };
    D3DMATERIAL8 first{}, second{};
    first.Diffuse = {1.0f, 0.5f, 0.2f, 1};
    second.Diffuse = {0.2f, 0.6f, 1.0f, 1};
    D3DLIGHT8 light = DirectionalLight({0, 0, 1}, {0.8f, 0.8f, 0.8f, 1});
    Begin();
    Clear(kBackground);
    Set(D3DRS_FOGENABLE, TRUE);
    Set(D3DRS_FOGTABLEMODE, D3DFOG_EXP);
    Set(D3DRS_FOGCOLOR, 0xFF000000);
    Set(D3DRS_FOGDENSITY, FloatBits(0.05f));
    ASSERT_TRUE(SUCCEEDED(device_->SetLight(0, &light)));
    ASSERT_TRUE(SUCCEEDED(device_->LightEnable(0, TRUE)));
    litSquare(-1.5f, first);
    // An unlit, unfogged pre-transformed quad in between.
    Set(D3DRS_LIGHTING, FALSE);
    Set(D3DRS_FOGENABLE, FALSE);
    DrawRhwQuad(10, 10, 20, 20, 0xFFFFFFFF);
    light.Diffuse = {0.5f, 0.5f, 0.5f, 1};
    ASSERT_TRUE(SUCCEEDED(device_->SetLight(0, &light)));
    Set(D3DRS_FOGDENSITY, FloatBits(0.15f));
    Set(D3DRS_LIGHTING, TRUE);
    Set(D3DRS_FOGENABLE, TRUE);
    litSquare(1.5f, second);
    End();
    Frame frame = Capture();
    auto at = [&](float x) {
        Vec4 p = ProjectWith({x, 0, 0}, reference::Identity());
        return frame.At(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y)));
    };
    auto expected = [](const D3DMATERIAL8& m, float light, float density) {
        float f = reference::ExpFogFactor(density, 6.0f);
        return ToColour({m.Diffuse.r * light * f, m.Diffuse.g * light * f, m.Diffuse.b * light * f, 1});
    };
    EXPECT_TRUE(ColourNear(at(-1.5f), expected(first, 0.8f, 0.05f)));
    EXPECT_TRUE(ColourNear(at(1.5f), expected(second, 0.5f, 0.15f)));
    EXPECT_TRUE(ColourNear(frame.At(20, 20), 0xFFFFFFFF));
}

}  // namespace
}  // namespace pixeltest
