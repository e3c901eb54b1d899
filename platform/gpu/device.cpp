#include "platform/gpu/device.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/gpu/fvf.h"
#include "platform/gpu/refusal.h"
#include "platform/gpu/texture_format.h"

namespace gpu {

namespace {

// The most primitives a draw takes (the MaxPrimitiveCount the caps report): beyond this, vertex
// counts could overflow.
constexpr UINT kMaxPrimitives = 0xFFFFF;

std::uint32_t RenderStateDirty(DWORD s) {
    switch (s) {
        case D3DRS_LIGHTING: case D3DRS_SPECULARENABLE: case D3DRS_LOCALVIEWER: case D3DRS_NORMALIZENORMALS:
        case D3DRS_COLORVERTEX: case D3DRS_DIFFUSEMATERIALSOURCE: case D3DRS_SPECULARMATERIALSOURCE:
        case D3DRS_AMBIENTMATERIALSOURCE: case D3DRS_EMISSIVEMATERIALSOURCE: case D3DRS_FOGENABLE:
        case D3DRS_FOGTABLEMODE: case D3DRS_FOGVERTEXMODE: case D3DRS_ALPHATESTENABLE: case D3DRS_ALPHAFUNC:
        case D3DRS_VERTEXBLEND: case D3DRS_SHADEMODE:
            return Renderer::kPipeline;
        case D3DRS_ZENABLE: case D3DRS_ZWRITEENABLE: case D3DRS_ZFUNC: case D3DRS_ALPHABLENDENABLE:
        case D3DRS_SRCBLEND: case D3DRS_DESTBLEND: case D3DRS_BLENDOP: case D3DRS_CULLMODE: case D3DRS_FILLMODE:
        case D3DRS_COLORWRITEENABLE:
            return Renderer::kRaster;
        case D3DRS_AMBIENT: return Renderer::kLights;
        case D3DRS_FOGCOLOR: case D3DRS_FOGDENSITY: case D3DRS_FOGSTART: case D3DRS_FOGEND: return Renderer::kFog;
        case D3DRS_ALPHAREF: case D3DRS_TEXTUREFACTOR: return Renderer::kMisc;
        default: return 0;
    }
}

std::uint32_t StageStateDirty(DWORD stage, DWORD type) {
    switch (type) {
        case D3DTSS_COLOROP: case D3DTSS_COLORARG1: case D3DTSS_COLORARG2: case D3DTSS_ALPHAOP:
        case D3DTSS_ALPHAARG1: case D3DTSS_ALPHAARG2: case D3DTSS_TEXCOORDINDEX:
            return stage < static_cast<DWORD>(kMaxStages) ? std::uint32_t{Renderer::kPipeline} : 0u;
        case D3DTSS_MINFILTER: case D3DTSS_MAGFILTER: case D3DTSS_MIPFILTER:
            return stage < static_cast<DWORD>(kMaxStages) ? std::uint32_t{Renderer::kSamplers} : 0u;
        // Where the border shows, a texture without alpha no longer always samples as alpha 1,
        // which programs depend on.
        case D3DTSS_ADDRESSU: case D3DTSS_ADDRESSV: case D3DTSS_BORDERCOLOR:
            return stage < static_cast<DWORD>(kMaxStages) ? Renderer::kSamplers | Renderer::kPipeline : 0u;
        default: return 0;
    }
}

// A second reference to `object`, for the device or a block to hold.
template <class T>
ComPtr<T> Shared(T* object) {
    if (object) object->AddRef();
    return ComPtr<T>(object);
}

}  // namespace

D3DCAPS8 DeviceCaps(D3DDEVTYPE type, DWORD maxTextureSize) {
    D3DCAPS8 c{};
    c.DeviceType = type;
    c.AdapterOrdinal = D3DADAPTER_DEFAULT;
    c.PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
    c.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_HWRASTERIZATION;
    c.PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW |
                          D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_BLENDOP;
    c.RasterCaps = D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE;
    c.ZCmpCaps = c.AlphaCmpCaps = D3DPCMPCAPS_NEVER | D3DPCMPCAPS_LESS | D3DPCMPCAPS_EQUAL | D3DPCMPCAPS_LESSEQUAL |
                                  D3DPCMPCAPS_GREATER | D3DPCMPCAPS_NOTEQUAL | D3DPCMPCAPS_GREATEREQUAL |
                                  D3DPCMPCAPS_ALWAYS;
    c.SrcBlendCaps = c.DestBlendCaps =
        D3DPBLENDCAPS_ZERO | D3DPBLENDCAPS_ONE | D3DPBLENDCAPS_SRCCOLOR | D3DPBLENDCAPS_INVSRCCOLOR |
        D3DPBLENDCAPS_SRCALPHA | D3DPBLENDCAPS_INVSRCALPHA | D3DPBLENDCAPS_DESTALPHA | D3DPBLENDCAPS_INVDESTALPHA |
        D3DPBLENDCAPS_DESTCOLOR | D3DPBLENDCAPS_INVDESTCOLOR | D3DPBLENDCAPS_SRCALPHASAT | D3DPBLENDCAPS_BOTHSRCALPHA |
        D3DPBLENDCAPS_BOTHINVSRCALPHA;
    c.ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_SPECULARGOURAUDRGB | D3DPSHADECAPS_ALPHAGOURAUDBLEND |
                  D3DPSHADECAPS_FOGGOURAUD;
    c.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
    c.TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MIPFPOINT |
                          D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    c.TextureAddressCaps =
        D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP | D3DPTADDRESSCAPS_BORDER;
    c.LineCaps = D3DLINECAPS_TEXTURE | D3DLINECAPS_ZTEST | D3DLINECAPS_BLEND | D3DLINECAPS_ALPHACMP | D3DLINECAPS_FOG;
    c.MaxTextureWidth = c.MaxTextureHeight = maxTextureSize;
    c.MaxTextureRepeat = 8192;
    c.MaxTextureAspectRatio = maxTextureSize;
    c.MaxAnisotropy = 1;
    c.MaxVertexW = 1e10f;
    c.GuardBandLeft = c.GuardBandTop = -8192.0f;
    c.GuardBandRight = c.GuardBandBottom = 8192.0f;
    c.FVFCaps = (D3DFVFCAPS_TEXCOORDCOUNTMASK & D3D_MAX_TEXTURE_STAGES) | D3DFVFCAPS_DONOTSTRIPELEMENTS | D3DFVFCAPS_PSIZE;
    c.TextureOpCaps = D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 | D3DTEXOPCAPS_MODULATE |
                      D3DTEXOPCAPS_MODULATE2X | D3DTEXOPCAPS_MODULATE4X | D3DTEXOPCAPS_ADD | D3DTEXOPCAPS_ADDSIGNED |
                      D3DTEXOPCAPS_ADDSIGNED2X | D3DTEXOPCAPS_SUBTRACT | D3DTEXOPCAPS_ADDSMOOTH |
                      D3DTEXOPCAPS_BLENDDIFFUSEALPHA | D3DTEXOPCAPS_BLENDTEXTUREALPHA | D3DTEXOPCAPS_BLENDFACTORALPHA |
                      D3DTEXOPCAPS_BLENDTEXTUREALPHAPM | D3DTEXOPCAPS_BLENDCURRENTALPHA;
    c.MaxTextureBlendStages = kMaxStages;
    c.MaxSimultaneousTextures = kMaxStages;
    c.VertexProcessingCaps = D3DVTXPCAPS_MATERIALSOURCE7 | D3DVTXPCAPS_DIRECTIONALLIGHTS |
                             D3DVTXPCAPS_POSITIONALLIGHTS | D3DVTXPCAPS_LOCALVIEWER;
    c.MaxActiveLights = kMaxLights;
    c.MaxVertexBlendMatrices = kWorldMatrices;
    c.MaxPointSize = 64.0f;
    c.MaxPrimitiveCount = kMaxPrimitives;
    c.MaxVertexIndex = 0xFFFFFF;
    c.MaxStreams = 1;
    c.MaxStreamStride = 255;
    return c;
}

Device::Device(IDirect3D8* parent, D3DDEVTYPE type, std::shared_ptr<GlShared> gl, std::unique_ptr<Renderer> renderer)
    : gl_(std::move(gl)), renderer_(std::move(renderer)) {
    parent->AddRef();
    parent_ = ComPtr<IDirect3D8>(parent);
    const BackBufferDesc& d = renderer_->Desc();
    state_ = DeviceState::Defaults(d.width, d.height);
    caps_ = DeviceCaps(type, static_cast<DWORD>(renderer_->Limits().textureSize));
    gl_->device = this;
}

Device::~Device() {
    recording_.reset();
    blocks_.clear();
    for (auto& t : textures_) t.Reset();
    stream_.Reset();
    indices_.Reset();
    renderer_.reset();
    gl_->device = nullptr;
}

HRESULT Device::GetDeviceCaps(D3DCAPS8* caps) {
    if (!caps) return Refuse(Refusal::kGetDeviceCapsCaps);
    *caps = caps_;
    return S_OK;
}

HRESULT Device::GetDisplayMode(D3DDISPLAYMODE* mode) {
    if (!mode) return Refuse(Refusal::kGetDisplayModeMode);
    const BackBufferDesc& d = renderer_->Desc();
    *mode = {d.width, d.height, 60, d.format};
    return S_OK;
}

BOOL Device::ShowCursor(BOOL show) {
    const bool previous = cursorShown_;
    cursorShown_ = show != FALSE;
    return previous ? TRUE : FALSE;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD) {
    if (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) return Refuse(Refusal::kClearFlags);
    if (count > 0 && !rects) return Refuse(Refusal::kClearRects);
    renderer_->Clear(state_, count, rects, flags, colour, z);
    return S_OK;
}

HRESULT Device::BeginScene() {
    if (inScene_) return Refuse(Refusal::kBeginSceneTwice);
    inScene_ = true;
    return S_OK;
}

HRESULT Device::EndScene() {
    if (!inScene_) return Refuse(Refusal::kEndSceneNotBegun);
    inScene_ = false;
    return S_OK;
}

HRESULT Device::Present(const RECT*, const RECT*, HWND, const void*) {
    if (!gl_->CanCallGl()) return Refuse(Refusal::kPresentContext);
    renderer_->Present(gl_->Context());
    return S_OK;
}

template <class Record>
bool Device::Recorded(StateField field, DWORD entry, Record record) {
    if (!recording_) return false;
    record(*recording_);
    recording_->mask.Set(field, entry);
    return true;
}

// The one path of the setters of plain values. While a block is recorded the value goes into
// it; otherwise a value bytewise equal to the current one changes nothing (unless `same` says to
// store it again), and a new one replaces it between the renderer's Changing and Mark calls.
// Returns whether the device's own value was stored.
template <class T, class Place>
bool Device::Store(StateField field, DWORD entry, Place place, const T& value, std::uint32_t changing,
                   std::uint32_t marked, Same same) {
    if (Recorded(field, entry, [&](StateBlock& b) { place(b.values) = value; })) return false;
    T& current = place(state_);
    if (same == Same::kSkip && std::memcmp(&current, &value, sizeof(T)) == 0) return false;
    renderer_->Changing(changing);
    current = value;
    renderer_->Mark(marked);
    return true;
}

HRESULT Device::SetViewport(const D3DVIEWPORT8* vp) {
    if (!vp) return Refuse(Refusal::kSetViewportNull);
    const BackBufferDesc& d = renderer_->Desc();
    if (vp->Width == 0 || vp->Height == 0 || vp->X >= d.width || vp->Y >= d.height || vp->Width > d.width - vp->X ||
        vp->Height > d.height - vp->Y || !(vp->MinZ >= 0.0f && vp->MinZ <= 1.0f) || !(vp->MaxZ >= 0.0f && vp->MaxZ <= 1.0f))
        return Refuse(Refusal::kSetViewportRect);
    Store(StateField::kViewport, 0, [](DeviceState& s) -> auto& { return s.viewport; }, *vp, Renderer::kViewport,
          Renderer::kViewport | Renderer::kProjection, Same::kStore);
    return S_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT8* vp) {
    if (!vp) return Refuse(Refusal::kGetViewportNull);
    *vp = state_.viewport;
    return S_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (state >= D3D_RENDERSTATE_COUNT) return Refuse(Refusal::kSetRenderStateState);
    const std::uint32_t dirty = RenderStateDirty(state);
    Store(StateField::kRenderState, state, [state](DeviceState& s) -> auto& { return s.renderStates[state]; }, value,
          dirty, dirty);
    return S_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    if (state >= D3D_RENDERSTATE_COUNT) return Refuse(Refusal::kGetRenderStateState);
    if (!value) return Refuse(Refusal::kGetRenderStateValue);
    *value = state_.renderStates[state];
    return S_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (stage >= D3D_MAX_TEXTURE_STAGES) return Refuse(Refusal::kSetStageStateStage);
    if (type >= D3D_TEXTURESTAGESTATE_COUNT) return Refuse(Refusal::kSetStageStateType);
    const std::uint32_t dirty = StageStateDirty(stage, type);
    Store(StateField::kStageState, stage * D3D_TEXTURESTAGESTATE_COUNT + type,
          [stage, type](DeviceState& s) -> auto& { return s.stageStates[stage][type]; }, value, dirty, dirty);
    return S_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
    if (stage >= D3D_MAX_TEXTURE_STAGES) return Refuse(Refusal::kGetStageStateStage);
    if (type >= D3D_TEXTURESTAGESTATE_COUNT) return Refuse(Refusal::kGetStageStateType);
    if (!value) return Refuse(Refusal::kGetStageStateValue);
    *value = state_.stageStates[stage][type];
    return S_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* m) {
    const int slot = TransformSlot(type);
    if (slot < 0) return Refuse(Refusal::kSetTransformType);
    if (!m) return Refuse(Refusal::kSetTransformMatrix);
    // World matrices are marked one by one; texture matrices need nothing redone.
    const std::uint32_t marked =
        type == D3DTS_VIEW ? Renderer::kView : type == D3DTS_PROJECTION ? Renderer::kProjection : 0u;
    const bool stored = Store(StateField::kTransform, static_cast<DWORD>(slot),
                              [slot](DeviceState& s) -> auto& { return s.transforms[slot]; }, *m,
                              type == D3DTS_WORLD ? Renderer::kWorld : Renderer::kView, marked);
    if (stored && type >= D3DTS_WORLD) renderer_->MarkWorld(type - D3DTS_WORLD);
    return S_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* m) {
    const int slot = TransformSlot(type);
    if (slot < 0) return Refuse(Refusal::kGetTransformType);
    if (!m) return Refuse(Refusal::kGetTransformMatrix);
    *m = state_.transforms[slot];
    return S_OK;
}

HRESULT Device::MultiplyTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* m) {
    const int slot = TransformSlot(type);
    if (slot < 0) return Refuse(Refusal::kMultiplyTransformType);
    if (!m) return Refuse(Refusal::kMultiplyTransformMatrix);
    const D3DMATRIX product = MultiplyMatrix(*m, state_.transforms[slot]);
    return SetTransform(type, &product);
}

