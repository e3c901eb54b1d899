#include "platform/gpu/back_buffer.h"

#include <cstdio>

namespace gpu {

BackBuffer::~BackBuffer() {
    if (!gl_.CanCallGl()) return;  // the process is ending on another thread: leave the GL objects
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &fbo_);
    glDeleteRenderbuffers(1, &colour_);
    glDeleteRenderbuffers(1, &depth_);
    if (resolveFbo_) {
        glDeleteFramebuffers(1, &resolveFbo_);
        glDeleteRenderbuffers(1, &resolveColour_);
    }
}

bool BackBuffer::Create(const BackBufferDesc& desc, const GlLimits& limits) {
    desc_ = desc;
    const GLenum colourFormat = desc_.format == D3DFMT_R5G6B5 ? GL_RGB565 : GL_RGBA8;
    desc_.samples = BackBufferSamples(desc.samples, limits);
    if (desc.samples > 1 && desc_.samples != desc.samples)
        std::fprintf(stderr, "gpu/renderer: %u samples asked for, GL_MAX_SAMPLES is %d: the back buffer has %u\n",
                     desc.samples, limits.samples, desc_.samples);
    const auto samples = static_cast<GLsizei>(desc_.samples);
    const auto w = static_cast<GLsizei>(desc_.width), h = static_cast<GLsizei>(desc_.height);
    auto makeTarget = [&](GLuint& fbo, GLuint& colour, GLuint* depth, GLsizei s) {
        glGenFramebuffers(1, &fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, s, colourFormat, w, h);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        if (depth) {
            glGenRenderbuffers(1, depth);
            glBindRenderbuffer(GL_RENDERBUFFER, *depth);
            glRenderbufferStorageMultisample(GL_RENDERBUFFER, s, GL_DEPTH_COMPONENT16, w, h);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, *depth);
        }
        GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
        if (status != GL_FRAMEBUFFER_COMPLETE) {
            std::fprintf(stderr, "gpu/renderer: back buffer %dx%d (%d samples) is incomplete (0x%x)\n", w, h, s, status);
            return false;
        }
        return true;
    };
    if (samples && !makeTarget(resolveFbo_, resolveColour_, nullptr, 0)) return false;
    if (!makeTarget(fbo_, colour_, &depth_, samples)) return false;
    glViewport(0, 0, w, h);
    glScissor(0, 0, w, h);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0, 0, 0, 1);
    GlClearDepth(gl_.es, 1.0f);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (resolveFbo_) {
        glBindFramebuffer(GL_FRAMEBUFFER, resolveFbo_);
        glClear(GL_COLOR_BUFFER_BIT);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    }
    return true;
}

GLuint BackBuffer::Resolved() {
    if (!resolveFbo_) return fbo_;
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFbo_);
    const auto w = static_cast<GLint>(desc_.width), h = static_cast<GLint>(desc_.height);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glEnable(GL_SCISSOR_TEST);
    return resolveFbo_;
}

bool BackBuffer::Present(platform::GlContext& context) {
    int dw = 0, dh = 0;
    context.DrawableSize(dw, dh);
    if (dw <= 0 || dh <= 0) {
        context.SwapBuffers();
        return false;
    }
    const GLuint source = Resolved();
    const auto w = static_cast<GLint>(desc_.width), h = static_cast<GLint>(desc_.height);
    // Where the picture goes: the whole framebuffer, or (full screen) the largest centred
    // rectangle of the picture's shape, black around it.
    GLint x0 = 0, y0 = 0, x1 = dw, y1 = dh;
    if (context.Fit() == platform::PictureFit::KeepAspect) {
        const std::int64_t across = std::int64_t{dw} * h, down = std::int64_t{dh} * w;
        const auto fitW = static_cast<GLint>(across <= down ? dw : (down + h / 2) / h);
        const auto fitH = static_cast<GLint>(across <= down ? (across + w / 2) / w : dh);
        x0 = (dw - fitW) / 2;
        y0 = (dh - fitH) / 2;
        x1 = x0 + fitW;
        y1 = y0 + fitH;
    }
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    const bool bars = x0 > 0 || y0 > 0;
    if (bars) {
        const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearBufferfv(GL_COLOR, 0, black);
    }
    // The back buffer's first row is the top of the picture; the window's is the bottom.
    const bool sameSize = x1 - x0 == w && y1 - y0 == h;
    glBlitFramebuffer(0, 0, w, h, x0, y1, x1, y0, GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
    context.SwapBuffers();
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glEnable(GL_SCISSOR_TEST);
    return bars;
}

void BackBuffer::ReadBack(std::vector<std::uint32_t>& pixels) {
    pixels.assign(static_cast<std::size_t>(desc_.width) * desc_.height, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, Resolved());
    // Bytes B, G, R, A make A8R8G8B8 values; ES reads only R, G, B, A, so red and blue swap after.
    glReadPixels(0, 0, static_cast<GLsizei>(desc_.width), static_cast<GLsizei>(desc_.height),
                 gl_.es ? GL_RGBA : GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
    if (gl_.es)
        for (auto& p : pixels) p = (p & 0xFF00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
    if (!HasAlpha())
        for (auto& p : pixels) p |= 0xFF000000u;
}

}  // namespace gpu
