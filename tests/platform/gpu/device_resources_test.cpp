// Resources: reference counting, texture and buffer locks (layout, pitch), uploads seen by draws.
#include <cstring>

#include "platform/gpu/shader_source.h"
#include "tests/common/channel.h"
#include "tests/platform/gpu/device_fixture.h"

namespace devicetest {
namespace {

using ResourceTest = DeviceTest;

TEST_F(ResourceTest, ABoundTextureStaysAliveUntilUnbound) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), S_OK);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->AddRef(), 2u);
    EXPECT_EQ(texture->Release(), 1u);
    ASSERT_EQ(device_->SetTexture(0, texture), S_OK);
    EXPECT_EQ(texture->AddRef(), 3u) << "the device holds one reference";
    texture->Release();
    EXPECT_EQ(device_->SetTexture(0, texture), S_OK);
    EXPECT_EQ(texture->AddRef(), 3u) << "binding again adds no reference";
    texture->Release();
    EXPECT_EQ(texture->Release(), 1u) << "our reference gone, the device's left";
    IDirect3DBaseTexture8* bound = nullptr;
    ASSERT_EQ(device_->GetTexture(0, &bound), S_OK);
    ASSERT_EQ(bound, texture);
    EXPECT_EQ(bound->GetLevelCount(), 1u) << "still alive";
    EXPECT_EQ(bound->Release(), 1u) << "GetTexture added one reference";
    // Unbinding drops the last reference; binding null twice is harmless.
    EXPECT_EQ(device_->SetTexture(0, nullptr), S_OK);
    EXPECT_EQ(device_->SetTexture(0, nullptr), S_OK);
    ASSERT_EQ(device_->GetTexture(0, &bound), S_OK);
    EXPECT_EQ(bound, nullptr);
}

TEST_F(ResourceTest, ResourcesKnowTheirDeviceAndSurviveIt) {
    ComPtr<IDirect3DVertexBuffer8> vb;
    ComPtr<IDirect3DTexture8> texture;
    ASSERT_EQ(device_->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY, D3DFVF_XYZ, D3DPOOL_MANAGED, vb.Receive()), S_OK);
    ASSERT_EQ(device_->CreateTexture(8, 8, 0, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, texture.Receive()), S_OK);
    IDirect3DDevice8* owner = nullptr;
    ASSERT_EQ(texture->GetDevice(&owner), S_OK);
    EXPECT_EQ(owner, device_.Get());
    owner->Release();
    ASSERT_EQ(device_->SetTexture(0, texture.Get()), S_OK);
    ASSERT_EQ(device_->SetStreamSource(0, vb.Get(), 12), S_OK);
    device_.Reset();  // the device goes first; its bindings let go of the resources
    EXPECT_EQ(texture->GetDevice(&owner), D3DERR_INVALIDCALL);
    BYTE* data = nullptr;
    EXPECT_EQ(vb->Lock(0, 0, &data, 0), S_OK);
    EXPECT_EQ(vb->Unlock(), S_OK);
    EXPECT_EQ(texture->AddRef(), 2u);
    texture->Release();
}

