#include "platform/gpu/blank_trim.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gpu/pipeline_key.h"
#include "platform/gpu/texture.h"
#include "platform/gpu/texture_format.h"

namespace gpu {

namespace {

constexpr UINT kColour = 0, kAlpha = 1;

void Grow(TexelBox& b, UINT x, UINT y) {
    if (b.empty) {
        b = {false, x, y, x, y};
        return;
    }
    b.x0 = std::min(b.x0, x);
    b.x1 = std::max(b.x1, x);
    b.y0 = std::min(b.y0, y);
    b.y1 = std::max(b.y1, y);
}

TexelBox Everywhere(UINT width, UINT height) { return {false, 0, 0, width - 1, height - 1}; }

// Reach of one axis of a level: texels lo..hi of `size` are the non-zero ones. Bilinear
// filtering at coordinate c reads texels floor(c * size - 0.5) and the next, so only
// coordinates within half a texel of the box can reach it; one texel more covers the
// rasteriser's rounding. A box at the edge is reached from the other edge by wrapping.
void AxisReach(UINT lo, UINT hi, UINT size, float& from, float& to) {
    if (lo == 0 || hi + 1 >= size) {
        from = 0.0f;
        to = 1.0f;
        return;
    }
    const float s = static_cast<float>(size);
    from = std::max(0.0f, (static_cast<float>(lo) - 1.5f) / s);
    to = std::min(1.0f, (static_cast<float>(hi) + 2.5f) / s);
}

bool ZeroWithTexture(DWORD op, DWORD arg1, DWORD arg2) {
    switch (op) {
        case D3DTOP_MODULATE:
        case D3DTOP_MODULATE2X:
        case D3DTOP_MODULATE4X: return arg1 == D3DTA_TEXTURE || arg2 == D3DTA_TEXTURE;
        case D3DTOP_SELECTARG1: return arg1 == D3DTA_TEXTURE;
        case D3DTOP_SELECTARG2: return arg2 == D3DTA_TEXTURE;
        default: return false;
    }
}

bool SameFloat(float a, float b) {
    return std::fabs(a - b) <= 1e-5f * std::max({1.0f, std::fabs(a), std::fabs(b)});
}

float FloatAt(const BYTE* vertex, UINT offset) {
    float f;
    std::memcpy(&f, vertex + offset, 4);
    return f;
}

// One parameter range of the quad: along the side where the coordinate starts at `origin` and
// changes by `delta`, the part whose coordinate lies in from..to.
void ParameterRange(float origin, float delta, float from, float to, float& lo, float& hi) {
    lo = (from - origin) / delta;
    hi = (to - origin) / delta;
    if (lo > hi) std::swap(lo, hi);
    lo = std::max(lo, 0.0f);
    hi = std::min(hi, 1.0f);
}

}  // namespace

LevelBoxes FindLevelBoxes(D3DFORMAT format, const BYTE* bits, UINT width, UINT height, UINT pitch) {
    LevelBoxes out;
    out.width = width;
    out.height = height;
    if (width == 0 || height == 0) return out;
    std::vector<std::uint32_t> decoded;
    const FormatInfo* f = &DescribeFormat(format);
    if (f->compressed) {
        DecodeDxt(format, bits, width, height, decoded);
        bits = reinterpret_cast<const BYTE*>(decoded.data());
        pitch = width * 4;
        f = &Describe(TexelFormat::kA8R8G8B8);  // what the blocks decode to
    }
    if (!f->supported) {
        out.box[kColour] = out.box[kAlpha] = Everywhere(width, height);
        return out;
    }
    // Colour and alpha bits of a texel read little-endian; a zero mask: the channel is not stored.
    const UINT bytes = f->bytesPerPixel;
    const std::uint32_t colour = ColourMask(*f), alpha = AlphaMask(*f);
    for (UINT y = 0; y < height; ++y) {
        const BYTE* row = bits + static_cast<std::size_t>(y) * pitch;
        for (UINT x = 0; x < width; ++x) {
            std::uint32_t texel = 0;
            for (UINT i = 0; i < bytes; ++i) texel |= static_cast<std::uint32_t>(row[x * bytes + i]) << (8 * i);
            if (texel & colour) Grow(out.box[kColour], x, y);
            if (texel & alpha) Grow(out.box[kAlpha], x, y);
        }
    }
    if (alpha == 0) out.box[kAlpha] = Everywhere(width, height);
    return out;
}

UvRect ReachableUv(const LevelBoxes* levels, std::size_t count, Blank channel) {
    UvRect r;
    if (channel == Blank::kNone || count == 0) return r;
    const UINT c = channel == Blank::kColour ? kColour : kAlpha;
    bool any = false;
    for (std::size_t i = 0; i < count; ++i) {
        const TexelBox& b = levels[i].box[c];
        if (b.empty) continue;
        UvRect l;
        AxisReach(b.x0, b.x1, levels[i].width, l.u0, l.u1);
        AxisReach(b.y0, b.y1, levels[i].height, l.v0, l.v1);
        if (!any) {
            r = l;
            any = true;
        } else {
            r.u0 = std::min(r.u0, l.u0);
            r.v0 = std::min(r.v0, l.v0);
            r.u1 = std::max(r.u1, l.u1);
            r.v1 = std::max(r.v1, l.v1);
        }
    }
    r.empty = !any;
    return r;
}

Blank BlankLeavesTarget(const DeviceState& s, const FvfLayout& layout, bool targetAlphaWritten) {
    const auto& rs = s.renderStates;
    const auto& t0 = s.stageStates[0];
    if (!rs[D3DRS_ALPHABLENDENABLE] || rs[D3DRS_BLENDOP] != D3DBLENDOP_ADD) return Blank::kNone;
    // Depth and stencil would be written even where the colour stays.
    if (rs[D3DRS_ZENABLE] != D3DZB_FALSE && rs[D3DRS_ZWRITEENABLE]) return Blank::kNone;
    if (rs[D3DRS_STENCILENABLE]) return Blank::kNone;
    if (s.stageStates[1][D3DTSS_COLOROP] != D3DTOP_DISABLE) return Blank::kNone;
    if (t0[D3DTSS_TEXCOORDINDEX] != 0 || t0[D3DTSS_TEXTURETRANSFORMFLAGS] != D3DTTFF_DISABLE) return Blank::kNone;
    // Lit from normals, vertex colours do not vary linearly across a primitive.
    const bool lit = !layout.pretransformed && rs[D3DRS_LIGHTING];
    if (lit && layout.normal >= 0) return Blank::kNone;
    const DWORD src = rs[D3DRS_SRCBLEND], dst = rs[D3DRS_DESTBLEND];
    if (src == D3DBLEND_BOTHSRCALPHA || (src == D3DBLEND_SRCALPHA && dst == D3DBLEND_INVSRCALPHA)) {
        return ZeroWithTexture(t0[D3DTSS_ALPHAOP], t0[D3DTSS_ALPHAARG1], t0[D3DTSS_ALPHAARG2]) ? Blank::kAlpha
                                                                                               : Blank::kNone;
    }
    // Added to the target: a black source leaves it, unless something is added after the
    // texture stages or fog mixes in a colour.
    if (dst != D3DBLEND_ONE || src == D3DBLEND_BOTHINVSRCALPHA || targetAlphaWritten) return Blank::kNone;
    // Lit without a normal, no light adds specular.
    if (rs[D3DRS_SPECULARENABLE] && !lit && layout.specular >= 0) return Blank::kNone;
    if (rs[D3DRS_FOGENABLE] && (rs[D3DRS_FOGCOLOR] & 0x00FFFFFFu) != 0) return Blank::kNone;
    return ZeroWithTexture(t0[D3DTSS_COLOROP], t0[D3DTSS_COLORARG1], t0[D3DTSS_COLORARG2]) ? Blank::kColour
                                                                                           : Blank::kNone;
}

Trim TrimQuad(const BYTE* vertices, UINT stride, const FvfLayout& l, const UvRect& reach, BYTE* out) {
    if (!l.valid || l.betas > 0 || l.texCount == 0 || l.texSize[0] < 2 || stride < l.stride) return Trim::kWhole;
    const BYTE* v[4] = {vertices, vertices + stride, vertices + 2 * stride, vertices + 3 * stride};
    // Colours are bytes: they must not change across the quad.
    for (int colour : {l.diffuse, l.specular}) {
        if (colour < 0) continue;
        for (int i = 1; i < 4; ++i)
            if (std::memcmp(v[0] + colour, v[i] + colour, 4) != 0) return Trim::kWhole;
    }
    auto isFloat = [&](UINT offset) {
        return static_cast<int>(offset) != l.diffuse && static_cast<int>(offset) != l.specular;
    };
    for (UINT o = 0; o + 4 <= l.stride; o += 4) {
        if (!isFloat(o)) continue;
        const float f0 = FloatAt(v[0], o), f1 = FloatAt(v[1], o), f2 = FloatAt(v[2], o), f3 = FloatAt(v[3], o);
        if (!std::isfinite(f0) || !std::isfinite(f1) || !std::isfinite(f2) || !std::isfinite(f3)) return Trim::kWhole;
        if (!SameFloat(f3, f1 + f2 - f0)) return Trim::kWhole;
    }
    // Screen positions interpolate linearly only at one depth.
    if (l.pretransformed) {
        const float w = FloatAt(v[0], 12);
        for (int i = 1; i < 4; ++i)
            if (FloatAt(v[i], 12) != w) return Trim::kWhole;
    }
    const UINT uv = l.texOffset[0];
    float u[4], t[4];
    for (int i = 0; i < 4; ++i) {
        u[i] = FloatAt(v[i], uv);
        t[i] = FloatAt(v[i], uv + 4);
        if (u[i] < 0.0f || u[i] > 1.0f || t[i] < 0.0f || t[i] > 1.0f) return Trim::kWhole;
    }
    if (reach.empty) return Trim::kNothing;
    // The quad is v0 + a (v2 - v0) + b (v1 - v0) for a, b in [0, 1].
    const float ua = u[2] - u[0], ta = t[2] - t[0], ub = u[1] - u[0], tb = t[1] - t[0];
    float a0, a1, b0, b1;
    if (ta == 0.0f && ub == 0.0f && ua != 0.0f && tb != 0.0f) {
        ParameterRange(u[0], ua, reach.u0, reach.u1, a0, a1);
        ParameterRange(t[0], tb, reach.v0, reach.v1, b0, b1);
    } else if (ua == 0.0f && tb == 0.0f && ta != 0.0f && ub != 0.0f) {
        ParameterRange(t[0], ta, reach.v0, reach.v1, a0, a1);
        ParameterRange(u[0], ub, reach.u0, reach.u1, b0, b1);
    } else {
        return Trim::kWhole;
    }
    if (a0 >= a1 || b0 >= b1) return Trim::kNothing;
    if ((a1 - a0) * (b1 - b0) > 0.95f) return Trim::kWhole;
    const float corner[4][2] = {{a0, b0}, {a0, b1}, {a1, b0}, {a1, b1}};
    for (int i = 0; i < 4; ++i) {
        BYTE* o = out + static_cast<std::size_t>(i) * stride;
        std::memcpy(o, v[0], stride);
        for (UINT k = 0; k + 4 <= l.stride; k += 4) {
            if (!isFloat(k)) continue;
            const float f0 = FloatAt(v[0], k);
            const float f = f0 + corner[i][0] * (FloatAt(v[2], k) - f0) + corner[i][1] * (FloatAt(v[1], k) - f0);
            std::memcpy(o + k, &f, 4);
        }
    }
    return Trim::kPart;
}

bool EvenlyLit(const DeviceState& s, const FvfLayout& layout, const BYTE* vertices, UINT stride) {
    if (layout.pretransformed || !s.renderStates[D3DRS_LIGHTING]) return true;
    // Only positional lights with an ambient colour depend on where a vertex lies.
    const ActiveLights active = CollectLights(s);
    const D3DLIGHT8* positional[kMaxLights];
    int count = 0;
    for (int i = 0; i < active.count; ++i) {
        const D3DLIGHT8& l = s.lights[active.index[i]].light;
        if (l.Type != D3DLIGHT_DIRECTIONAL && (l.Ambient.r != 0.0f || l.Ambient.g != 0.0f || l.Ambient.b != 0.0f))
            positional[count++] = &l;
    }
    if (count == 0) return true;
    D3DVECTOR p[4];
    const D3DMATRIX& w = s.transforms[D3DTS_WORLD];
    for (int i = 0; i < 4; ++i) {
        const BYTE* v = vertices + static_cast<std::size_t>(i) * stride;
        const float x = FloatAt(v, 0), y = FloatAt(v, 4), z = FloatAt(v, 8);
        p[i] = {x * w._11 + y * w._21 + z * w._31 + w._41, x * w._12 + y * w._22 + z * w._32 + w._42,
                x * w._13 + y * w._23 + z * w._33 + w._43};
    }
    auto squared = [](const D3DVECTOR& a, const D3DVECTOR& b) {
        return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z);
    };
    const D3DVECTOR centre = {(p[0].x + p[3].x) * 0.5f, (p[0].y + p[3].y) * 0.5f, (p[0].z + p[3].z) * 0.5f};
    float radius = 0.0f;
    for (const D3DVECTOR& q : p) radius = std::max(radius, squared(centre, q));
    radius = std::sqrt(radius);
    for (int i = 0; i < count; ++i) {
        const D3DLIGHT8& l = *positional[i];
        const float margin = 1e-3f * std::max(1.0f, l.Range);
        const float reach = l.Range + radius + margin;
        if (squared(centre, l.Position) > reach * reach) continue;  // out of reach
        // Within range a point light without falloff adds the same everywhere.
        if (l.Type != D3DLIGHT_POINT || l.Attenuation1 != 0.0f || l.Attenuation2 != 0.0f) return false;
        const float inner = std::max(0.0f, l.Range - margin);
        for (const D3DVECTOR& q : p)
            if (squared(q, l.Position) >= inner * inner) return false;
    }
    return true;
}

