// InstanceBatch: consecutive draws of the same vertices that differ only in world matrix and
// material (the particle pattern), held back to go out as one instanced draw. Each draw adds
// its per-instance uniform rows; Submit uploads them all and draws every instance at once.
#pragma once

#include <cstdint>

#include "platform/gpu/d3d8types.h"
#include "platform/gpu/gl_shared.h"
#include "platform/gpu/uniform_layout.h"

namespace gpu {

class InstanceBatch {
public:
    // What the merged draws all draw.
    struct Shape {
        GLenum mode = 0;
        GLint first = 0;
        GLsizei vertices = 0;
        std::uint64_t serial = 0;  // of the vertex buffer
        UINT stride = 0;
        bool operator==(const Shape&) const = default;
    };

    // The most instances a batch holds: vertex_uniforms::kBatch at most, as many as the merged
    // draws' program has room for (MergedBatch).
    void SetCapacity(int instances) {
        capacity_ = instances < vertex_uniforms::kBatch ? instances : vertex_uniforms::kBatch;
    }
    bool Pending() const { return count_ > 0; }
    // A draw of `shape` can join the draws waiting.
    bool Takes(const Shape& shape) const { return count_ < capacity_ && shape == shape_; }
    // Begins a new batch; the caller has submitted the one before.
    void Start(const Shape& shape) {
        shape_ = shape;
        count_ = 0;
    }
    // Adds an instance: vertex_uniforms::kInstanceRows rows of four floats.
    void Add(const float* rows);
    // Uploads the rows into `location` (the program's per-instance array) and draws them.
    void Submit(GLint location);
    // Forgets the draws waiting without drawing them (the GL cannot be reached).
    void Drop() { count_ = 0; }

private:
    int count_ = 0;
    int capacity_ = vertex_uniforms::kBatch;
    Shape shape_;
    float rows_[vertex_uniforms::kInstanceRows * vertex_uniforms::kBatch][4] = {};
};

}  // namespace gpu