TEST_F(ResourceTest, TextureLevelsPitchAndLockRectangles) {
    struct Case {
        D3DFORMAT format;
        INT pitch;  // of the 64-wide level 0
    };
    for (Case c : {Case{D3DFMT_A8R8G8B8, 256}, Case{D3DFMT_X8R8G8B8, 256}, Case{D3DFMT_R5G6B5, 128},
                   Case{D3DFMT_A4R4G4B4, 128}, Case{D3DFMT_A1R5G5B5, 128}, Case{D3DFMT_DXT1, 16 * 8},
                   Case{D3DFMT_DXT3, 16 * 16}, Case{D3DFMT_DXT5, 16 * 16}}) {
        SCOPED_TRACE(static_cast<unsigned>(c.format));
        ComPtr<IDirect3DTexture8> t;
        ASSERT_EQ(device_->CreateTexture(64, 32, 0, 0, c.format, D3DPOOL_MANAGED, t.Receive()), S_OK);
        EXPECT_EQ(t->GetLevelCount(), 7u) << "64x32 down to 1x1";
        D3DSURFACE_DESC desc{};
        ASSERT_EQ(t->GetLevelDesc(2, &desc), S_OK);
        EXPECT_EQ(desc.Width, 16u);
        EXPECT_EQ(desc.Height, 8u);
        EXPECT_EQ(desc.Format, c.format);
        ASSERT_EQ(t->GetLevelDesc(6, &desc), S_OK);
        EXPECT_EQ(desc.Width, 1u);
        EXPECT_EQ(desc.Height, 1u);
        EXPECT_EQ(t->GetLevelDesc(7, &desc), D3DERR_INVALIDCALL);
        D3DLOCKED_RECT whole{}, part{};
        ASSERT_EQ(t->LockRect(0, &whole, nullptr, 0), S_OK);
        EXPECT_EQ(whole.Pitch, c.pitch);
        EXPECT_EQ(t->LockRect(0, &part, nullptr, 0), D3DERR_INVALIDCALL) << "already locked";
        ASSERT_EQ(t->UnlockRect(0), S_OK);
        EXPECT_EQ(t->UnlockRect(0), D3DERR_INVALIDCALL) << "not locked";
        const RECT r{8, 4, 16, 12};
        ASSERT_EQ(t->LockRect(0, &part, &r, 0), S_OK);
        const bool dxt = c.format == D3DFMT_DXT1 || c.format == D3DFMT_DXT3 || c.format == D3DFMT_DXT5;
        const std::ptrdiff_t expected = dxt ? (4 / 4) * c.pitch + (8 / 4) * (c.pitch / 16)
                                            : 4 * c.pitch + 8 * (c.pitch / 64);
        EXPECT_EQ(static_cast<BYTE*>(part.pBits) - static_cast<BYTE*>(whole.pBits), expected);
        ASSERT_EQ(t->UnlockRect(0), S_OK);
        const RECT outside{0, 0, 65, 4};
        EXPECT_EQ(t->LockRect(0, &part, &outside, 0), D3DERR_INVALIDCALL);
    }
}

TEST_F(ResourceTest, BadTextureRequestsFail) {
    ComPtr<IDirect3DTexture8> t;
    EXPECT_EQ(device_->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t.Receive()), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_D16, D3DPOOL_MANAGED, t.Receive()), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateTexture(1 << 20, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t.Receive()),
              D3DERR_INVALIDCALL);
    EXPECT_FALSE(t);
    EXPECT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(ResourceTest, BufferLocksCoverTheirRange) {
    ComPtr<IDirect3DVertexBuffer8> vb;
    ASSERT_EQ(device_->CreateVertexBuffer(100, D3DUSAGE_DYNAMIC, D3DFVF_XYZ, D3DPOOL_DEFAULT, vb.Receive()), S_OK);
    D3DVERTEXBUFFER_DESC desc{};
    ASSERT_EQ(vb->GetDesc(&desc), S_OK);
    EXPECT_EQ(desc.Size, 100u);
    EXPECT_EQ(desc.FVF, D3DFVF_XYZ);
    EXPECT_EQ(desc.Type, D3DRTYPE_VERTEXBUFFER);
    BYTE* whole = nullptr;
    BYTE* tail = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &whole, D3DLOCK_DISCARD), S_OK);
    EXPECT_EQ(vb->Lock(0, 0, &tail, 0), D3DERR_INVALIDCALL) << "already locked";
    ASSERT_EQ(vb->Unlock(), S_OK);
    ASSERT_EQ(vb->Lock(40, 0, &tail, D3DLOCK_NOOVERWRITE), S_OK);
    EXPECT_EQ(tail - whole, 40);
    ASSERT_EQ(vb->Unlock(), S_OK);
    EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Lock(90, 20, &tail, 0), D3DERR_INVALIDCALL) << "past the end";
    EXPECT_EQ(vb->Lock(101, 0, &tail, 0), D3DERR_INVALIDCALL);
    ComPtr<IDirect3DIndexBuffer8> ib;
    EXPECT_EQ(device_->CreateIndexBuffer(64, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, ib.Receive()), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateIndexBuffer(0, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, ib.Receive()), D3DERR_INVALIDCALL);
    ASSERT_EQ(device_->CreateIndexBuffer(64, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, ib.Receive()), S_OK);
    D3DINDEXBUFFER_DESC idesc{};
    ASSERT_EQ(ib->GetDesc(&idesc), S_OK);
    EXPECT_EQ(idesc.Format, D3DFMT_INDEX32);
    EXPECT_EQ(idesc.Size, 64u);
}

struct RhwVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
};

