// VertexArrays: one GL vertex array object per (vertex buffer, FVF, stride) drawn from, which one
// is bound, and the index buffer each one has bound. Buffers are told apart by serial, since a
// deleted buffer's GL name may come back for a new one.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "platform/gpu/d3d8types.h"
#include "platform/gpu/fvf.h"
#include "platform/gpu/gl_shared.h"
#include "platform/gpu/hash_combine.h"

namespace gpu {

class VertexArrays {
public:
    explicit VertexArrays(GlShared& gl) : gl_(gl) {}
    ~VertexArrays();
    VertexArrays(const VertexArrays&) = delete;
    VertexArrays& operator=(const VertexArrays&) = delete;

    // An array reading the buffer of `serial` from `baseVertex` is bound.
    bool BoundTo(std::uint64_t serial, UINT baseVertex = 0) const {
        return bound_ && key_.serial == serial && key_.baseVertex == baseVertex && !gl_.vertexArrayTouched;
    }
    // Binds the array reading `buffer` (GL name, of `serial`) with this layout, made when new.
    // `baseVertex`: vertex 0 of the array is that vertex of the buffer, for indexed draws where
    // the GL cannot add a base vertex to the indices (ES).
    void Bind(std::uint64_t serial, GLuint buffer, DWORD fvf, const FvfLayout& layout, UINT stride,
              UINT baseVertex = 0);
    // Binds the index buffer to the bound array unless it has it already.
    void BindIndices(std::uint64_t serial, GLuint buffer);
    // Deletes the arrays of a buffer that is gone; true when the bound one was among them.
    bool Forget(std::uint64_t serial);

private:
    struct Key {
        std::uint64_t serial;
        DWORD fvf;
        UINT stride;
        UINT baseVertex;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const { return HashFields(k.serial, k.fvf, k.stride, k.baseVertex); }
    };
    struct Array {
        GLuint name = 0;
        std::uint64_t elements = 0;  // serial of the bound index buffer
    };

    GlShared& gl_;
    std::unordered_map<Key, Array, KeyHash> arrays_;
    Array* bound_ = nullptr;
    Key key_{0, 0xFFFFFFFF, 0, 0};
};

}  // namespace gpu
