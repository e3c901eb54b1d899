#include "platform/gpu/state_block.h"

#include <iterator>

#include "platform/gpu/device.h"
#include "platform/gpu/refusal.h"

namespace gpu {

bool IsPixelRenderState(DWORD s) {
    switch (s) {
        case D3DRS_ZENABLE: case D3DRS_FILLMODE: case D3DRS_SHADEMODE: case D3DRS_LINEPATTERN:
        case D3DRS_ZWRITEENABLE: case D3DRS_ALPHATESTENABLE: case D3DRS_LASTPIXEL: case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND: case D3DRS_ZFUNC: case D3DRS_ALPHAREF: case D3DRS_ALPHAFUNC:
        case D3DRS_DITHERENABLE: case D3DRS_FOGSTART: case D3DRS_FOGEND: case D3DRS_FOGDENSITY:
        case D3DRS_ALPHABLENDENABLE: case D3DRS_ZBIAS: case D3DRS_STENCILENABLE: case D3DRS_STENCILFAIL:
        case D3DRS_STENCILZFAIL: case D3DRS_STENCILPASS: case D3DRS_STENCILFUNC: case D3DRS_STENCILREF:
        case D3DRS_STENCILMASK: case D3DRS_STENCILWRITEMASK: case D3DRS_TEXTUREFACTOR: case D3DRS_WRAP0:
        case D3DRS_WRAP1: case D3DRS_WRAP2: case D3DRS_WRAP3: case D3DRS_WRAP4: case D3DRS_WRAP5:
        case D3DRS_WRAP6: case D3DRS_WRAP7: case D3DRS_COLORWRITEENABLE: case D3DRS_BLENDOP:
        case D3DRS_EDGEANTIALIAS: case D3DRS_FOGTABLEMODE:
            return true;
        default: return false;
    }
}

bool IsVertexRenderState(DWORD s) {
    switch (s) {
        case D3DRS_SHADEMODE: case D3DRS_SPECULARENABLE: case D3DRS_CULLMODE: case D3DRS_FOGENABLE:
        case D3DRS_FOGCOLOR: case D3DRS_FOGTABLEMODE: case D3DRS_FOGSTART: case D3DRS_FOGEND:
        case D3DRS_FOGDENSITY: case D3DRS_RANGEFOGENABLE: case D3DRS_AMBIENT: case D3DRS_COLORVERTEX:
        case D3DRS_FOGVERTEXMODE: case D3DRS_CLIPPING: case D3DRS_LIGHTING: case D3DRS_NORMALIZENORMALS:
        case D3DRS_LOCALVIEWER: case D3DRS_EMISSIVEMATERIALSOURCE: case D3DRS_AMBIENTMATERIALSOURCE:
        case D3DRS_DIFFUSEMATERIALSOURCE: case D3DRS_SPECULARMATERIALSOURCE: case D3DRS_VERTEXBLEND:
        case D3DRS_CLIPPLANEENABLE: case D3DRS_SOFTWAREVERTEXPROCESSING: case D3DRS_POINTSIZE:
        case D3DRS_POINTSIZE_MIN: case D3DRS_POINTSPRITEENABLE: case D3DRS_POINTSCALEENABLE:
        case D3DRS_POINTSCALE_A: case D3DRS_POINTSCALE_B: case D3DRS_POINTSCALE_C:
        case D3DRS_MULTISAMPLEANTIALIAS: case D3DRS_MULTISAMPLEMASK: case D3DRS_PATCHEDGESTYLE:
        case D3DRS_PATCHSEGMENTS: case D3DRS_POINTSIZE_MAX: case D3DRS_INDEXEDVERTEXBLENDENABLE:
        case D3DRS_TWEENFACTOR:
            return true;
        default: return false;
    }
}

bool BlockTypeHolds(D3DSTATEBLOCKTYPE type, StateField field, std::size_t entry) {
    if (type == D3DSBT_ALL)
        return field != StateField::kTransform || TransformSlot(static_cast<DWORD>(entry)) >= 0;
    const bool pixel = type == D3DSBT_PIXELSTATE, vertex = type == D3DSBT_VERTEXSTATE;
    switch (field) {
        case StateField::kRenderState:
            return (pixel && IsPixelRenderState(static_cast<DWORD>(entry))) ||
                   (vertex && IsVertexRenderState(static_cast<DWORD>(entry)));
        case StateField::kStageState: {
            const std::size_t t = entry % D3D_TEXTURESTAGESTATE_COUNT;
            const bool vertexStage = t == D3DTSS_TEXCOORDINDEX || t == D3DTSS_TEXTURETRANSFORMFLAGS;
            return (pixel && !vertexStage) || (vertex && vertexStage);
        }
        case StateField::kLight:
        case StateField::kLightEnable:
        case StateField::kFvf: return vertex;
        default: return false;
    }
}

// ---- The device's state blocks ----------------------------------------------------------------

// One row per family: how a block takes the device's current value of an entry, and how applying
// the block sets it again (through the setters, so that the renderer learns what changed).
struct Device::FieldOps {
    StateField field;
    void (*capture)(const Device& d, StateBlock& b, DWORD i);
    void (*apply)(Device& d, const StateBlock& b, DWORD i);
};

namespace {

constexpr DWORD StageOf(DWORD entry) { return entry / D3D_TEXTURESTAGESTATE_COUNT; }
constexpr auto StageTypeOf(DWORD entry) {
    return static_cast<D3DTEXTURESTAGESTATETYPE>(entry % D3D_TEXTURESTAGESTATE_COUNT);
}

}  // namespace

constexpr com::EnumTable<StateField, Device::FieldOps> Device::kFieldOps = {{
    {StateField::kRenderState,
     [](const Device& d, StateBlock& b, DWORD i) { b.values.renderStates[i] = d.state_.renderStates[i]; },
     [](Device& d, const StateBlock& b, DWORD i) {
         d.SetRenderState(static_cast<D3DRENDERSTATETYPE>(i), b.values.renderStates[i]);
     }},
    {StateField::kStageState,
     [](const Device& d, StateBlock& b, DWORD i) {
         b.values.stageStates[StageOf(i)][StageTypeOf(i)] = d.state_.stageStates[StageOf(i)][StageTypeOf(i)];
     },
     [](Device& d, const StateBlock& b, DWORD i) {
         d.SetTextureStageState(StageOf(i), StageTypeOf(i), b.values.stageStates[StageOf(i)][StageTypeOf(i)]);
     }},
    {StateField::kTexture, [](const Device& d, StateBlock& b, DWORD i) { b.bound.textures[i] = d.textures_[i]; },
     [](Device& d, const StateBlock& b, DWORD i) { d.SetTexture(i, b.bound.textures[i].Get()); }},
    {StateField::kTransform,
     [](const Device& d, StateBlock& b, DWORD i) { b.values.transforms[i] = d.state_.transforms[i]; },
     [](Device& d, const StateBlock& b, DWORD i) {
         d.SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(i), &b.values.transforms[i]);
     }},
    {StateField::kLight,
     [](const Device& d, StateBlock& b, DWORD i) { b.values.lights[i].light = d.state_.lights[i].light; },
     [](Device& d, const StateBlock& b, DWORD i) { d.SetLight(i, &b.values.lights[i].light); }},
    {StateField::kLightEnable,
     [](const Device& d, StateBlock& b, DWORD i) { b.values.lights[i].enabled = d.state_.lights[i].enabled; },
     [](Device& d, const StateBlock& b, DWORD i) { d.LightEnable(i, b.values.lights[i].enabled); }},
    {StateField::kMaterial, [](const Device& d, StateBlock& b, DWORD) { b.values.material = d.state_.material; },
     [](Device& d, const StateBlock& b, DWORD) { d.SetMaterial(&b.values.material); }},
    {StateField::kViewport, [](const Device& d, StateBlock& b, DWORD) { b.values.viewport = d.state_.viewport; },
     [](Device& d, const StateBlock& b, DWORD) { d.SetViewport(&b.values.viewport); }},
    {StateField::kFvf, [](const Device& d, StateBlock& b, DWORD) { b.values.fvf = d.state_.fvf; },
     [](Device& d, const StateBlock& b, DWORD) { d.SetVertexShader(b.values.fvf); }},
    {StateField::kStream, [](const Device& d, StateBlock& b, DWORD) { b.bound.stream = {d.stream_, d.stride_}; },
     [](Device& d, const StateBlock& b, DWORD) {
         d.SetStreamSource(0, b.bound.stream.buffer.Get(), b.bound.stream.stride);
     }},
    {StateField::kIndices,
     [](const Device& d, StateBlock& b, DWORD) { b.bound.indices = {d.indices_, d.baseVertex_}; },
     [](Device& d, const StateBlock& b, DWORD) {
         d.SetIndices(b.bound.indices.buffer.Get(), b.bound.indices.baseVertex);
     }},
}};

