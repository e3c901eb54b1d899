// UserStreams: the two GL buffers that draws from the caller's memory are copied into, one for
// vertices and one for indices, each with its own serial so vertex arrays can tell them apart
// from the device's buffers.
#pragma once

#include <cstdint>

#include "platform/gpu/d3d8types.h"
#include "platform/gpu/gl_shared.h"

namespace gpu {

class UserStreams {
public:
    explicit UserStreams(GlShared& gl) : gl_(gl) {}
    ~UserStreams();
    UserStreams(const UserStreams&) = delete;
    UserStreams& operator=(const UserStreams&) = delete;

    void Create();
    // Replace the buffer's contents with `bytes` bytes from `data`.
    void UploadVertices(const void* data, UINT bytes) { Upload(vertices_, false, data, bytes); }
    // On ES this unbinds the vertex array (GlShared::BindBufferForUpload): upload indices first.
    void UploadIndices(const void* data, UINT bytes) { Upload(indices_, true, data, bytes); }

    GLuint Vertices() const { return vertices_; }
    GLuint Indices() const { return indices_; }
    std::uint64_t VertexSerial() const { return vertexSerial_; }
    std::uint64_t IndexSerial() const { return indexSerial_; }

private:
    void Upload(GLuint buffer, bool indices, const void* data, UINT bytes);

    GlShared& gl_;
    GLuint vertices_ = 0, indices_ = 0;
    std::uint64_t vertexSerial_ = 0, indexSerial_ = 0;
};

}  // namespace gpu
