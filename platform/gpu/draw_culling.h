// Culling of large indexed triangle lists: the list is cut, in its own order, into chunks of
// consecutive triangles whose bounds are kept; a draw then submits only the runs of chunks that
// can reach the view. A chunk is left out only when all its vertices lie outside one plane of the
// view volume, where the rasteriser would clip every one of its triangles away, so the picture is
// the same as drawing the whole list; the vertex work and triangle setup of the rest are saved.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/gpu/d3d8types.h"
#include "platform/gpu/hash_combine.h"

namespace gpu {

// The draw a culling decision is made for: triangle-list indices into float positions at the
// start of each vertex.
struct CullDraw {
    std::uint64_t vertexSerial = 0, vertexVersion = 0;
    const BYTE* vertices = nullptr;
    UINT vertexBytes = 0;
    UINT stride = 0;
    INT baseVertex = 0;
    std::uint64_t indexSerial = 0, indexVersion = 0;
    const BYTE* indices = nullptr;
    bool indices32 = false;
    UINT first = 0;  // first index
    UINT count = 0;  // indices, a multiple of three
};

// Where positions end up: the row-vector transform from model space to clip space, and the
// shift of x and y by w times `pixelShift` that the vertex stage applies after it (y mirrored).
struct CullView {
    D3DMATRIX modelToClip{};
    float pixelShift[2] = {0, 0};
};

class DrawCuller {
public:
    static constexpr UINT kChunkTriangles = 128;
    // Smaller lists are drawn whole: culling them saves less than it costs. Lists up to a
    // chunk long are one chunk, left out whole when out of view.
    static constexpr UINT kMinTriangles = 32;
    // Contents that keep changing are not worth bounding again and again.
    static constexpr int kMaxRebuilds = 3;

    struct Run {
        UINT first = 0;  // first index
        UINT count = 0;  // indices
    };

    // The runs of the draw's indices to submit, in order, into `runs`. False when the draw is
    // not culled (too small, changing contents, positions out of the buffer): draw it whole.
    bool VisibleRuns(const CullDraw& draw, const CullView& view, std::vector<Run>& runs);
    // Drops what was kept for a buffer that is gone.
    void Forget(std::uint64_t serial);

private:
    struct Chunk {
        UINT first = 0, count = 0;
        float lo[3] = {}, hi[3] = {};
    };
    struct Key {
        std::uint64_t vertexSerial, indexSerial;
        UINT first, count, stride;
        INT baseVertex;
        bool indices32;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const {
            return HashFields(k.vertexSerial, k.indexSerial, k.first, k.count, k.stride, k.baseVertex, k.indices32);
        }
    };
    struct Entry {
        std::uint64_t vertexVersion = 0, indexVersion = 0;
        int rebuilds = 0;
        bool built = false;    // bounds were made for the versions above
        bool usable = false;   // and the draw can be culled with them
        bool dynamic = false;  // rebuilt too often: drawn whole from now on
        std::vector<Chunk> chunks;
    };

    // The view volume's planes in model space: inside where e0 x + e1 y + e2 z + e3 >= 0.
    struct Planes {
        double equations[6][4];
    };

    static bool Build(const CullDraw& draw, std::vector<Chunk>& chunks);
    static Planes PlanesOf(const CullView& view);
    static bool Outside(const Chunk& chunk, const Planes& planes);

    std::unordered_map<Key, Entry, KeyHash> entries_;
};

}  // namespace gpu
