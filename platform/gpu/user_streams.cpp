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

void UserStreams::Upload(GLuint buffer, const void* data, UINT bytes) {
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
    glBufferData(GL_COPY_WRITE_BUFFER, bytes, data, GL_STREAM_DRAW);
}

}  // namespace gpu
