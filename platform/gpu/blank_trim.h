// Trimming of blended quads to the part of their image that can change the picture.
//
// Under some blend states a blank texel leaves the target as it was: a black one when the source
// is added to the target, a fully transparent one under alpha blending. Particle and flare images
// are mostly blank towards their edges, so a quad drawn with such an image is drawn as the smaller
// quad whose texture coordinates can still reach a non-blank texel. The pixels left out would
// not have changed, so the picture is the same and the fill they cost is saved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/gpu/buffer.h"
#include "platform/gpu/device_state.h"
#include "platform/gpu/fvf.h"
#include "platform/gpu/hash_combine.h"

namespace gpu {

class Texture;

// Which blank texels leave the target unchanged.
enum class Blank : std::uint8_t { kNone, kColour, kAlpha };

// The smallest rectangle of a mip level holding every texel whose colour (box[0]) or alpha
// (box[1]) is not zero.
struct TexelBox {
    bool empty = true;
    UINT x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // inclusive
};
struct LevelBoxes {
    UINT width = 0, height = 0;
    TexelBox box[2];
};

// The boxes of one level held in Direct3D layout with `pitch` bytes per row (DXT levels are
// decoded first). A channel that a format does not store counts as non-zero everywhere (the
// alpha of X8R8G8B8), except the colour of A8, which samples as black.
LevelBoxes FindLevelBoxes(D3DFORMAT format, const BYTE* bits, UINT width, UINT height, UINT pitch);

// Texture coordinates, within [0, 1] on each axis, outside which sampling cannot give a non-zero
// value in the channel, whatever the filter.
struct UvRect {
    bool empty = false;  // no coordinate can
    float u0 = 0.0f, v0 = 0.0f, u1 = 1.0f, v1 = 1.0f;
};
UvRect ReachableUv(const LevelBoxes* levels, std::size_t count, Blank channel);

// What blank texels of stage 0's texture do under the draw's state: kNone unless every blank
// texel leaves the target unchanged and the vertex values vary linearly across a primitive.
// `targetAlphaWritten`: the back buffer keeps an alpha channel that the draw writes.
Blank BlankLeavesTarget(const DeviceState& state, const FvfLayout& layout, bool targetAlphaWritten);

// Lit without a normal (BlankLeavesTarget allows no other lighting), a vertex has the ambient
// and emissive colour, and positional lights add their ambient only within range: true when the
// four vertices of the quad at `vertices`, placed by the world matrix, get one colour from the
// same lights wherever they lie on it, so that a cut quad is lit as the whole one.
bool EvenlyLit(const DeviceState& state, const FvfLayout& layout, const BYTE* vertices, UINT stride);

enum class Trim : std::uint8_t { kWhole, kPart, kNothing };

// A two-triangle strip whose four vertices form a parallelogram (every value of the fourth is
// the second's plus the third's minus the first's, colours are the same at all four), with
// texture coordinates of set 0 in [0, 1] running along the sides: the same strip cut down to
// the corners whose coordinates lie on `reach`, into `out` (4 * stride bytes) when kPart.
// kNothing when no part of the quad reaches; kWhole when it cannot be cut or would lose little.
Trim TrimQuad(const BYTE* vertices, UINT stride, const FvfLayout& layout, const UvRect& reach, BYTE* out);

// The stage 0 sampler states that decide which texels a draw can read.
struct TrimSampler {
    DWORD mipFilter = D3DTEXF_NONE;
    DWORD addressU = D3DTADDRESS_WRAP, addressV = D3DTADDRESS_WRAP;
};
TrimSampler SamplerOf(const DeviceState& state);

// Where sampling the texture the sampler's way can give a non-zero value in the channel.
// Borders and mirror-once can show what lies outside [0, 1]: those reach everywhere.
UvRect ReachableUv(Texture& texture, const TrimSampler& sampler, Blank channel);

// Trimmed copies of quads drawn from vertex buffers, kept while their sources stay the same.
class QuadTrimmer {
public:
    struct Source {
        BufferStorage* vertices = nullptr;
        UINT first = 0;
        UINT stride = 0;
        const FvfLayout* layout = nullptr;
        Texture* texture = nullptr;
        TrimSampler sampler;
        Blank channel = Blank::kNone;
    };
    explicit QuadTrimmer(std::shared_ptr<GlShared> gl) : gl_(std::move(gl)) {}
    // The trim of the quad at `first`; `trimmed` is the buffer that holds the cut quad at vertex 0
    // when kPart.
    Trim Quad(const Source& source, BufferStorage*& trimmed);
    // Drops the cuts of a vertex buffer that is gone.
    void Forget(std::uint64_t vertexSerial);


private:
    struct Key {
        std::uint64_t vertexSerial, textureSerial;
        UINT first, stride;
        DWORD mipFilter, addressU, addressV;
        Blank channel;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const {
            return HashFields(k.vertexSerial, k.textureSerial, k.first, k.stride, k.mipFilter, k.addressU, k.addressV,
                              k.channel);
        }
    };
    struct Entry {
        std::uint64_t vertexVersion = 0, textureVersion = 0;
        Trim trim = Trim::kWhole;
        std::unique_ptr<BufferStorage> buffer;
    };
    static constexpr std::size_t kMaxEntries = 512;
    void Clear();

    std::shared_ptr<GlShared> gl_;
    std::unordered_map<Key, Entry, KeyHash> entries_;
};

}  // namespace gpu
