// Compiling and linking GLSL programs on the current context. Failures put the driver's log on
// stderr after `who`, the name of the part asking.
#pragma once

#include "platform/gpu/gl_api.h"

namespace gpu {

// A compiled shader of `type` from `text`, or 0.
GLuint CompileShader(GLenum type, const char* text, const char* who);

// A program linked from the two shaders, or 0; a 0 shader makes no program. The shaders are
// deleted either way: a linked program keeps what it needs of them.
GLuint LinkProgram(GLuint vertex, GLuint fragment, const char* who);

}  // namespace gpu