TrimSampler SamplerOf(const DeviceState& s) {
    const auto& t = s.stageStates[0];
    return {t[D3DTSS_MIPFILTER], t[D3DTSS_ADDRESSU], t[D3DTSS_ADDRESSV]};
}

UvRect ReachableUv(Texture& texture, const TrimSampler& sampler, Blank channel) {
    auto plain = [](DWORD a) { return a == D3DTADDRESS_WRAP || a == D3DTADDRESS_MIRROR || a == D3DTADDRESS_CLAMP; };
    if (!plain(sampler.addressU) || !plain(sampler.addressV)) return {};
    const std::vector<LevelBoxes>& levels = texture.Boxes();
    // Without mipmapping only the first level is read.
    const std::size_t count = sampler.mipFilter == D3DTEXF_NONE ? std::min<std::size_t>(1, levels.size()) : levels.size();
    return ReachableUv(levels.data(), count, channel);
}

void QuadTrimmer::Forget(std::uint64_t vertexSerial) {
    // The buffers die after the loop: each one's end comes back here.
    std::vector<std::unique_ptr<BufferStorage>> gone;
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->first.vertexSerial == vertexSerial) {
            gone.push_back(std::move(it->second.buffer));
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
}

void QuadTrimmer::Clear() {
    if (entries_.empty()) return;
    // Merged draws waiting may read a buffer about to go.
    if (gl_->beforeUpload) gl_->beforeUpload();
    std::unordered_map<Key, Entry, KeyHash> gone;
    gone.swap(entries_);
}

