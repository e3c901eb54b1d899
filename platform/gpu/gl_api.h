// The one place the device takes its OpenGL declarations from, and the queries it asks of the
// current context. On the desktop that is libepoxy, which resolves desktop OpenGL and OpenGL ES
// functions alike; under Emscripten it is the OpenGL ES 3.0 headers over WebGL 2.
//
// The device draws on desktop OpenGL 3.3 core or on OpenGL ES 3.0 as WebGL 2 limits it (GlIsEs,
// asked once per device). A handful of desktop calls have no ES form; they are gathered here
// under `desktop_gl` and only ever made on a desktop context. Under Emscripten every context is
// ES, so there they do nothing, and the desktop values the format table names get their numbers.
#pragma once

#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>

#include <cstdio>
#include <cstring>
#else
#include <epoxy/gl.h>
#endif

namespace gpu {

#ifdef __EMSCRIPTEN__

inline bool GlIsEs() { return true; }

// Major * 10 + minor of the current context ("OpenGL ES 3.0 (WebGL 2.0 ...)" gives 30).
inline int GlVersion() {
    const auto* text = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0, minor = 0;
    if (!text || std::sscanf(text, "OpenGL ES %d.%d", &major, &minor) != 2) return 0;
    return major * 10 + minor;
}

inline bool GlHasExtension(const char* name) {
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i) {
        const auto* e = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
        if (e && std::strcmp(e, name) == 0) return true;
    }
    return false;
}

#else

inline bool GlIsEs() { return !epoxy_is_desktop_gl(); }
inline int GlVersion() { return epoxy_gl_version(); }
inline bool GlHasExtension(const char* name) { return epoxy_has_gl_extension(name); }

#endif

// Calls whose desktop and ES forms differ only in name and argument type.
inline void GlClearDepth(bool es, float z) {
#ifndef __EMSCRIPTEN__
    if (!es) {
        glClearDepth(z);
        return;
    }
#endif
    (void)es;
    glClearDepthf(z);
}

inline void GlDepthRange(bool es, float nearZ, float farZ) {
#ifndef __EMSCRIPTEN__
    if (!es) {
        glDepthRange(nearZ, farZ);
        return;
    }
#endif
    (void)es;
    glDepthRangef(nearZ, farZ);
}

// Desktop OpenGL only: called on desktop contexts alone.
namespace desktop_gl {

#ifdef __EMSCRIPTEN__

inline void ClipDepthZeroToOne() {}
inline void FirstVertexProvokes() {}
inline void PolygonMode(GLenum) {}
inline void DrawElementsBaseVertex(GLenum, GLsizei, GLenum, const void*, GLint) {}
inline void MultiDrawElementsBaseVertex(GLenum, const GLsizei*, GLenum, const void* const*, GLsizei, const GLint*) {}

#else

inline void ClipDepthZeroToOne() { glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE); }
inline void FirstVertexProvokes() { glProvokingVertex(GL_FIRST_VERTEX_CONVENTION); }
inline void PolygonMode(GLenum mode) { glPolygonMode(GL_FRONT_AND_BACK, mode); }
inline void DrawElementsBaseVertex(GLenum mode, GLsizei count, GLenum type, const void* offset, GLint base) {
    glDrawElementsBaseVertex(mode, count, type, offset, base);
}
inline void MultiDrawElementsBaseVertex(GLenum mode, const GLsizei* counts, GLenum type, const void* const* offsets,
                                        GLsizei draws, const GLint* bases) {
    glMultiDrawElementsBaseVertex(mode, counts, type, offsets, draws, bases);
}

#endif

}  // namespace desktop_gl

}  // namespace gpu

#ifdef __EMSCRIPTEN__
// Desktop values the device's tables name beside their ES counterparts (never passed to WebGL).
#define GL_BGR 0x80E0
#define GL_BGRA 0x80E1
#define GL_UNSIGNED_SHORT_1_5_5_5_REV 0x8366
#define GL_UNSIGNED_SHORT_4_4_4_4_REV 0x8365
#define GL_CLAMP_TO_BORDER 0x812D
#define GL_TEXTURE_BORDER_COLOR 0x1004
#define GL_TEXTURE_SWIZZLE_RGBA 0x8E46
#define GL_POINT 0x1B00
#define GL_LINE 0x1B01
#define GL_FILL 0x1B02
// S3TC, taken from WEBGL_compressed_texture_s3tc when the browser offers it.
#define GL_COMPRESSED_RGBA_S3TC_DXT1_EXT 0x83F1
#define GL_COMPRESSED_RGBA_S3TC_DXT3_EXT 0x83F2
#define GL_COMPRESSED_RGBA_S3TC_DXT5_EXT 0x83F3
#endif
