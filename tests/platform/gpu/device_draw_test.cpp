// Draw arguments: each draw call refuses what cannot be drawn, before anything reaches the GL.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/platform/gpu/device_fixture.h"

namespace devicetest {
namespace {

struct Vertex {  // XYZRHW | DIFFUSE
    float x, y, z, rhw;
    D3DCOLOR diffuse;
};
constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
constexpr D3DCOLOR kRed = 0xFFFF0000;
constexpr D3DCOLOR kBlack = 0xFF000000;
const auto kUnknownType = static_cast<D3DPRIMITIVETYPE>(0);

class DrawArgumentTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ASSERT_EQ(device_->CreateVertexBuffer(4 * sizeof(Vertex), 0, 0, D3DPOOL_MANAGED, vb_.Receive()), S_OK);
        BYTE* data = nullptr;
        ASSERT_EQ(vb_->Lock(0, 0, &data, 0), S_OK);
        std::memcpy(data, quad_, sizeof quad_);
        ASSERT_EQ(vb_->Unlock(), S_OK);
        ASSERT_EQ(device_->CreateIndexBuffer(6 * 4, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, ib32_.Receive()), S_OK);
        ASSERT_EQ(ib32_->Lock(0, 0, &data, 0), S_OK);
        const std::uint32_t indices[6] = {0, 1, 2, 2, 1, 3};
        std::memcpy(data, indices, sizeof indices);
        ASSERT_EQ(ib32_->Unlock(), S_OK);
        ASSERT_EQ(device_->SetVertexShader(kFvf), S_OK);
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0), S_OK);
    }
    void TearDown() override {
        if (device_) {
            device_->SetStreamSource(0, nullptr, 0);
            device_->SetIndices(nullptr, 0);
        }
        ib32_.Reset();
        vb_.Reset();
        DeviceTest::TearDown();
    }
    std::uint64_t DrawCalls() {
        D3DDRAWSTATS stats{};
        device_->GetDrawStats(&stats);
        return stats.drawCalls;
    }

    // A quad over pixels 0..9 of the top rows.
    Vertex quad_[4] = {{-0.5f, -0.5f, 0.5f, 1, kRed}, {9.5f, -0.5f, 0.5f, 1, kRed}, {-0.5f, 9.5f, 0.5f, 1, kRed},
                       {9.5f, 9.5f, 0.5f, 1, kRed}};
    const WORD userIndices_[6] = {0, 1, 2, 2, 1, 3};
    ComPtr<IDirect3DVertexBuffer8> vb_;
    ComPtr<IDirect3DIndexBuffer8> ib32_;
};

TEST_F(DrawArgumentTest, RefusedDrawsAreNotCountedAndLeaveThePicture) {
    struct Case {
        std::string what;
        std::function<HRESULT()> draw;
    };
    const std::vector<Case> cases = {
        {"stream of stride 0",
         [&] {
             EXPECT_EQ(device_->SetStreamSource(0, vb_.Get(), 0), S_OK);
             return device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
         }},
        {"unknown primitive type",
         [&] {
             EXPECT_EQ(device_->SetStreamSource(0, vb_.Get(), sizeof(Vertex)), S_OK);
             return device_->DrawPrimitive(kUnknownType, 0, 2);
         }},
        {"indexed, stream of stride 0",
         [&] {
             EXPECT_EQ(device_->SetStreamSource(0, vb_.Get(), 0), S_OK);
             EXPECT_EQ(device_->SetIndices(ib32_.Get(), 0), S_OK);
             return device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2);
         }},
        {"indexed, unknown primitive type",
         [&] {
             EXPECT_EQ(device_->SetStreamSource(0, vb_.Get(), sizeof(Vertex)), S_OK);
             EXPECT_EQ(device_->SetIndices(ib32_.Get(), 0), S_OK);
             return device_->DrawIndexedPrimitive(kUnknownType, 0, 4, 0, 2);
         }},
        {"indexed, no indices",
         [&] {
             EXPECT_EQ(device_->SetStreamSource(0, vb_.Get(), sizeof(Vertex)), S_OK);
             EXPECT_EQ(device_->SetIndices(nullptr, 0), S_OK);
             return device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2);
         }},
        {"32-bit indices past the index buffer",
         [&] {
             EXPECT_EQ(device_->SetStreamSource(0, vb_.Get(), sizeof(Vertex)), S_OK);
             EXPECT_EQ(device_->SetIndices(ib32_.Get(), 0), S_OK);
             return device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 1, 2);
         }},
        {"user memory, unknown primitive type",
         [&] { return device_->DrawPrimitiveUP(kUnknownType, 2, quad_, sizeof(Vertex)); }},
        {"user memory, stride 0", [&] { return device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad_, 0); }},
        {"user indices, unknown primitive type",
         [&] {
             return device_->DrawIndexedPrimitiveUP(kUnknownType, 0, 4, 2, userIndices_, D3DFMT_INDEX16, quad_,
                                                    sizeof(Vertex));
         }},
        {"user indices, no indices",
         [&] {
             return device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, nullptr, D3DFMT_INDEX16, quad_,
                                                    sizeof(Vertex));
         }},
    };
    for (const Case& c : cases) {
        const std::uint64_t before = DrawCalls();
        EXPECT_EQ(c.draw(), D3DERR_INVALIDCALL) << c.what;
        EXPECT_EQ(DrawCalls(), before) << c.what;
        EXPECT_EQ(Pixel(4, 4), kBlack) << c.what;
    }
    // The same sources with right arguments draw.
    ASSERT_EQ(device_->SetStreamSource(0, vb_.Get(), sizeof(Vertex)), S_OK);
    ASSERT_EQ(device_->SetIndices(ib32_.Get(), 0), S_OK);
    const std::uint64_t before = DrawCalls();
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), S_OK);
    EXPECT_EQ(DrawCalls(), before + 1);
    EXPECT_EQ(Pixel(4, 4), kRed);
}

}  // namespace
}  // namespace devicetest
