#include "platform/gpu/pipeline_key.h"

#include <algorithm>

namespace gpu {

ActiveLights CollectLights(const DeviceState& state) {
    ActiveLights a;
    for (DWORD i = 0; i < kMaxLights; ++i) {
        if (state.lights[i].enabled) a.index[a.count++] = static_cast<std::uint8_t>(i);
    }
    return a;
}

namespace {

std::uint8_t MaterialSource(const DeviceState& s, D3DRENDERSTATETYPE rs, const FvfLayout& l) {
    if (!s.renderStates[D3DRS_COLORVERTEX]) return 0;
    DWORD src = s.renderStates[rs];
    if (src == D3DMCS_COLOR1 && l.diffuse >= 0) return 1;
    if (src == D3DMCS_COLOR2 && l.specular >= 0) return 2;
    return 0;
}

bool ReadsTexture(DWORD op, DWORD arg1, DWORD arg2) {
    auto isTex = [](DWORD a) { return (a & D3DTA_SELECTMASK) == D3DTA_TEXTURE; };
    switch (op) {
        case D3DTOP_DISABLE: return false;
        case D3DTOP_SELECTARG1: return isTex(arg1);
        case D3DTOP_SELECTARG2: return isTex(arg2);
        case D3DTOP_BLENDTEXTUREALPHA: return true;
        default: return isTex(arg1) || isTex(arg2);
    }
}

// Whether the stages end with alpha exactly 1 (any reference value passes a GREATEREQUAL test
// then), followed from the diffuse alpha through each stage's alpha operation.
bool AlphaIsOne(const PipelineKey& k, bool diffuseOne, const bool opaque[kMaxStages]) {
    bool current = diffuseOne;
    for (int i = 0; i < kMaxStages && k.stages[i].colorOp != D3DTOP_DISABLE; ++i) {
        const StageKey& st = k.stages[i];
        auto one = [&](std::uint8_t arg) {
            if (arg & D3DTA_COMPLEMENT) return false;
            switch (arg & D3DTA_SELECTMASK) {
                case D3DTA_DIFFUSE: return diffuseOne;
                case D3DTA_CURRENT: return current;
                case D3DTA_TEXTURE: return st.textured && opaque && opaque[i];
                case D3DTA_SPECULAR: return true;  // the specular colour has no alpha: 1
                default: return false;
            }
        };
        switch (st.alphaOp) {
            case D3DTOP_DISABLE: break;
            case D3DTOP_SELECTARG1: current = one(st.alphaArg1); break;
            case D3DTOP_SELECTARG2: current = one(st.alphaArg2); break;
            case D3DTOP_MODULATE: current = one(st.alphaArg1) && one(st.alphaArg2); break;
            default: current = false; break;
        }
    }
    return current;
}

}  // namespace

bool StagesReadSpecular(const PipelineKey& k) {
    auto reads = [](std::uint8_t arg) { return (arg & D3DTA_SELECTMASK) == D3DTA_SPECULAR; };
    for (const StageKey& st : k.stages) {
        if (st.colorOp == D3DTOP_DISABLE) break;
        if (reads(st.colorArg1) || reads(st.colorArg2)) return true;
        if (st.alphaOp != D3DTOP_DISABLE && (reads(st.alphaArg1) || reads(st.alphaArg2))) return true;
    }
    return false;
}

PipelineKey MakePipelineKey(const DeviceState& s, const FvfLayout& l, const bool textured[kMaxStages],
                            const ActiveLights& lights, const bool opaque[kMaxStages],
                            const D3DMATERIAL8* material) {
    PipelineKey k;
    const auto& rs = s.renderStates;
    k.pretransformed = l.pretransformed;
    k.hasNormal = l.normal >= 0;
    k.hasDiffuse = l.diffuse >= 0;
    k.hasSpecular = l.specular >= 0;
    if (!l.pretransformed) {
        DWORD blend = rs[D3DRS_VERTEXBLEND];
        if (blend >= 1 && blend <= 3) k.blendWeights = static_cast<std::uint8_t>(std::min<DWORD>(blend, l.weights));
        k.lighting = rs[D3DRS_LIGHTING] != 0;
    }
    if (k.lighting) {
        k.lightCount = lights.count;
        for (int i = 0; i < lights.count; ++i) k.lightTypes[i] = static_cast<std::uint8_t>(s.lights[lights.index[i]].light.Type);
        k.localViewer = rs[D3DRS_LOCALVIEWER] != 0;
        k.normalize = rs[D3DRS_NORMALIZENORMALS] != 0;
        k.diffuseSource = MaterialSource(s, D3DRS_DIFFUSEMATERIALSOURCE, l);
        k.ambientSource = MaterialSource(s, D3DRS_AMBIENTMATERIALSOURCE, l);
        k.specularSource = MaterialSource(s, D3DRS_SPECULARMATERIALSOURCE, l);
        k.emissiveSource = MaterialSource(s, D3DRS_EMISSIVEMATERIALSOURCE, l);
    }
    k.specular = rs[D3DRS_SPECULARENABLE] != 0;
    // Nothing to add when the specular colour is black whatever the vertex: lit from a black
    // material colour or by no light, or unlit without a specular colour in the vertex.
    const bool blackMaterial = material && !MaterialHasSpecular(*material);
    const bool black = k.lighting ? k.lightCount == 0 || (k.specularSource == 0 && blackMaterial) : !k.hasSpecular;
    if (black) k.specular = 0;
    if (rs[D3DRS_FOGENABLE]) {
        DWORD mode = rs[D3DRS_FOGTABLEMODE] != D3DFOG_NONE ? rs[D3DRS_FOGTABLEMODE] : rs[D3DRS_FOGVERTEXMODE];
        if (mode <= D3DFOG_LINEAR) k.fogMode = static_cast<std::uint8_t>(mode);
    }
    if (rs[D3DRS_ALPHATESTENABLE] && rs[D3DRS_ALPHAFUNC] != D3DCMP_ALWAYS && rs[D3DRS_ALPHAFUNC] >= D3DCMP_NEVER &&
        rs[D3DRS_ALPHAFUNC] <= D3DCMP_ALWAYS)
        k.alphaFunc = static_cast<std::uint8_t>(rs[D3DRS_ALPHAFUNC]);
    k.flat = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;

    for (int i = 0; i < kMaxStages; ++i) {
        const auto& t = s.stageStates[i];
        StageKey& st = k.stages[i];
        DWORD colorOp = t[D3DTSS_COLOROP];
        if (colorOp < D3DTOP_DISABLE || colorOp > D3DTOP_BLENDCURRENTALPHA) colorOp = D3DTOP_DISABLE;
        if (colorOp == D3DTOP_DISABLE) break;  // this stage and the ones after it are off
        DWORD alphaOp = t[D3DTSS_ALPHAOP];
        if (alphaOp < D3DTOP_DISABLE || alphaOp > D3DTOP_BLENDCURRENTALPHA) alphaOp = D3DTOP_DISABLE;
        st.colorOp = static_cast<std::uint8_t>(colorOp);
        st.colorArg1 = static_cast<std::uint8_t>(t[D3DTSS_COLORARG1] & 0x3F);
        st.colorArg2 = static_cast<std::uint8_t>(t[D3DTSS_COLORARG2] & 0x3F);
        st.alphaOp = static_cast<std::uint8_t>(alphaOp);
        st.alphaArg1 = static_cast<std::uint8_t>(t[D3DTSS_ALPHAARG1] & 0x3F);
        st.alphaArg2 = static_cast<std::uint8_t>(t[D3DTSS_ALPHAARG2] & 0x3F);
        // A stage without a texture whose operation reads TEXTURE passes CURRENT through (colour
        // and alpha separately). Under MODULATE that looks like a white texture; under the
        // default ALPHAOP SELECTARG1(TEXTURE) it keeps the diffuse alpha of untextured geometry.
        if (!textured[i]) {
            if (ReadsTexture(colorOp, st.colorArg1, st.colorArg2)) {
                st.colorOp = D3DTOP_SELECTARG1;
                st.colorArg1 = D3DTA_CURRENT;
            }
            if (ReadsTexture(alphaOp, st.alphaArg1, st.alphaArg2)) {
                alphaOp = D3DTOP_SELECTARG1;
                st.alphaOp = D3DTOP_SELECTARG1;
                st.alphaArg1 = D3DTA_CURRENT;
            }
        }
        bool reads = ReadsTexture(st.colorOp, st.colorArg1, st.colorArg2) || ReadsTexture(alphaOp, st.alphaArg1, st.alphaArg2);
        st.textured = reads && textured[i];
        DWORD set = t[D3DTSS_TEXCOORDINDEX] & 0xFFFF;
        if (st.textured && set < l.texCount) {
            st.texSet = static_cast<std::uint8_t>(set);
            st.texSize = static_cast<std::uint8_t>(l.texSize[set]);
        }
    }
    // Diffuse alpha 1: lit from an opaque material colour, or unlit without a vertex colour.
    const bool diffuseOne =
        k.lighting ? k.diffuseSource == 0 && material && MaterialIsOpaque(*material) : !k.hasDiffuse;
    if (k.alphaFunc == D3DCMP_GREATEREQUAL && AlphaIsOne(k, diffuseOne, opaque)) k.alphaFunc = 0;
    return k;
}

void AddBorderAddressing(PipelineKey& k, const DeviceState& s) {
    for (int i = 0; i < kMaxStages; ++i) {
        StageKey& st = k.stages[i];
        if (!st.textured) continue;
        const auto& t = s.stageStates[i];
        st.border = static_cast<std::uint8_t>((t[D3DTSS_ADDRESSU] == D3DTADDRESS_BORDER ? kBorderU : 0) |
                                              (t[D3DTSS_ADDRESSV] == D3DTADDRESS_BORDER ? kBorderV : 0));
        if (st.border && t[D3DTSS_MAGFILTER] >= D3DTEXF_LINEAR) st.border |= kBorderLinear;
    }
}

}  // namespace gpu