HRESULT Device::SetMaterial(const D3DMATERIAL8* material) {
    if (!material) return Refuse(Refusal::kSetMaterialNull);
    Store(StateField::kMaterial, 0, [](DeviceState& s) -> auto& { return s.material; }, *material,
          Renderer::kMaterial, Renderer::kMaterial);
    return S_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL8* material) {
    if (!material) return Refuse(Refusal::kGetMaterialNull);
    *material = state_.material;
    return S_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT8* light) {
    if (index >= kMaxLights) return Refuse(Refusal::kSetLightIndex);
    if (!light) return Refuse(Refusal::kSetLightNull);
    if (light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL) return Refuse(Refusal::kSetLightType);
    if (light->Type != D3DLIGHT_DIRECTIONAL && !(light->Range >= 0.0f)) return Refuse(Refusal::kSetLightRange);
    // An enabled light that changes type changes the program.
    const LightSlot& slot = state_.lights[index];
    const bool typeChanged = slot.light.Type != light->Type;
    const std::uint32_t marked = Renderer::kLights | (typeChanged && slot.enabled ? Renderer::kPipeline : 0u);
    if (Store(StateField::kLight, index, [index](DeviceState& s) -> auto& { return s.lights[index].light; }, *light,
              Renderer::kLights, marked, Same::kStore))
        state_.lights[index].set = true;
    return S_OK;
}

