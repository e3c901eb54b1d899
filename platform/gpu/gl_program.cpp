#include "platform/gpu/gl_program.h"

#include <cstdio>

namespace gpu {

GLuint CompileShader(GLenum type, const char* text, const char* who) {
    GLuint s = glCreateShader(type);
    glShaderSource(s, 1, &text, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetShaderInfoLog(s, sizeof(log), nullptr, log);
        std::fprintf(stderr, "%s: %s shader does not compile: %s\n%s\n", who,
                     type == GL_VERTEX_SHADER ? "vertex" : "fragment", log, text);
        glDeleteShader(s);
        return 0;
    }
    return s;
}

GLuint LinkProgram(GLuint vertex, GLuint fragment, const char* who) {
    if (!vertex || !fragment) {
        if (vertex) glDeleteShader(vertex);
        if (fragment) glDeleteShader(fragment);
        return 0;
    }
    GLuint p = glCreateProgram();
    glAttachShader(p, vertex);
    glAttachShader(p, fragment);
    glLinkProgram(p);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = 0;
    glGetProgramiv(p, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetProgramInfoLog(p, sizeof(log), nullptr, log);
        std::fprintf(stderr, "%s: program does not link: %s\n", who, log);
        glDeleteProgram(p);
        return 0;
    }
    return p;
}

}  // namespace gpu
