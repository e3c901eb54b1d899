#include "platform/gpu/gl_limits.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/gpu/gl_shared.h"
#include "platform/gpu/pipeline_key.h"
#include "platform/gpu/program_interface.h"
#include "platform/gpu/uniform_layout.h"

namespace gpu {

namespace {

// Varyings of the largest program: a texture coordinate per stage, the diffuse and specular
// colours and the fog depth, each counted as a whole vector.
constexpr int kVaryingsNeeded = kMaxStages + 3;

std::optional<GlLimits>& CapSet() {
    static std::optional<GlLimits> cap;
    return cap;
}

// ORRERY_GL_LIMITS, read once: "minimum" caps the limits at WebGL 2's minimums.
bool MinimumFromEnvironment() {
    static const bool minimum = [] {
        const char* value = std::getenv("ORRERY_GL_LIMITS");
        if (!value || !*value) return false;
        if (std::strcmp(value, "minimum") == 0) {
            std::fprintf(stderr, "gpu/limits: ORRERY_GL_LIMITS=minimum: devices see no more than WebGL 2's minimums\n");
            return true;
        }
        std::fprintf(stderr, "gpu/limits: ORRERY_GL_LIMITS=%s is not known (only \"minimum\"); the GL's own limits stand\n",
                     value);
        return false;
    }();
    return minimum;
}

}  // namespace

GlLimits Smaller(const GlLimits& a, const GlLimits& b) {
    GlLimits m;
    m.textureSize = std::min(a.textureSize, b.textureSize);
    m.renderbufferSize = std::min(a.renderbufferSize, b.renderbufferSize);
    m.viewportWidth = std::min(a.viewportWidth, b.viewportWidth);
    m.viewportHeight = std::min(a.viewportHeight, b.viewportHeight);
    m.samples = std::min(a.samples, b.samples);
    m.vertexUniformVectors = std::min(a.vertexUniformVectors, b.vertexUniformVectors);
    m.fragmentUniformVectors = std::min(a.fragmentUniformVectors, b.fragmentUniformVectors);
    m.vertexAttribs = std::min(a.vertexAttribs, b.vertexAttribs);
    m.varyingVectors = std::min(a.varyingVectors, b.varyingVectors);
    m.textureImageUnits = std::min(a.textureImageUnits, b.textureImageUnits);
    m.combinedTextureImageUnits = std::min(a.combinedTextureImageUnits, b.combinedTextureImageUnits);
    return m;
}

GlLimits ReadGlLimits(bool es) {
    auto get = [](GLenum name) {
        GLint value = 0;
        glGetIntegerv(name, &value);
        return value;
    };
    GlLimits l;
    l.textureSize = get(GL_MAX_TEXTURE_SIZE);
    l.renderbufferSize = get(GL_MAX_RENDERBUFFER_SIZE);
    GLint viewport[2] = {};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    l.viewportWidth = viewport[0];
    l.viewportHeight = viewport[1];
    l.samples = get(GL_MAX_SAMPLES);
    if (es) {
        // WebGL answers the component counts from these (times four): the vectors are what it keeps.
        l.vertexUniformVectors = get(GL_MAX_VERTEX_UNIFORM_VECTORS);
        l.fragmentUniformVectors = get(GL_MAX_FRAGMENT_UNIFORM_VECTORS);
        l.varyingVectors = get(GL_MAX_VARYING_VECTORS);
    } else {
        // OpenGL 3.3 core counts in components (the vector forms came with 4.1).
        l.vertexUniformVectors = get(GL_MAX_VERTEX_UNIFORM_COMPONENTS) / 4;
        l.fragmentUniformVectors = get(GL_MAX_FRAGMENT_UNIFORM_COMPONENTS) / 4;
        l.varyingVectors = get(GL_MAX_VARYING_COMPONENTS) / 4;
    }
    l.vertexAttribs = get(GL_MAX_VERTEX_ATTRIBS);
    l.textureImageUnits = get(GL_MAX_TEXTURE_IMAGE_UNITS);
    l.combinedTextureImageUnits = get(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS);
    return l;
}

int VertexUniformsNeeded(int instances) {
    return vertex_uniforms::kCount + vertex_uniforms::kInstanceRows * instances + kUniformHeadroom;
}

std::string Shortfall(const GlLimits& l) {
    struct Need {
        const char* name;
        GLint value;
        int need;
        const char* what;
    };
    const Need needs[] = {
        {"GL_MAX_VERTEX_UNIFORM_VECTORS", l.vertexUniformVectors, VertexUniformsNeeded(0), "the programs need"},
        {"GL_MAX_FRAGMENT_UNIFORM_VECTORS", l.fragmentUniformVectors, fragment_uniforms::kCount + kUniformHeadroom,
         "the programs need"},
        {"GL_MAX_VERTEX_ATTRIBS", l.vertexAttribs, AttributeLocationsNeeded(), "the programs need"},
        {"GL_MAX_VARYING_VECTORS", l.varyingVectors, kVaryingsNeeded, "the programs need"},
        {"GL_MAX_TEXTURE_IMAGE_UNITS", l.textureImageUnits, kMaxStages, "the programs need"},
        // Uploads bind on a unit of their own, after the stages' units.
        {"GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS", l.combinedTextureImageUnits, static_cast<int>(GlShared::kUploadUnit) + 1,
         "the texture uploads need"},
    };
    for (const Need& n : needs) {
        if (n.value >= n.need) continue;
        return std::string(n.name) + " is " + std::to_string(n.value) + ", " + n.what + " " + std::to_string(n.need);
    }
    return {};
}

int MergedBatch(const GlLimits& l) {
    const int room = l.vertexUniformVectors - VertexUniformsNeeded(0);
    const int batch = std::min(vertex_uniforms::kBatch, std::max(room, 0) / vertex_uniforms::kInstanceRows);
    return batch >= kMinMergedBatch ? batch : 0;
}

UINT BackBufferSamples(UINT asked, const GlLimits& l) {
    if (asked < 2) return 0;
    const UINT allowed = static_cast<UINT>(std::max(l.samples, 0));
    const UINT samples = std::min(asked, allowed);
    return samples >= 2 ? samples : 0;
}

bool BackBufferFits(UINT width, UINT height, const GlLimits& l) {
    auto within = [](UINT side, GLint limit) { return limit > 0 && side <= static_cast<UINT>(limit); };
    return within(width, l.renderbufferSize) && within(height, l.renderbufferSize) && within(width, l.viewportWidth) &&
           within(height, l.viewportHeight);
}

bool TextureFits(UINT width, UINT height, const GlLimits& l) {
    return l.textureSize > 0 && width <= static_cast<UINT>(l.textureSize) && height <= static_cast<UINT>(l.textureSize);
}

void SetGlLimitsCap(std::optional<GlLimits> cap) { CapSet() = cap; }

std::optional<GlLimits> GlLimitsCap() {
    if (CapSet()) return CapSet();
    if (MinimumFromEnvironment()) return kWebGl2Minimum;
    return std::nullopt;
}

}  // namespace gpu