template <class Visit>
void Device::ForEachHeld(const StateMask& mask, Visit visit) {
    static_assert(com::RowsInEnumOrder(kFieldOps, &FieldOps::field), "one row per state family, in order");
    for (const FieldOps& ops : kFieldOps)
        for (std::size_t i = 0; i < FieldEntries(ops.field); ++i)
            if (mask.Has(ops.field, i)) visit(ops, static_cast<DWORD>(i));
}

void Device::CaptureInto(StateBlock& b) const {
    ForEachHeld(b.mask, [&](const FieldOps& ops, DWORD i) { ops.capture(*this, b, i); });
}

HRESULT Device::BeginStateBlock() {
    if (recording_) return Refuse(Refusal::kBeginStateBlockTwice);
    recording_ = std::make_unique<StateBlock>();
    return S_OK;
}

HRESULT Device::EndStateBlock(DWORD* token) {
    if (!recording_) return Refuse(Refusal::kEndStateBlockNotBegun);
    if (!token) return Refuse(Refusal::kEndStateBlockToken);
    *token = nextToken_++;
    blocks_[*token] = std::move(recording_);
    return S_OK;
}

HRESULT Device::ApplyStateBlock(DWORD token) {
    auto it = blocks_.find(token);
    if (it == blocks_.end()) return Refuse(Refusal::kApplyStateBlockToken);
    if (recording_) return Refuse(Refusal::kApplyStateBlockRecording);
    const StateBlock& b = *it->second;
    ForEachHeld(b.mask, [&](const FieldOps& ops, DWORD i) { ops.apply(*this, b, i); });
    return S_OK;
}