Trim QuadTrimmer::Quad(const Source& src, BufferStorage*& trimmed) {
    trimmed = nullptr;
    if (!src.vertices || !src.texture || !src.layout || src.channel == Blank::kNone) return Trim::kWhole;
    const std::uint64_t end = (static_cast<std::uint64_t>(src.first) + 4) * src.stride;
    if (end > src.vertices->Length()) return Trim::kWhole;
    const Key key{src.vertices->Serial(), src.texture->Serial(), src.first, src.stride, src.sampler.mipFilter,
                  src.sampler.addressU, src.sampler.addressV, src.channel};
    auto it = entries_.find(key);
    if (it != entries_.end() && it->second.vertexVersion == src.vertices->Version() &&
        it->second.textureVersion == src.texture->Version()) {
        trimmed = it->second.buffer.get();
        return it->second.trim;
    }
    // Contents that keep changing are cut again each time: a bounded cache just starts over.
    if (it == entries_.end() && entries_.size() >= kMaxEntries) Clear();
    Entry& e = entries_[key];
    e.vertexVersion = src.vertices->Version();
    e.textureVersion = src.texture->Version();
    const UvRect reach = ReachableUv(*src.texture, src.sampler, src.channel);
    std::vector<BYTE> cut(static_cast<std::size_t>(src.stride) * 4);
    const BYTE* quad = src.vertices->Bits() + static_cast<std::size_t>(src.first) * src.stride;
    e.trim = TrimQuad(quad, src.stride, *src.layout, reach, cut.data());
    if (e.trim == Trim::kPart) {
        if (!e.buffer) e.buffer = std::make_unique<BufferStorage>(gl_, static_cast<UINT>(cut.size()));
        BYTE* data = nullptr;
        if (FAILED(e.buffer->Lock(0, static_cast<UINT>(cut.size()), &data, 0)) || !data) {
            e.trim = Trim::kWhole;
        } else {
            std::memcpy(data, cut.data(), cut.size());
            if (FAILED(e.buffer->Unlock())) e.trim = Trim::kWhole;
        }
    }
    trimmed = e.trim == Trim::kPart ? e.buffer.get() : nullptr;
    return e.trim;
}

}  // namespace gpu
