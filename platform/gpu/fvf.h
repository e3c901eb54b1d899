// Flexible vertex format decoding: which elements a vertex carries and where they lie.
//
// Header-only so that other layers (mesh helpers) compute vertex sizes exactly as the device does.
#pragma once

#include "platform/gpu/d3d8types.h"

namespace gpu {

struct FvfLayout {
    bool valid = false;
    bool pretransformed = false;  // XYZRHW: screen-space position with reciprocal homogeneous w
    UINT positionFloats = 0;      // 3, or 4 with RHW
    UINT betas = 0;               // floats that follow the position (weights, maybe indices)
    UINT weights = 0;             // blend weights among the betas
    bool lastBetaUbyte4 = false;  // the last beta holds four byte-sized matrix indices
    int normal = -1;              // byte offsets, -1 when absent
    int pointSize = -1;
    int diffuse = -1;
    int specular = -1;
    UINT texCount = 0;
    UINT texSize[8] = {};  // coordinates per set: 1..4
    UINT texOffset[8] = {};
    UINT stride = 0;
};

// Coordinates per texture set from the TEXCOORDSIZE bits.
constexpr UINT FvfTexCoordSize(DWORD fvf, UINT set) {
    switch ((fvf >> (set * 2 + 16)) & 3u) {
        case D3DFVF_TEXTUREFORMAT1: return 1;
        case D3DFVF_TEXTUREFORMAT3: return 3;
        case D3DFVF_TEXTUREFORMAT4: return 4;
        default: return 2;
    }
}

constexpr FvfLayout DecodeFvf(DWORD fvf) {
    FvfLayout l{};
    UINT offset = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
        case D3DFVF_XYZ: l.positionFloats = 3; break;
        case D3DFVF_XYZRHW:
            l.positionFloats = 4;
            l.pretransformed = true;
            break;
        case D3DFVF_XYZB1: l.positionFloats = 3; l.betas = 1; break;
        case D3DFVF_XYZB2: l.positionFloats = 3; l.betas = 2; break;
        case D3DFVF_XYZB3: l.positionFloats = 3; l.betas = 3; break;
        case D3DFVF_XYZB4: l.positionFloats = 3; l.betas = 4; break;
        case D3DFVF_XYZB5: l.positionFloats = 3; l.betas = 5; break;
        default: return l;  // no position: not a drawable format
    }
    l.lastBetaUbyte4 = (fvf & D3DFVF_LASTBETA_UBYTE4) != 0 && l.betas > 0;
    l.weights = l.lastBetaUbyte4 ? l.betas - 1 : l.betas;
    offset = 4 * (l.positionFloats + l.betas);
    if (fvf & D3DFVF_NORMAL) {
        l.normal = static_cast<int>(offset);
        offset += 12;
    }
    if (fvf & D3DFVF_PSIZE) {
        l.pointSize = static_cast<int>(offset);
        offset += 4;
    }
    if (fvf & D3DFVF_DIFFUSE) {
        l.diffuse = static_cast<int>(offset);
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        l.specular = static_cast<int>(offset);
        offset += 4;
    }
    UINT count = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (count > 8) return l;
    l.texCount = count;
    for (UINT i = 0; i < count; ++i) {
        l.texSize[i] = FvfTexCoordSize(fvf, i);
        l.texOffset[i] = offset;
        offset += 4 * l.texSize[i];
    }
    l.stride = offset;
    l.valid = true;
    return l;
}

// Bytes per vertex of a format, 0 for a format that cannot be drawn.
constexpr UINT FvfVertexSize(DWORD fvf) {
    FvfLayout l = DecodeFvf(fvf);
    return l.valid ? l.stride : 0;
}

}  // namespace gpu