HRESULT Device::GetLight(DWORD index, D3DLIGHT8* light) {
    if (index >= kMaxLights) return Refuse(Refusal::kGetLightIndex);
    if (!light) return Refuse(Refusal::kGetLightNull);
    if (!state_.lights[index].set) return Refuse(Refusal::kGetLightUnset);
    *light = state_.lights[index].light;
    return S_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
    if (index >= kMaxLights) return Refuse(Refusal::kLightEnableIndex);
    if (Store(StateField::kLightEnable, index, [index](DeviceState& s) -> auto& { return s.lights[index].enabled; },
              enable != 0, Renderer::kLights, Renderer::kPipeline | Renderer::kLights))
        state_.lights[index].set = true;  // enabling a light never set uses the default light
    return S_OK;
}

HRESULT Device::GetLightEnable(DWORD index, BOOL* enable) {
    if (index >= kMaxLights) return Refuse(Refusal::kGetLightEnableIndex);
    if (!enable) return Refuse(Refusal::kGetLightEnableNull);
    *enable = state_.lights[index].enabled ? TRUE : FALSE;
    return S_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) {
    if (stage >= D3D_MAX_TEXTURE_STAGES) return Refuse(Refusal::kSetTextureStage);
    Texture* impl = texture ? dynamic_cast<Texture*>(texture) : nullptr;
    if (texture && (!impl || impl->Owner() != gl_.get())) return Refuse(Refusal::kSetTextureForeign);
    if (Recorded(StateField::kTexture, stage, [&](StateBlock& b) { b.bound.textures[stage] = Shared(texture); }))
        return S_OK;
    if (textures_[stage].Get() == texture) return S_OK;
    renderer_->Changing(Renderer::kTextures);
    // Programs depend on whether a stage has a texture and whether it has alpha; the previous
    // texture is looked at before it is released.
    const auto kind = [](const Texture* t) { return t ? (DescribeFormat(t->Format()).hasAlpha ? 2 : 1) : 0; };
    const bool tracked = stage < static_cast<DWORD>(kMaxStages);
    const bool boundChanged = tracked && kind(stageTextures_[stage]) != kind(impl);
    if (tracked) stageTextures_[stage] = impl;
    textures_[stage] = Shared(texture);  // releases the previous one
    if (tracked) renderer_->Mark(Renderer::kTextures | (boundChanged ? Renderer::kPipeline : 0u));
    return S_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) {
    if (stage >= D3D_MAX_TEXTURE_STAGES) return Refuse(Refusal::kGetTextureStage);
    if (!texture) return Refuse(Refusal::kGetTextureNull);
    *texture = textures_[stage].Get();
    if (*texture) (*texture)->AddRef();
    return S_OK;
}

