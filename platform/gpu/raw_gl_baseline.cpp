#include "platform/gpu/raw_gl_baseline.h"

#include <string>

#include "platform/gpu/gl_program.h"
#include "platform/gpu/shader_source.h"

namespace gpu {

RawGlBaseline::RawGlBaseline() {
    const std::string header = ShaderHeader({GlIsEs()});
    const std::string vs = header +
                           "layout(location = 0) in vec2 p;\nuniform vec4 offset;\nout vec4 colour;\n"
                           "void main() { gl_Position = vec4(p * 0.02 + offset.xy, 0.5, 1.0); colour = vec4(offset.zw, 1.0, 1.0); }\n";
    const std::string fs = header + "in vec4 colour;\nout vec4 c;\nvoid main() { c = colour; }\n";
    const char* who = "gpu/raw_gl_baseline";
    GLuint p = LinkProgram(CompileShader(GL_VERTEX_SHADER, vs.c_str(), who),
                           CompileShader(GL_FRAGMENT_SHADER, fs.c_str(), who), who);
    if (!p) return;
    program_ = p;
    offsetLocation_ = glGetUniformLocation(p, "offset");
    const float quad[8] = {-1, -1, 1, -1, -1, 1, 1, 1};
    glGenVertexArrays(1, &vao_);
    glBindVertexArray(vao_);
    glGenBuffers(1, &buffer_);
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
}

RawGlBaseline::~RawGlBaseline() {
    if (program_) glDeleteProgram(program_);
    if (buffer_) glDeleteBuffers(1, &buffer_);
    if (vao_) glDeleteVertexArrays(1, &vao_);
}

void RawGlBaseline::Draw(int draws) {
    glUseProgram(program_);
    glBindVertexArray(vao_);
    for (int i = 0; i < draws; ++i) {
        const float t = static_cast<float>(i % 100) * 0.01f;
        glUniform4f(offsetLocation_, t * 1.8f - 0.9f, 0.9f - t * 1.8f, t, 1.0f - t);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }
}

void FinishGl() { glFinish(); }

}  // namespace gpu