// Two quads side by side in one buffer; pixel (2,2) lies in the first, (12,2) in the second.
void FillQuads(RhwVertex* v, D3DCOLOR first, D3DCOLOR second) {
    for (int q = 0; q < 2; ++q) {
        const float x0 = q * 10 - 0.5f, x1 = x0 + 10;
        const D3DCOLOR c = q ? second : first;
        RhwVertex quad[4] = {{x0, -0.5f, 0.5f, 1, c}, {x1, -0.5f, 0.5f, 1, c}, {x0, 9.5f, 0.5f, 1, c}, {x1, 9.5f, 0.5f, 1, c}};
        std::memcpy(v + 4 * q, quad, sizeof quad);
    }
}

TEST_F(ResourceTest, UnlockUploadsTheLockedRangeOnly) {
    ComPtr<IDirect3DVertexBuffer8> vb;
    ASSERT_EQ(device_->CreateVertexBuffer(8 * sizeof(RhwVertex), D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, vb.Receive()), S_OK);
    BYTE* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, D3DLOCK_DISCARD), S_OK);
    FillQuads(reinterpret_cast<RhwVertex*>(data), 0xFFFF0000, 0xFF00FF00);
    ASSERT_EQ(vb->Unlock(), S_OK);
    ASSERT_EQ(device_->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE), S_OK);
    ASSERT_EQ(device_->SetStreamSource(0, vb.Get(), sizeof(RhwVertex)), S_OK);
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), S_OK);
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 4, 2), S_OK);
    EXPECT_EQ(Pixel(2, 2), 0xFFFF0000u);
    EXPECT_EQ(Pixel(12, 2), 0xFF00FF00u);

    // Rewrite the second quad's colour in the CPU copy of the whole buffer, but lock (and so
    // upload) only the second quad: the first keeps what the GPU already had.
    ASSERT_EQ(vb->Lock(4 * sizeof(RhwVertex), 4 * sizeof(RhwVertex), &data, D3DLOCK_NOOVERWRITE), S_OK);
    auto* second = reinterpret_cast<RhwVertex*>(data);
    for (int i = 0; i < 4; ++i) second[i].colour = 0xFF0000FF;
    ASSERT_EQ(vb->Unlock(), S_OK);
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), S_OK);
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 4, 2), S_OK);
    EXPECT_EQ(Pixel(2, 2), 0xFFFF0000u);
    EXPECT_EQ(Pixel(12, 2), 0xFF0000FFu);

    // A read-only lock uploads nothing.
    ASSERT_EQ(vb->Lock(0, 0, &data, D3DLOCK_READONLY), S_OK);
    EXPECT_EQ(reinterpret_cast<RhwVertex*>(data)[0].colour, 0xFFFF0000u);
    ASSERT_EQ(vb->Unlock(), S_OK);
}

TEST_F(ResourceTest, IndexedDrawsUseTheBaseVertex) {
    ComPtr<IDirect3DVertexBuffer8> vb;
    ComPtr<IDirect3DIndexBuffer8> ib;
    ASSERT_EQ(device_->CreateVertexBuffer(8 * sizeof(RhwVertex), 0, 0, D3DPOOL_MANAGED, vb.Receive()), S_OK);
    ASSERT_EQ(device_->CreateIndexBuffer(6 * 2, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, ib.Receive()), S_OK);
    BYTE* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, 0), S_OK);
    FillQuads(reinterpret_cast<RhwVertex*>(data), 0xFFFF0000, 0xFF00FF00);
    ASSERT_EQ(vb->Unlock(), S_OK);
    ASSERT_EQ(ib->Lock(0, 0, &data, 0), S_OK);
    const WORD indices[6] = {0, 1, 2, 2, 1, 3};
    std::memcpy(data, indices, sizeof indices);
    ASSERT_EQ(ib->Unlock(), S_OK);
    ASSERT_EQ(device_->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE), S_OK);
    ASSERT_EQ(device_->SetStreamSource(0, vb.Get(), sizeof(RhwVertex)), S_OK);
    ASSERT_EQ(device_->SetIndices(ib.Get(), 4), S_OK);
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), S_OK);
    EXPECT_EQ(Pixel(2, 2), 0xFF000000u) << "base vertex 4 skips the first quad";
    EXPECT_EQ(Pixel(12, 2), 0xFF00FF00u);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 3, 2), D3DERR_INVALIDCALL) << "past the indices";
}

