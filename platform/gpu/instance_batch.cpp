#include "platform/gpu/instance_batch.h"

#include <cstring>

namespace gpu {

void InstanceBatch::Add(const float* rows) {
    std::memcpy(rows_[count_ * vertex_uniforms::kInstanceRows], rows, sizeof(float) * 4 * vertex_uniforms::kInstanceRows);
    ++count_;
}

void InstanceBatch::Submit(GLint location) {
    const int n = count_;
    count_ = 0;
    glUniform4fv(location, n * vertex_uniforms::kInstanceRows, rows_[0]);
    glDrawArraysInstanced(shape_.mode, shape_.first, shape_.vertices, n);
}

}  // namespace gpu
