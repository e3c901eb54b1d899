// Refusals name themselves: each family of bad calls is counted under its own item and says so on
// stderr once, however often it is repeated.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/gpu/refusal.h"
#include "tests/platform/gpu/device_fixture.h"

namespace devicetest {
namespace {

using gpu::Refusal;

struct Vertex {  // XYZRHW | DIFFUSE
    float x, y, z, rhw;
    D3DCOLOR diffuse;
};
constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

std::string Line(Refusal item) { return "orrery3d gpu: " + gpu::RefusalMessage(item); }

class RefusalTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ASSERT_EQ(device_->CreateVertexBuffer(4 * sizeof(Vertex), 0, 0, D3DPOOL_MANAGED, vb_.Receive()), S_OK);
        ASSERT_EQ(device_->CreateIndexBuffer(6 * 2, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, ib_.Receive()), S_OK);
        ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture_.Receive()), S_OK);
    }
    void TearDown() override {
        if (device_) {
            device_->SetStreamSource(0, nullptr, 0);
            device_->SetIndices(nullptr, 0);
        }
        texture_.Reset();
        ib_.Reset();
        vb_.Reset();
        DeviceTest::TearDown();
    }

    // Makes the call twice: both are refused with the code of old, both are counted under `item`
    // and nothing else, and stderr gets the item's line once.
    void ExpectRefused(Refusal item, const std::function<HRESULT()>& call) {
        SCOPED_TRACE(gpu::RefusalMessage(item));
        gpu::ResetRefusals();
        testing::internal::CaptureStderr();
        const HRESULT first = call();
        const HRESULT second = call();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(first, D3DERR_INVALIDCALL);
        EXPECT_EQ(second, D3DERR_INVALIDCALL);
        EXPECT_EQ(gpu::RefusalCount(item), 2u);
        EXPECT_EQ(gpu::RefusalTotal(), 2u);
        EXPECT_EQ(Occurrences(err, Line(item)), 1u) << err;
        EXPECT_EQ(Occurrences(err, "orrery3d gpu:"), 1u) << err;
    }

    ComPtr<IDirect3DVertexBuffer8> vb_;
    ComPtr<IDirect3DIndexBuffer8> ib_;
    ComPtr<IDirect3DTexture8> texture_;
};

TEST_F(RefusalTest, TheLineNamesMethodArgumentAndReason) {
    gpu::ResetRefusals();
    testing::internal::CaptureStderr();
    EXPECT_EQ(device_->SetStreamSource(1, vb_.Get(), sizeof(Vertex)), D3DERR_INVALIDCALL);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "orrery3d gpu: SetStreamSource refused: stream is not 0, the only stream\n");
}

TEST_F(RefusalTest, ScenesAndClears) {
    ExpectRefused(Refusal::kClearFlags, [&] { return device_->Clear(0, nullptr, 0x100, 0, 1.0f, 0); });
    ExpectRefused(Refusal::kClearRects, [&] { return device_->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0); });
    ExpectRefused(Refusal::kEndSceneNotBegun, [&] { return device_->EndScene(); });
    ASSERT_EQ(device_->BeginScene(), S_OK);
    ExpectRefused(Refusal::kBeginSceneTwice, [&] { return device_->BeginScene(); });
    EXPECT_EQ(device_->EndScene(), S_OK);
}

TEST_F(RefusalTest, RenderAndStageStates) {
    const auto pastStates = static_cast<D3DRENDERSTATETYPE>(D3D_RENDERSTATE_COUNT);
    ExpectRefused(Refusal::kSetRenderStateState, [&] { return device_->SetRenderState(pastStates, 0); });
    ExpectRefused(Refusal::kGetRenderStateValue,
                  [&] { return device_->GetRenderState(D3DRS_LIGHTING, nullptr); });
    ExpectRefused(Refusal::kSetStageStateStage,
                  [&] { return device_->SetTextureStageState(D3D_MAX_TEXTURE_STAGES, D3DTSS_COLOROP, 0); });
    const auto pastTypes = static_cast<D3DTEXTURESTAGESTATETYPE>(D3D_TEXTURESTAGESTATE_COUNT);
    ExpectRefused(Refusal::kGetStageStateType, [&] {
        DWORD value = 0;
        return device_->GetTextureStageState(0, pastTypes, &value);
    });
}