TEST_F(ResourceTest, IndicesPastTheVerticesAreRefused) {
    ComPtr<IDirect3DVertexBuffer8> vb;
    ComPtr<IDirect3DIndexBuffer8> ib;
    ASSERT_EQ(device_->CreateVertexBuffer(8 * sizeof(RhwVertex), 0, 0, D3DPOOL_MANAGED, vb.Receive()), S_OK);
    ASSERT_EQ(device_->CreateIndexBuffer(6 * 2, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, ib.Receive()), S_OK);
    BYTE* data = nullptr;
    ASSERT_EQ(ib->Lock(0, 0, &data, 0), S_OK);
    const WORD indices[6] = {0, 1, 2, 2, 1, 3};
    std::memcpy(data, indices, sizeof indices);
    ASSERT_EQ(ib->Unlock(), S_OK);
    ASSERT_EQ(device_->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE), S_OK);
    ASSERT_EQ(device_->SetStreamSource(0, vb.Get(), sizeof(RhwVertex)), S_OK);
    ASSERT_EQ(device_->SetIndices(ib.Get(), 4), S_OK);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), S_OK) << "vertices 4..7";
    ASSERT_EQ(device_->SetIndices(ib.Get(), 5), S_OK);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3DERR_INVALIDCALL) << "vertex 8 does not exist";
    // A rewrite of the indices is seen by the check.
    ASSERT_EQ(device_->SetIndices(ib.Get(), 0), S_OK);
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), S_OK);
    ASSERT_EQ(ib->Lock(0, 2, &data, 0), S_OK);
    const WORD far = 9;
    std::memcpy(data, &far, 2);
    ASSERT_EQ(ib->Unlock(), S_OK);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 3, 1), S_OK) << "the second triangle is fine";

    RhwVertex vertices[4] = {};
    const WORD user[3] = {0, 1, 4};
    EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 1, user, D3DFMT_INDEX16, vertices, sizeof(RhwVertex)),
              D3DERR_INVALIDCALL);
}

TEST_F(ResourceTest, ResourcesOfAnotherDeviceAreRefused) {
    platform::HeadlessWindow otherWindow(8, 8);
    D3DPRESENT_PARAMETERS pp = PresentParameters(8, 8);
    ComPtr<IDirect3DDevice8> other;
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, &otherWindow, D3DCREATE_MIXED_VERTEXPROCESSING, &pp, other.Receive()), S_OK);
    ComPtr<IDirect3DTexture8> foreign;
    ComPtr<IDirect3DVertexBuffer8> foreignVb;
    ASSERT_EQ(other->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, foreign.Receive()), S_OK);
    ASSERT_EQ(other->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, foreignVb.Receive()), S_OK);
    EXPECT_EQ(device_->SetTexture(0, foreign.Get()), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetStreamSource(0, foreignVb.Get(), 16), D3DERR_INVALIDCALL);
    EXPECT_EQ(other->SetTexture(0, foreign.Get()), S_OK);
}

ComPtr<IDirect3DTexture8> SolidTexture(IDirect3DDevice8* device, D3DCOLOR colour) {
    ComPtr<IDirect3DTexture8> t;
    EXPECT_EQ(device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t.Receive()), S_OK);
    D3DLOCKED_RECT r{};
    EXPECT_EQ(t->LockRect(0, &r, nullptr, 0), S_OK);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) reinterpret_cast<DWORD*>(static_cast<BYTE*>(r.pBits) + y * r.Pitch)[x] = colour;
    EXPECT_EQ(t->UnlockRect(0), S_OK);
    return t;
}

void DrawTexturedQuad(IDirect3DDevice8* device) {
    struct V {
        float x, y, z, rhw;
        D3DCOLOR c;
        float u, v;
    };
    const V quad[4] = {{-0.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, 0, 0}, {9.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, 1, 0},
                       {-0.5f, 9.5f, 0.5f, 1, 0xFFFFFFFF, 0, 1}, {9.5f, 9.5f, 0.5f, 1, 0xFFFFFFFF, 1, 1}};
    ASSERT_EQ(device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1), S_OK);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(V)), S_OK);
}

