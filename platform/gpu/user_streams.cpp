#include "platform/gpu/user_streams.h"

namespace gpu {

UserStreams::~UserStreams() {
    if (!gl_.CanCallGl()) return;  // the process is ending on another thread: leave the GL objects
    glDeleteBuffers(1, &vertices_);
    glDeleteBuffers(1, &indices_);
}

void UserStreams::Create() {
    glGenBuffers(1, &vertices_);
    glGenBuffers(1, &indices_);
    vertexSerial_ = gl_.NextSerial();
    indexSerial_ = gl_.NextSerial();
}

void UserStreams::Upload(GLuint buffer, bool indices, const void* data, UINT bytes) {
    glBufferData(gl_.BindBufferForUpload(buffer, indices), bytes, data, GL_STREAM_DRAW);
}

}  // namespace gpu
