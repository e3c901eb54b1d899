// GlShared: the device's OpenGL context as seen by the device and its resources.
//
// Resources may outlive the device object; they keep this alive to delete their GL names, and
// skip the deletes when the context cannot be made current on the releasing thread.
#pragma once

#include "platform/gpu/gl_api.h"
#include "platform/gpu/gl_limits.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/window/window.h"

class IDirect3DDevice8;

namespace gpu {

class GlShared {
public:
    // Takes a context that was just created, and so is current on this thread.
    explicit GlShared(std::unique_ptr<platform::GlContext> context) : context_(std::move(context)) { Current() = id_; }
    // Destroying a context that is still current on another thread is allowed (EGL and GLX
    // destroy it once it is released there); only the GL object deletes had to be skipped.
    ~GlShared() {
        context_.reset();
        if (Current() == id_) Current() = 0;
    }

    platform::GlContext& Context() { return *context_; }

    // The context is OpenGL ES 3.0 (with WebGL 2's limits kept) rather than desktop OpenGL 3.3
    // core: fixed when the device is made, from the context current then.
    const bool es = GlIsEs();

    // True when GL may be called on this thread, making this context current if another one
    // (or none) is; false when that is impossible (it is current on another thread).
    bool CanCallGl() {
        if (Current() == id_) return true;
        if (!context_ || !context_->MakeCurrent()) return false;
        Current() = id_;
        return true;
    }

    // The device that created the resources, null once it is gone.
    IDirect3DDevice8* device = nullptr;

    // Unique serial numbers for buffers (GL names may be reused after a delete).
    std::uint64_t NextSerial() { return ++serial_; }
    // Called when a vertex buffer dies, so cached vertex layouts that refer to it are dropped.
    std::function<void(std::uint64_t)> onBufferGone;
    // Called when a texture dies, so the renderer forgets it as bound.
    std::function<void(GLuint)> onTextureGone;
    // Called before resource data is uploaded, so draws issued earlier but still held back read
    // the old data.
    std::function<void()> beforeUpload;

    // Texture unit used for uploads; the renderer re-binds its own textures after one.
    static constexpr GLuint kUploadUnit = 7;
    bool uploadUnitTouched = false;
    void BindForUpload(GLenum target, GLuint texture) {
        glActiveTexture(GL_TEXTURE0 + kUploadUnit);
        glBindTexture(target, texture);
        uploadUnitTouched = true;
    }

    // Binds a buffer for an upload and gives the target it is bound to. WebGL keeps index
    // buffers apart from every other binding point, so on ES they go through ELEMENT_ARRAY_BUFFER
    // of the default vertex array (vertexArrayTouched: the renderer binds its own again).
    GLenum BindBufferForUpload(GLuint buffer, bool indices) {
        if (es && indices) {
            glBindVertexArray(0);
            vertexArrayTouched = true;
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
            return GL_ELEMENT_ARRAY_BUFFER;
        }
        glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
        return GL_COPY_WRITE_BUFFER;
    }
    bool vertexArrayTouched = false;

    bool hasS3tc = false;
    // What the context can hold (gl_limits.h), read when the device is made.
    GlLimits limits;

private:
    // The context this thread last made current through any GlShared, by id (an address could
    // be reused by a later GlShared while another thread still remembers it).
    static std::uint64_t& Current() {
        thread_local std::uint64_t current = 0;
        return current;
    }
    static std::uint64_t NextId() {
        static std::atomic<std::uint64_t> next{0};
        return ++next;
    }

    const std::uint64_t id_ = NextId();
    std::unique_ptr<platform::GlContext> context_;
    std::uint64_t serial_ = 0;
};

}  // namespace gpu