TEST_F(ResourceTest, ATextureMadeAfterAnotherDiedIsReallyBound) {
    {
        ComPtr<IDirect3DTexture8> red = SolidTexture(device_.Get(), 0xFFFF0000);
        ASSERT_EQ(device_->SetTexture(0, red.Get()), S_OK);
        DrawTexturedQuad(device_.Get());
        ASSERT_EQ(Pixel(4, 4), 0xFFFF0000u);
        ASSERT_EQ(device_->SetTexture(0, nullptr), S_OK);
    }  // deleted: OpenGL may hand its name to the next texture
    ComPtr<IDirect3DTexture8> green = SolidTexture(device_.Get(), 0xFF00FF00);
    ASSERT_EQ(device_->SetTexture(0, green.Get()), S_OK);
    DrawTexturedQuad(device_.Get());
    EXPECT_EQ(Pixel(4, 4), 0xFF00FF00u);
}

TEST_F(ResourceTest, AnIndexBufferMadeAfterAnotherDiedIsReallyUsed) {
    ComPtr<IDirect3DVertexBuffer8> vb;
    ASSERT_EQ(device_->CreateVertexBuffer(8 * sizeof(RhwVertex), 0, 0, D3DPOOL_MANAGED, vb.Receive()), S_OK);
    BYTE* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, 0), S_OK);
    FillQuads(reinterpret_cast<RhwVertex*>(data), 0xFFFF0000, 0xFF00FF00);
    ASSERT_EQ(vb->Unlock(), S_OK);
    ASSERT_EQ(device_->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE), S_OK);
    ASSERT_EQ(device_->SetStreamSource(0, vb.Get(), sizeof(RhwVertex)), S_OK);
    auto makeIndices = [&](WORD first) {
        ComPtr<IDirect3DIndexBuffer8> ib;
        EXPECT_EQ(device_->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, ib.Receive()), S_OK);
        BYTE* p = nullptr;
        EXPECT_EQ(ib->Lock(0, 0, &p, 0), S_OK);
        const WORD indices[6] = {first, WORD(first + 1), WORD(first + 2), WORD(first + 2), WORD(first + 1), WORD(first + 3)};
        std::memcpy(p, indices, sizeof indices);
        EXPECT_EQ(ib->Unlock(), S_OK);
        return ib;
    };
    {
        ComPtr<IDirect3DIndexBuffer8> firstQuad = makeIndices(0);
        ASSERT_EQ(device_->SetIndices(firstQuad.Get(), 0), S_OK);
        ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), S_OK);
        ASSERT_EQ(device_->SetIndices(nullptr, 0), S_OK);
    }
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1, 0), S_OK);
    ComPtr<IDirect3DIndexBuffer8> secondQuad = makeIndices(4);
    ASSERT_EQ(device_->SetIndices(secondQuad.Get(), 0), S_OK);
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), S_OK);
    EXPECT_EQ(Pixel(2, 2), 0xFF000000u);
    EXPECT_EQ(Pixel(12, 2), 0xFF00FF00u);
}

}  // namespace
}  // namespace devicetest

namespace devicetest {
namespace {

// Consecutive draws that differ only in world matrix and material may be merged behind the
// interface; each must still show its own transform and colour, and a buffer rewrite between
// draws must not reach the draws made before it.
class MergedDrawTest : public DeviceTest {
protected:
    struct V {
        float x, y, z;
    };
    void SetUpQuad(D3DCOLOR) {
        ASSERT_EQ(device_->CreateVertexBuffer(4 * sizeof(V), 0, D3DFVF_XYZ, D3DPOOL_MANAGED, vb_.Receive()), S_OK);
        WriteQuad(1.0f);
        ASSERT_EQ(device_->SetVertexShader(D3DFVF_XYZ), S_OK);
        ASSERT_EQ(device_->SetStreamSource(0, vb_.Get(), sizeof(V)), S_OK);
        const D3DMATRIX proj = devicetest::PixelProjection(kWidth, kHeight);
        ASSERT_EQ(device_->SetTransform(D3DTS_PROJECTION, &proj), S_OK);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    }
    // A square from the origin to (size, size).
    void WriteQuad(float size) {
        BYTE* data = nullptr;
        ASSERT_EQ(vb_->Lock(0, 0, &data, 0), S_OK);
        const V quad[4] = {{0, 0, 0.5f}, {size, 0, 0.5f}, {0, size, 0.5f}, {size, size, 0.5f}};
        std::memcpy(data, quad, sizeof quad);
        ASSERT_EQ(vb_->Unlock(), S_OK);
    }
    // Scaled, with its corner on the edge of pixel (x, y): covers size x scale pixels from there.
    void DrawAt(float x, float y, float scale, float red, float alpha = 1) {
        D3DMATRIX world{};
        world._11 = world._22 = scale;
        world._33 = world._44 = 1;
        world._41 = x - 0.5f;
        world._42 = y - 0.5f;
        D3DMATERIAL8 material{};
        material.Emissive = {red, 0, 1 - red, 1};
        material.Diffuse = {0, 0, 0, alpha};
        ASSERT_EQ(device_->SetTransform(D3DTS_WORLD, &world), S_OK);
        ASSERT_EQ(device_->SetMaterial(&material), S_OK);
        ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), S_OK);
    }
    ComPtr<IDirect3DVertexBuffer8> vb_;
};