HRESULT Device::SetVertexShader(DWORD fvf) {
    if (!DecodeFvf(fvf).valid) return Refuse(Refusal::kSetVertexShaderFvf);
    Store(StateField::kFvf, 0, [](DeviceState& s) -> auto& { return s.fvf; }, fvf, Renderer::kStream,
          Renderer::kPipeline | Renderer::kStream);
    return S_OK;
}

HRESULT Device::GetVertexShader(DWORD* fvf) {
    if (!fvf) return Refuse(Refusal::kGetVertexShaderNull);
    *fvf = state_.fvf;
    return S_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) {
    if (stream != 0) return Refuse(Refusal::kSetStreamSourceStream);
    VertexBuffer* impl = buffer ? dynamic_cast<VertexBuffer*>(buffer) : nullptr;
    if (buffer && (!impl || impl->Storage().Owner() != gl_.get())) return Refuse(Refusal::kSetStreamSourceForeign);
    if (Recorded(StateField::kStream, 0, [&](StateBlock& b) { b.bound.stream = {Shared(buffer), stride}; }))
        return S_OK;
    if (stream_.Get() == buffer && stride_ == stride) return S_OK;
    renderer_->Changing(Renderer::kStream);
    stream_ = Shared(buffer);
    streamImpl_ = impl;
    stride_ = stride;
    renderer_->Mark(Renderer::kStream);
    return S_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) {
    IndexBuffer* impl = buffer ? dynamic_cast<IndexBuffer*>(buffer) : nullptr;
    if (buffer && (!impl || impl->Storage().Owner() != gl_.get())) return Refuse(Refusal::kSetIndicesForeign);
    if (Recorded(StateField::kIndices, 0, [&](StateBlock& b) { b.bound.indices = {Shared(buffer), baseVertexIndex}; }))
        return S_OK;
    if (indices_.Get() != buffer) {
        indices_ = Shared(buffer);
        indicesImpl_ = impl;
    }
    baseVertex_ = baseVertexIndex;
    return S_OK;
}