TEST_F(RefusalTest, TransformsLightsMaterialsAndViewports) {
    const D3DMATRIX identity{};
    const auto notATransform = static_cast<D3DTRANSFORMSTATETYPE>(1);
    ExpectRefused(Refusal::kSetTransformType, [&] { return device_->SetTransform(notATransform, &identity); });
    ExpectRefused(Refusal::kMultiplyTransformMatrix, [&] { return device_->MultiplyTransform(D3DTS_VIEW, nullptr); });
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_POINT;
    light.Range = -1.0f;
    ExpectRefused(Refusal::kSetLightRange, [&] { return device_->SetLight(0, &light); });
    ExpectRefused(Refusal::kGetLightUnset, [&] { return device_->GetLight(3, &light); });
    ExpectRefused(Refusal::kLightEnableIndex, [&] { return device_->LightEnable(1000, TRUE); });
    ExpectRefused(Refusal::kSetMaterialNull, [&] { return device_->SetMaterial(nullptr); });
    const D3DVIEWPORT8 outside{kWidth - 4, 0, 8, 8, 0.0f, 1.0f};
    ExpectRefused(Refusal::kSetViewportRect, [&] { return device_->SetViewport(&outside); });
}

TEST_F(RefusalTest, StreamsStridesAndVertexFormats) {
    ExpectRefused(Refusal::kSetVertexShaderFvf, [&] { return device_->SetVertexShader(0); });
    ExpectRefused(Refusal::kSetStreamSourceStream, [&] { return device_->SetStreamSource(1, vb_.Get(), 20); });
    ExpectRefused(Refusal::kDrawPrimitiveStream, [&] { return device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1); });
    ASSERT_EQ(device_->SetStreamSource(0, vb_.Get(), 0), S_OK);
    ExpectRefused(Refusal::kDrawPrimitiveStride, [&] { return device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1); });
    // The device starts without a vertex format: drawing before one is set draws nothing.
    ASSERT_EQ(device_->SetStreamSource(0, vb_.Get(), sizeof(Vertex)), S_OK);
    ExpectRefused(Refusal::kDrawFvf, [&] { return device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1); });
}

TEST_F(RefusalTest, DrawsWithBadRanges) {
    ASSERT_EQ(device_->SetVertexShader(kFvf), S_OK);
    ASSERT_EQ(device_->SetStreamSource(0, vb_.Get(), sizeof(Vertex)), S_OK);
    ExpectRefused(Refusal::kDrawPrimitiveRange, [&] { return device_->DrawPrimitive(D3DPT_TRIANGLELIST, 2, 1); });
    ExpectRefused(Refusal::kDrawPrimitiveCount, [&] { return device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 0); });
    ExpectRefused(Refusal::kDrawIndexedIndices,
                  [&] { return device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 1); });
    BYTE* data = nullptr;
    ASSERT_EQ(ib_->Lock(0, 0, &data, 0), S_OK);
    const WORD indices[6] = {0, 1, 2, 2, 1, 9};  // 9 is past the four vertices
    std::memcpy(data, indices, sizeof indices);
    ASSERT_EQ(ib_->Unlock(), S_OK);
    ASSERT_EQ(device_->SetIndices(ib_.Get(), 0), S_OK);
    ExpectRefused(Refusal::kDrawIndexedVertexRange,
                  [&] { return device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2); });
    ExpectRefused(Refusal::kDrawIndexedIndexRange,
                  [&] { return device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 3, 2); });
    const Vertex user[3] = {};
    ExpectRefused(Refusal::kDrawUpStride, [&] { return device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, user, 0); });
    ExpectRefused(Refusal::kDrawIndexedUpIndex, [&] {
        return device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, indices + 3, D3DFMT_INDEX16, user,
                                               sizeof(Vertex));
    });
}

TEST_F(RefusalTest, BuffersAndLocks) {
    BYTE* data = nullptr;
    ExpectRefused(Refusal::kBufferUnlockNotLocked, [&] { return vb_->Unlock(); });
    ExpectRefused(Refusal::kBufferLockRange, [&] { return vb_->Lock(4 * sizeof(Vertex), 1, &data, 0); });
    ASSERT_EQ(vb_->Lock(0, 0, &data, 0), S_OK);
    ExpectRefused(Refusal::kBufferLockTwice, [&] { return vb_->Lock(0, 0, &data, 0); });
    EXPECT_EQ(vb_->Unlock(), S_OK);
    ComPtr<IDirect3DIndexBuffer8> ib;
    ExpectRefused(Refusal::kCreateIndexBufferFormat,
                  [&] { return device_->CreateIndexBuffer(12, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, ib.Receive()); });
}

