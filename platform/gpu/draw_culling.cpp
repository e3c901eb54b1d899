#include "platform/gpu/draw_culling.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace gpu {

namespace {

// More than the rounding of the vertex stage could move a vertex across a plane, relative to
// the size of the terms of the plane's equation.
constexpr double kPlaneTolerance = 1e-4;
// Ranges drawn from one buffer are few; a caller cycling through endless ranges is not.
constexpr std::size_t kMaxEntries = 4096;

UINT IndexAt(const CullDraw& d, UINT i) {
    if (d.indices32) {
        std::uint32_t v;
        std::memcpy(&v, d.indices + static_cast<std::size_t>(i) * 4, 4);
        return v;
    }
    std::uint16_t v;
    std::memcpy(&v, d.indices + static_cast<std::size_t>(i) * 2, 2);
    return v;
}

}  // namespace

bool DrawCuller::Build(const CullDraw& d, std::vector<Chunk>& chunks) {
    chunks.clear();
    if (!d.vertices || !d.indices || d.stride < 12) return false;
    const UINT chunkIndices = kChunkTriangles * 3;
    for (UINT start = 0; start < d.count; start += chunkIndices) {
        Chunk c;
        c.first = d.first + start;
        c.count = std::min(chunkIndices, d.count - start);
        std::fill(c.lo, c.lo + 3, std::numeric_limits<float>::max());
        std::fill(c.hi, c.hi + 3, std::numeric_limits<float>::lowest());
        for (UINT i = c.first; i < c.first + c.count; ++i) {
            const std::int64_t v = static_cast<std::int64_t>(d.baseVertex) + IndexAt(d, i);
            if (v < 0 || static_cast<std::uint64_t>(v) * d.stride + 12 > d.vertexBytes) return false;
            float p[3];
            std::memcpy(p, d.vertices + static_cast<std::size_t>(v) * d.stride, sizeof p);
            for (int a = 0; a < 3; ++a) {
                if (!std::isfinite(p[a])) return false;  // no bounds hold it: draw the list whole
                c.lo[a] = std::min(c.lo[a], p[a]);
                c.hi[a] = std::max(c.hi[a], p[a]);
            }
        }
        chunks.push_back(c);
    }
    return true;
}

DrawCuller::Planes DrawCuller::PlanesOf(const CullView& view) {
    const double sx = view.pixelShift[0], sy = view.pixelShift[1];
    // Each plane as weights of clip x, y, z, w, the inside where the weighted sum is >= 0,
    // after the vertex stage's shift (x += w sx, y = -y + w sy).
    const double clip[6][4] = {
        {-1, 0, 0, 1 - sx}, {1, 0, 0, 1 + sx},  // x <= w, x >= -w
        {0, 1, 0, 1 - sy},  {0, -1, 0, 1 + sy},  // y <= w, y >= -w
        {0, 0, 1, 0},       {0, 0, -1, 1},       // z >= 0, z <= w
    };
    const D3DMATRIX& m = view.modelToClip;
    Planes planes;
    for (int i = 0; i < 6; ++i)
        for (int r = 0; r < 4; ++r) {
            double a = 0.0;
            for (int j = 0; j < 4; ++j) a += clip[i][j] * m.m[r][j];
            planes.equations[i][r] = a;
        }
    return planes;
}

// True when every point of the chunk's box lies outside one plane of the view volume.
bool DrawCuller::Outside(const Chunk& chunk, const Planes& planes) {
    double centre[3], half[3];
    for (int a = 0; a < 3; ++a) {
        centre[a] = 0.5 * (static_cast<double>(chunk.lo[a]) + chunk.hi[a]);
        half[a] = 0.5 * (static_cast<double>(chunk.hi[a]) - chunk.lo[a]);
    }
    for (const auto& e : planes.equations) {
        double highest = e[3], size = std::fabs(e[3]);
        for (int r = 0; r < 3; ++r) {
            highest += e[r] * centre[r] + std::fabs(e[r]) * half[r];
            size += std::fabs(e[r]) * (std::fabs(centre[r]) + half[r]);
        }
        if (highest < -kPlaneTolerance * size) return true;
    }
    return false;
}

bool DrawCuller::VisibleRuns(const CullDraw& d, const CullView& view, std::vector<Run>& runs) {
    if (d.count < kMinTriangles * 3 || d.count % 3 != 0) return false;
    if (entries_.size() >= kMaxEntries) entries_.clear();
    Entry& e = entries_[Key{d.vertexSerial, d.indexSerial, d.first, d.count, d.stride, d.baseVertex, d.indices32}];
    const bool stale = e.built && (e.vertexVersion != d.vertexVersion || e.indexVersion != d.indexVersion);
    if (stale && ++e.rebuilds > kMaxRebuilds) {
        e.dynamic = true;
        e.chunks.clear();
    }
    if (e.dynamic) return false;
    if (!e.built || stale) {
        e.usable = Build(d, e.chunks);
        e.built = true;
        e.vertexVersion = d.vertexVersion;
        e.indexVersion = d.indexVersion;
    }
    if (!e.usable) return false;
    runs.clear();
    const Planes planes = PlanesOf(view);
    for (const Chunk& c : e.chunks) {
        if (Outside(c, planes)) continue;
        if (!runs.empty() && runs.back().first + runs.back().count == c.first) runs.back().count += c.count;
        else runs.push_back({c.first, c.count});
    }
    return true;
}

void DrawCuller::Forget(std::uint64_t serial) {
    std::erase_if(entries_, [serial](const auto& item) {
        return item.first.vertexSerial == serial || item.first.indexSerial == serial;
    });
}

}  // namespace gpu
