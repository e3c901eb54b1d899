#include "platform/gpu/program_cache.h"

#include <string>

#include "platform/gpu/gl_program.h"
#include "platform/gpu/program_interface.h"
#include "platform/gpu/shader_source.h"

namespace gpu {

namespace {

constexpr const char* kWho = "gpu/renderer";

GLint RowLocation(GLuint program, Uniform array, int row) {
    return glGetUniformLocation(program, UniformElement(array, row).c_str());
}

}  // namespace

ProgramCache::~ProgramCache() {
    if (!gl_.CanCallGl()) return;  // the process is ending on another thread: leave the GL objects
    for (auto& [key, p] : programs_) glDeleteProgram(p.name);
}

ProgramCache::Program* ProgramCache::Use(const PipelineKey& key) {
    auto it = programs_.find(key);
    Program* p = it != programs_.end() ? &it->second : Build(key);
    if (!p) return nullptr;
    if (p != current_) {
        glUseProgram(p->name);
        current_ = p;
        ++stats_.programSwitches;
    }
    return p;
}

ProgramCache::Program* ProgramCache::Build(const PipelineKey& key) {
    GLuint vs = CompileShader(GL_VERTEX_SHADER, VertexShaderSource(key, dialect_).c_str(), kWho);
    GLuint fs = vs ? CompileShader(GL_FRAGMENT_SHADER, FragmentShaderSource(key, dialect_).c_str(), kWho) : 0;
    GLuint p = LinkProgram(vs, fs, kWho);
    if (!p) return nullptr;
    Program prog;
    prog.name = p;
    auto base = [&prog](UniformGroup g) -> GLint& { return prog.groupBase[static_cast<int>(g)]; };
    base(UniformGroup::kMaterial) = RowLocation(p, Uniform::kVertexRows, vertex_uniforms::kMaterial);
    base(UniformGroup::kWorld) = RowLocation(p, Uniform::kVertexRows, vertex_uniforms::kWorld);
    base(UniformGroup::kProjection) = RowLocation(p, Uniform::kVertexRows, vertex_uniforms::kProjection);
    base(UniformGroup::kLights) = RowLocation(p, Uniform::kVertexRows, vertex_uniforms::kAmbient);
    base(UniformGroup::kFog) = RowLocation(p, Uniform::kFragmentRows, fragment_uniforms::kFogColor);
    base(UniformGroup::kMisc) = RowLocation(p, Uniform::kFragmentRows, fragment_uniforms::kAlphaRef);
    prog.instances = key.instanced ? RowLocation(p, Uniform::kInstanceRows, 0) : -1;
    glUseProgram(p);
    // Each stage samples the texture unit of its number.
    for (int stage = 0; stage < kMaxStages; ++stage) {
        const GLint sampler = glGetUniformLocation(p, UniformName(SamplerUniform(stage)));
        if (sampler >= 0) glUniform1i(sampler, stage);
    }
    current_ = nullptr;  // Use switches to it
    ++stats_.programsBuilt;
    return &programs_.emplace(key, prog).first->second;
}

void ProgramCache::Upload(const UniformValues& values, const PipelineKey& key, bool instanced) {
    using namespace vertex_uniforms;
    Program& p = *current_;
    auto upload = [&](UniformGroup g, const float* data, int rows) {
        const int i = static_cast<int>(g);
        if (p.uploaded[i] == values.Version(g)) return;
        p.uploaded[i] = values.Version(g);
        if (p.groupBase[i] >= 0) glUniform4fv(p.groupBase[i], rows, data);
    };
    const int lightRows = 1 + kLightStride * key.lightCount;
    const float* fog = values.Fragment(fragment_uniforms::kFogColor);
    const float* misc = values.Fragment(fragment_uniforms::kAlphaRef);
    if (instanced) {
        upload(UniformGroup::kProjection, values.Vertex(kProjection), kProjectionRows);
        if (key.lighting) upload(UniformGroup::kLights, values.Vertex(kAmbient), lightRows);
        if (key.fogMode) upload(UniformGroup::kFog, fog, fragment_uniforms::kFogRows);
        upload(UniformGroup::kMisc, misc, fragment_uniforms::kMiscRows);
        return;
    }
    const int worldRows = kWorldStride * (key.blendWeights + 1);
    const auto material = static_cast<int>(UniformGroup::kMaterial), world = static_cast<int>(UniformGroup::kWorld);
    if (key.lighting && p.uploaded[material] != values.Version(UniformGroup::kMaterial) &&
        p.uploaded[world] != values.Version(UniformGroup::kWorld)) {
        // Both changed (the particle pattern): one call for the adjacent ranges.
        upload(UniformGroup::kMaterial, values.Vertex(kMaterial), kMaterialRows + worldRows);
        p.uploaded[world] = values.Version(UniformGroup::kWorld);
    }
    upload(UniformGroup::kWorld, values.Vertex(kWorld), worldRows);
    upload(UniformGroup::kProjection, values.Vertex(kProjection), kProjectionRows);
    if (key.lighting) {
        upload(UniformGroup::kMaterial, values.Vertex(kMaterial), kMaterialRows);
        upload(UniformGroup::kLights, values.Vertex(kAmbient), lightRows);
    }
    if (key.fogMode) upload(UniformGroup::kFog, fog, fragment_uniforms::kFogRows);
    upload(UniformGroup::kMisc, misc, fragment_uniforms::kMiscRows);
}

}  // namespace gpu
