// BackBuffer: the target draws go to (a colour and a depth renderbuffer, multisampled when
// asked), its single-sampled copy for read-back and present, and the copy of the picture into
// the window.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gpu/d3d8types.h"
#include "platform/gpu/gl_shared.h"

namespace gpu {

struct BackBufferDesc {
    UINT width = 0;
    UINT height = 0;
    D3DFORMAT format = D3DFMT_X8R8G8B8;
    UINT samples = 0;
};

class BackBuffer {
public:
    explicit BackBuffer(GlShared& gl) : gl_(gl) {}
    ~BackBuffer();
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;

    // Makes the targets, with the samples cut to what the GL allows (BackBufferSamples), and
    // clears them; false with a message on stderr when the GL cannot make them.
    bool Create(const BackBufferDesc& desc, const GlLimits& limits);
    const BackBufferDesc& Desc() const { return desc_; }
    bool HasAlpha() const { return desc_.format == D3DFMT_A8R8G8B8; }

    // Copies the picture into the window and swaps; true when the colour mask was set to let
    // the black around a fitted picture be cleared.
    bool Present(platform::GlContext& context);
    // The picture's pixels as A8R8G8B8, top row first.
    void ReadBack(std::vector<std::uint32_t>& pixels);

private:
    // The framebuffer holding the single-sampled picture (resolving multisamples first).
    GLuint Resolved();

    GlShared& gl_;
    BackBufferDesc desc_;
    GLuint fbo_ = 0, colour_ = 0, depth_ = 0;    // draw target (multisampled when asked)
    GLuint resolveFbo_ = 0, resolveColour_ = 0;  // single-sampled copy for read-back and present
};

}  // namespace gpu