HRESULT Device::CaptureStateBlock(DWORD token) {
    auto it = blocks_.find(token);
    if (it == blocks_.end()) return Refuse(Refusal::kCaptureStateBlockToken);
    if (recording_) return Refuse(Refusal::kCaptureStateBlockRecording);
    CaptureInto(*it->second);
    return S_OK;
}

HRESULT Device::DeleteStateBlock(DWORD token) {
    if (blocks_.erase(token) == 0) return Refuse(Refusal::kDeleteStateBlockToken);
    return S_OK;
}

HRESULT Device::CreateStateBlock(D3DSTATEBLOCKTYPE type, DWORD* token) {
    if (!token) return Refuse(Refusal::kCreateStateBlockToken);
    if (recording_) return Refuse(Refusal::kCreateStateBlockRecording);
    if (type < D3DSBT_ALL || type > D3DSBT_VERTEXSTATE) return Refuse(Refusal::kCreateStateBlockType);
    auto b = std::make_unique<StateBlock>();
    for (const FieldOps& ops : kFieldOps)
        for (std::size_t i = 0; i < FieldEntries(ops.field); ++i)
            if (BlockTypeHolds(type, ops.field, i)) b->mask.Set(ops.field, i);
    CaptureInto(*b);
    *token = nextToken_++;
    blocks_[*token] = std::move(b);
    return S_OK;
}

}  // namespace gpu
