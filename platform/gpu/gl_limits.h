// GlLimits: how much the context the device draws on can hold, read once when the device is made
// (Direct3D::CreateDevice) and kept in GlShared, and the decisions the device takes from them.
//
// WebGL 2 promises no more than OpenGL ES 3.0's minimums (kWebGl2Minimum). The device's programs
// and targets fit in those, except where it would like more; there it falls back to what draws
// the same picture:
//   merged draws (instance_batch.h)  fewer instances per draw where the vertex uniforms are
//                                    short, none where not even two fit
//   back buffer samples              cut to GL_MAX_SAMPLES
//   textures, back buffer            a texture or back buffer larger than the GL allows is
//                                    refused with a message naming the limit
// What the programs need at the least (Shortfall) lies far below the minimums; a context that
// offers less gets no device.
#pragma once

#include <optional>
#include <string>

#include "platform/gpu/d3d8types.h"
#include "platform/gpu/gl_api.h"

namespace gpu {

struct GlLimits {
    GLint textureSize = 0;                // GL_MAX_TEXTURE_SIZE
    GLint renderbufferSize = 0;           // GL_MAX_RENDERBUFFER_SIZE
    GLint viewportWidth = 0;              // GL_MAX_VIEWPORT_DIMS
    GLint viewportHeight = 0;
    GLint samples = 0;                    // GL_MAX_SAMPLES
    GLint vertexUniformVectors = 0;       // GL_MAX_VERTEX_UNIFORM_VECTORS (desktop: components / 4)
    GLint fragmentUniformVectors = 0;     // GL_MAX_FRAGMENT_UNIFORM_VECTORS (desktop: components / 4)
    GLint vertexAttribs = 0;              // GL_MAX_VERTEX_ATTRIBS
    GLint varyingVectors = 0;             // GL_MAX_VARYING_VECTORS (desktop: GL_MAX_VARYING_COMPONENTS / 4)
    GLint textureImageUnits = 0;          // GL_MAX_TEXTURE_IMAGE_UNITS (the fragment program's)
    GLint combinedTextureImageUnits = 0;  // GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS
    bool operator==(const GlLimits&) const = default;
};

// What every WebGL 2 context offers at the least: OpenGL ES 3.0's minimums, with the viewport
// as large as the largest renderbuffer.
inline constexpr GlLimits kWebGl2Minimum{2048, 2048, 2048, 2048, 4, 256, 224, 16, 15, 16, 32};

// Limit by limit, the smaller of the two.
GlLimits Smaller(const GlLimits& a, const GlLimits& b);

// The limits of the current context: on ES the forms ES counts in (uniform and varying vectors),
// on desktop OpenGL the components divided by four.
GlLimits ReadGlLimits(bool es);

// Uniform rows kept free beyond what a program declares, for what an implementation adds to it.
constexpr int kUniformHeadroom = 16;
// Fewer instances than this per merged draw are not worth a program of their own.
constexpr int kMinMergedBatch = 2;

// Vertex uniform vectors a program needs: the rows of "V", and of "I" for `instances` merged
// instances (0: a program of single draws), with the headroom.
int VertexUniformsNeeded(int instances);

// The first limit below what the device's programs and targets need at the least, with its
// value and the need ("GL_MAX_VERTEX_ATTRIBS is 8, the programs need 13"); empty when none is.
std::string Shortfall(const GlLimits& limits);

// Instances per merged draw that the vertex uniforms hold: vertex_uniforms::kBatch where there is
// room, fewer where there is not, 0 (every draw goes out alone) below kMinMergedBatch.
int MergedBatch(const GlLimits& limits);

// Samples of a back buffer asked for with `asked` (D3DMULTISAMPLE_TYPE; 0 and 1 are none): cut
// to GL_MAX_SAMPLES, 0 where fewer than two remain.
UINT BackBufferSamples(UINT asked, const GlLimits& limits);

// Whether a back buffer of width x height can be made and drawn to whole: its renderbuffers and
// its viewport within the limits.
bool BackBufferFits(UINT width, UINT height, const GlLimits& limits);

// Whether a texture of width x height (its level 0) is within GL_MAX_TEXTURE_SIZE.
bool TextureFits(UINT width, UINT height, const GlLimits& limits);

// Devices made from now on see no more than `cap`, limit by limit, whatever the GL offers
// (nullopt: the GL's own limits). Without one set, ORRERY_GL_LIMITS=minimum in the environment
// caps them at kWebGl2Minimum, so that a whole test program runs as on the least WebGL 2 browser.
void SetGlLimitsCap(std::optional<GlLimits> cap);
// The cap in force for a device made now.
std::optional<GlLimits> GlLimitsCap();

}  // namespace gpu