TEST_F(MergedDrawTest, EveryDrawKeepsItsOwnWorldAndMaterial) {
    SetUpQuad(0);
    device_->ResetDrawStats();
    for (int i = 0; i < 150; ++i) DrawAt(static_cast<float>(i % 15) * 4, static_cast<float>(i / 15) * 4, 3, (i % 15) / 14.0f);
    const testpixels::Frame frame = Capture();
    for (int i = 0; i < 150; ++i) {
        const int x = (i % 15) * 4 + 1, y = (i / 15) * 4 + 1;  // inside pixels x0 .. x0 + 2
        const int red = testpixels::Channel(frame.At(x, y), 16);
        EXPECT_NEAR(red, static_cast<int>((i % 15) / 14.0f * 255 + 0.5f), 1) << i;
        EXPECT_EQ(frame.At(x + 2, y + 2) & 0xFFFFFF, 0u) << "gap after quad " << i;
    }
    D3DDRAWSTATS stats{};
    device_->GetDrawStats(&stats);
    EXPECT_EQ(stats.drawCalls, 150u);
    EXPECT_EQ(stats.primitives, 300u);
    // Merged: far fewer draws reach GL than were made, and at least one per full batch.
    EXPECT_GE(stats.submissions, (150u + gpu::vertex_uniforms::kBatch - 1) / gpu::vertex_uniforms::kBatch);
    EXPECT_LT(stats.submissions, 150u / 4);
}

// Opaque and translucent materials under an alpha test: the test stays in the merged program,
// so the draws still merge, and the translucent ones below the reference are not drawn.
TEST_F(MergedDrawTest, MaterialsOfDifferentOpacityStillMerge) {
    SetUpQuad(0);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE), S_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL), S_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ALPHAREF, 128), S_OK);
    device_->ResetDrawStats();
    for (int i = 0; i < 60; ++i) DrawAt(static_cast<float>(i % 15) * 4, static_cast<float>(i / 15) * 4, 3, 1, i % 2 ? 0.25f : 1);
    const testpixels::Frame frame = Capture();
    for (int i = 0; i < 60; ++i) {
        const int x = (i % 15) * 4 + 1, y = (i / 15) * 4 + 1;
        const int red = testpixels::Channel(frame.At(x, y), 16);
        EXPECT_EQ(red, i % 2 ? 0 : 255) << i;
    }
    D3DDRAWSTATS stats{};
    device_->GetDrawStats(&stats);
    EXPECT_EQ(stats.drawCalls, 60u);
    EXPECT_LT(stats.submissions, 60u / 4);
}

TEST_F(MergedDrawTest, StateAndDataChangesBetweenDrawsApplyInOrder) {
    SetUpQuad(0);
    DrawAt(0, 0, 4, 1.0f);     // red, pixels 0..3
    WriteQuad(2.0f);           // the buffer now holds a 2x2 quad
    DrawAt(10, 0, 4, 1.0f);    // pixels 10..17
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);  // unlit: the vertex has no colour, so white
    DrawAt(30, 0, 4, 0.0f);
    EXPECT_EQ(Pixel(3, 3) & 0xFFFFFF, 0xFF0000u) << "the first draw used the old unit quad";
    EXPECT_EQ(Pixel(4, 4) & 0xFFFFFF, 0u);
    EXPECT_EQ(Pixel(17, 7) & 0xFFFFFF, 0xFF0000u) << "the second draw used the rewritten quad";
    EXPECT_EQ(Pixel(37, 7) & 0xFFFFFF, 0xFFFFFFu);
}

}  // namespace
}  // namespace devicetest
