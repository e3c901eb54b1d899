#include "platform/gpu/vertex_arrays.h"

#include <algorithm>

#include "platform/gpu/program_interface.h"

namespace gpu {

VertexArrays::~VertexArrays() {
    if (!gl_.CanCallGl()) return;  // the process is ending on another thread: leave the GL objects
    for (auto& [key, a] : arrays_) glDeleteVertexArrays(1, &a.name);
}

void VertexArrays::Bind(std::uint64_t serial, GLuint buffer, DWORD fvf, const FvfLayout& l, UINT stride,
                        UINT baseVertex) {
    const Key key{serial, fvf, stride, baseVertex};
    if (bound_ && key == key_ && !gl_.vertexArrayTouched) return;
    gl_.vertexArrayTouched = false;
    auto it = arrays_.find(key);
    if (it == arrays_.end()) {
        Array a;
        glGenVertexArrays(1, &a.name);
        glBindVertexArray(a.name);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        const auto st = static_cast<GLsizei>(stride);
        const std::uintptr_t first = std::uintptr_t{baseVertex} * stride;
        auto at = [first](UINT offset) { return reinterpret_cast<const void*>(first + offset); };
        // Colours are bytes B, G, R, A: desktop GL reads them in that order (size GL_BGRA); ES
        // reads them as they lie and the vertex shader swaps red and blue (shader_source.cpp).
        const GLint colour = gl_.es ? 4 : GL_BGRA;
        auto read = [&](Attribute a, GLint size, GLenum type, GLboolean normalized, UINT offset) {
            const auto location = static_cast<GLuint>(AttributeLocation(a));
            glEnableVertexAttribArray(location);
            glVertexAttribPointer(location, size, type, normalized, st, at(offset));
        };
        read(Attribute::kPosition, static_cast<GLint>(l.positionFloats), GL_FLOAT, GL_FALSE, 0);
        if (l.weights) read(Attribute::kWeights, static_cast<GLint>(std::min(l.weights, 4u)), GL_FLOAT, GL_FALSE, 12);
        if (l.normal >= 0) read(Attribute::kNormal, 3, GL_FLOAT, GL_FALSE, static_cast<UINT>(l.normal));
        if (l.diffuse >= 0) read(Attribute::kDiffuse, colour, GL_UNSIGNED_BYTE, GL_TRUE, static_cast<UINT>(l.diffuse));
        if (l.specular >= 0)
            read(Attribute::kSpecular, colour, GL_UNSIGNED_BYTE, GL_TRUE, static_cast<UINT>(l.specular));
        for (UINT i = 0; i < l.texCount; ++i) {
            const Attribute set = TexCoordAttribute(static_cast<int>(i));
            read(set, static_cast<GLint>(l.texSize[i]), GL_FLOAT, GL_FALSE, l.texOffset[i]);
        }
        it = arrays_.emplace(key, a).first;
    } else {
        glBindVertexArray(it->second.name);
    }
    bound_ = &it->second;
    key_ = key;
}

void VertexArrays::BindIndices(std::uint64_t serial, GLuint buffer) {
    if (bound_->elements == serial) return;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
    bound_->elements = serial;
}

bool VertexArrays::Forget(std::uint64_t serial) {
    bool wasBound = false;
    for (auto& [key, a] : arrays_)
        if (a.elements == serial) a.elements = 0;
    for (auto it = arrays_.begin(); it != arrays_.end();) {
        if (it->first.serial == serial) {
            if (bound_ == &it->second) {
                bound_ = nullptr;
                key_ = {0, 0xFFFFFFFF, 0, 0};
                wasBound = true;
            }
            if (gl_.CanCallGl()) glDeleteVertexArrays(1, &it->second.name);
            it = arrays_.erase(it);
        } else {
            ++it;
        }
    }
    return wasBound;
}

}  // namespace gpu