TEST_F(RefusalTest, Textures) {
    D3DLOCKED_RECT locked{};
    ExpectRefused(Refusal::kUnlockRectNotLocked, [&] { return texture_->UnlockRect(0); });
    const RECT outside{4, 4, 12, 12};
    ExpectRefused(Refusal::kLockRectRect, [&] { return texture_->LockRect(0, &locked, &outside, 0); });
    ASSERT_EQ(texture_->LockRect(0, &locked, nullptr, 0), S_OK);
    ExpectRefused(Refusal::kLockRectTwice, [&] { return texture_->LockRect(0, &locked, nullptr, 0); });
    EXPECT_EQ(texture_->UnlockRect(0), S_OK);
    ExpectRefused(Refusal::kSetTextureStage,
                  [&] { return device_->SetTexture(D3D_MAX_TEXTURE_STAGES, texture_.Get()); });
    // A refusal with particulars gives them after the reason.
    ComPtr<IDirect3DTexture8> texture;
    gpu::ResetRefusals();
    testing::internal::CaptureStderr();
    EXPECT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_D16, D3DPOOL_MANAGED, texture.Receive()), D3DERR_INVALIDCALL);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              Line(Refusal::kCreateTextureFormat) + " (0x" + [] {
                  char hex[16];
                  std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(D3DFMT_D16));
                  return std::string(hex);
              }() + ")\n");
    EXPECT_EQ(gpu::RefusalCount(Refusal::kCreateTextureFormat), 1u);
}

TEST_F(RefusalTest, StateBlocks) {
    ExpectRefused(Refusal::kApplyStateBlockToken, [&] { return device_->ApplyStateBlock(12345); });
    ExpectRefused(Refusal::kDeleteStateBlockToken, [&] { return device_->DeleteStateBlock(12345); });
    DWORD token = 0;
    ExpectRefused(Refusal::kEndStateBlockNotBegun, [&] { return device_->EndStateBlock(&token); });
    ASSERT_EQ(device_->BeginStateBlock(), S_OK);
    ExpectRefused(Refusal::kBeginStateBlockTwice, [&] { return device_->BeginStateBlock(); });
    ExpectRefused(Refusal::kCreateStateBlockRecording,
                  [&] { return device_->CreateStateBlock(D3DSBT_ALL, &token); });
    ASSERT_EQ(device_->EndStateBlock(&token), S_OK);
    EXPECT_EQ(device_->DeleteStateBlock(token), S_OK);
}

TEST_F(RefusalTest, DeviceCreationAndAdapterQueries) {
    D3DDISPLAYMODE mode{};
    ExpectRefused(Refusal::kGetAdapterDisplayModeAdapter, [&] { return d3d_->GetAdapterDisplayMode(1, &mode); });
    D3DCAPS8 caps{};
    ExpectRefused(Refusal::kGetAdapterCapsType,
                  [&] { return d3d_->GetDeviceCaps(D3DADAPTER_DEFAULT, static_cast<D3DDEVTYPE>(7), &caps); });
    ComPtr<IDirect3DDevice8> other;
    D3DPRESENT_PARAMETERS pp = PresentParameters(kWidth, kHeight);
    ExpectRefused(Refusal::kCreateDeviceWindow, [&] {
        return d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, D3DCREATE_MIXED_VERTEXPROCESSING, &pp,
                                  other.Receive());
    });
    ExpectRefused(Refusal::kCreateDeviceProcessing, [&] {
        return d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_.get(), 0, &pp, other.Receive());
    });
    pp.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(1);
    ExpectRefused(Refusal::kCreateDeviceMultiSample, [&] {
        return d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_.get(), D3DCREATE_MIXED_VERTEXPROCESSING,
                                  &pp, other.Receive());
    });
}

TEST(Refusals, EveryItemSaysSomethingOfItsOwn) {
    std::set<std::string> messages;
    for (std::size_t i = 0; i < com::kEnumCount<Refusal>; ++i) {
        const std::string message = gpu::RefusalMessage(static_cast<Refusal>(i));
        EXPECT_TRUE(messages.insert(message).second) << "said twice: " << message;
    }
}

TEST(Refusals, CountedExactlyAndSaidOnceAcrossThreads) {
    gpu::ResetRefusals();
    testing::internal::CaptureStderr();
    // The threads start together, so that their refusals overlap.
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&go] {
            while (!go.load()) std::this_thread::yield();
            for (int i = 0; i < 250000; ++i) gpu::Refuse(Refusal::kPresentContext);
        });
    go = true;
    for (std::thread& t : threads) t.join();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(gpu::RefusalCount(Refusal::kPresentContext), 1000000u);
    EXPECT_EQ(gpu::RefusalTotal(), 1000000u);
    EXPECT_EQ(err, Line(Refusal::kPresentContext) + "\n");
    gpu::ResetRefusals();
    EXPECT_EQ(gpu::RefusalTotal(), 0u);
}

}  // namespace
}  // namespace devicetest