// Every argument of a draw is checked here, once: the renderer takes a vertex source with a
// stride, a primitive type it knows, and vertex and index ranges inside their buffers.

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
    const UINT count = VertexCount(type, primitiveCount);
    if (!streamImpl_) return Refuse(Refusal::kDrawPrimitiveStream);
    if (stride_ == 0) return Refuse(Refusal::kDrawPrimitiveStride);
    if (primitiveCount == 0 || primitiveCount > kMaxPrimitives) return Refuse(Refusal::kDrawPrimitiveCount);
    if (count == 0) return Refuse(Refusal::kDrawPrimitiveType);
    const std::uint64_t end = (static_cast<std::uint64_t>(startVertex) + count) * stride_;
    if (end > streamImpl_->Storage().Length()) return Refuse(Refusal::kDrawPrimitiveRange);
    DrawSources src;
    src.vertices = &streamImpl_->Storage();
    src.stride = stride_;
    src.textures[0] = stageTextures_[0];
    src.textures[1] = stageTextures_[1];
    return renderer_->Draw(state_, src, type, startVertex, primitiveCount, false);
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT, UINT, UINT startIndex, UINT primitiveCount) {
    const UINT count = VertexCount(type, primitiveCount);
    if (!streamImpl_) return Refuse(Refusal::kDrawIndexedStream);
    if (!indicesImpl_) return Refuse(Refusal::kDrawIndexedIndices);
    if (stride_ == 0) return Refuse(Refusal::kDrawIndexedStride);
    if (primitiveCount == 0 || primitiveCount > kMaxPrimitives) return Refuse(Refusal::kDrawIndexedCount);
    if (count == 0) return Refuse(Refusal::kDrawIndexedType);
    // Indices past the index buffer, or pointing past the vertex buffer, would make OpenGL read
    // outside them: refuse them.
    const UINT indexSize = indicesImpl_->Format() == D3DFMT_INDEX32 ? 4 : 2;
    if ((static_cast<std::uint64_t>(startIndex) + count) * indexSize > indicesImpl_->Storage().Length())
        return Refuse(Refusal::kDrawIndexedIndexRange);
    const std::uint64_t vertices = streamImpl_->Storage().Length() / stride_;
    if (baseVertex_ + static_cast<std::uint64_t>(indicesImpl_->MaxIndex(startIndex, count)) >= vertices)
        return Refuse(Refusal::kDrawIndexedVertexRange);
    DrawSources src;
    src.vertices = &streamImpl_->Storage();
    src.stride = stride_;
    src.indices = &indicesImpl_->Storage();
    src.indices32 = indicesImpl_->Format() == D3DFMT_INDEX32;
    src.baseVertex = static_cast<INT>(baseVertex_);
    src.textures[0] = stageTextures_[0];
    src.textures[1] = stageTextures_[1];
    return renderer_->Draw(state_, src, type, startIndex, primitiveCount, true);
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) {
    const UINT count = VertexCount(type, primitiveCount);
    if (!vertices) return Refuse(Refusal::kDrawUpPointers);
    if (stride == 0 || stride > 0xFFFF) return Refuse(Refusal::kDrawUpStride);
    // A strip or fan of 0 primitives still has vertices, and is not refused.
    if (primitiveCount > kMaxPrimitives) return Refuse(Refusal::kDrawUpCount);
    if (count == 0) return Refuse(Refusal::kDrawUpNoVertices);
    // As in Direct3D, a draw from user memory leaves no stream bound.
    SetStreamSource(0, nullptr, 0);
    return renderer_->DrawUser(state_, stageTextures_, type, primitiveCount, vertices, count * stride, stride, nullptr, 0,
                               false);
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT primitiveCount,
                                       const void* indices, D3DFORMAT indexFormat, const void* vertices, UINT stride) {
    const UINT count = VertexCount(type, primitiveCount);
    if (!vertices || !indices) return Refuse(Refusal::kDrawIndexedUpPointers);
    if (stride == 0 || stride > 0xFFFF) return Refuse(Refusal::kDrawIndexedUpStride);
    if (primitiveCount > kMaxPrimitives) return Refuse(Refusal::kDrawIndexedUpCount);
    if (count == 0) return Refuse(Refusal::kDrawIndexedUpNoVertices);
    if (numVertices == 0 || minIndex > 0xFFFFFF || numVertices > 0xFFFFFF)
        return Refuse(Refusal::kDrawIndexedUpVertices);
    if (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32) return Refuse(Refusal::kDrawIndexedUpFormat);
    const UINT size = indexFormat == D3DFMT_INDEX32 ? 4 : 2;
    for (UINT i = 0; i < count; ++i) {
        const UINT index = size == 4 ? static_cast<const std::uint32_t*>(indices)[i] : static_cast<const std::uint16_t*>(indices)[i];
        if (index >= minIndex + numVertices) return Refuse(Refusal::kDrawIndexedUpIndex);
    }
    SetStreamSource(0, nullptr, 0);
    SetIndices(nullptr, 0);
    return renderer_->DrawUser(state_, stageTextures_, type, primitiveCount, vertices, (minIndex + numVertices) * stride,
                               stride, indices, count * size, size == 4);
}

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DTexture8** texture) {
    if (!texture) return Refuse(Refusal::kCreateTextureOut);
    *texture = nullptr;
    if (!gl_->CanCallGl()) return Refuse(Refusal::kCreateTextureContext);
    HRESULT hr = S_OK;
    try {
        *texture = Texture::Create(gl_, width, height, levels, usage, format, pool, hr);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "gpu/device: no memory for a %ux%u texture\n", width, height);
        return E_OUTOFMEMORY;
    }
    return hr;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer8** buffer) {
    if (!buffer) return Refuse(Refusal::kCreateVertexBufferOut);
    *buffer = nullptr;
    if (length == 0) return Refuse(Refusal::kCreateVertexBufferLength);
    if (!gl_->CanCallGl()) return Refuse(Refusal::kCreateVertexBufferContext);
    try {
        *buffer = new VertexBuffer(gl_, length, usage, fvf, pool);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "gpu/device: no memory for a vertex buffer of %u bytes\n", length);
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DIndexBuffer8** buffer) {
    if (!buffer) return Refuse(Refusal::kCreateIndexBufferOut);
    *buffer = nullptr;
    if (length == 0) return Refuse(Refusal::kCreateIndexBufferLength);
    if (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) return Refuse(Refusal::kCreateIndexBufferFormat);
    if (!gl_->CanCallGl()) return Refuse(Refusal::kCreateIndexBufferContext);
    try {
        *buffer = new IndexBuffer(gl_, length, usage, format, pool);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "gpu/device: no memory for an index buffer of %u bytes\n", length);
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

// ---- Extensions ---------------------------------------------------------------------------

HRESULT Device::ReadBackBuffer(std::vector<std::uint32_t>& pixels, UINT& width, UINT& height) {
    if (!gl_->CanCallGl()) return Refuse(Refusal::kReadBackContext);
    renderer_->ReadBack(pixels);
    width = renderer_->Desc().width;
    height = renderer_->Desc().height;
    return S_OK;
}

void Device::GetDrawStats(D3DDRAWSTATS* stats) {
    if (stats) *stats = renderer_->Stats();
}

void Device::ResetDrawStats() { renderer_->Stats() = {}; }

}  // namespace gpu
