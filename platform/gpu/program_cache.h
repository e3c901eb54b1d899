// ProgramCache: the GL programs, one per PipelineKey, built from generated GLSL on first use;
// the one in use; and the uploads of uniform groups into it, each group only when this program
// has not seen its latest values yet.
#pragma once

#include <unordered_map>

#include "platform/gpu/d3d8.h"
#include "platform/gpu/gl_shared.h"
#include "platform/gpu/pipeline_key.h"
#include "platform/gpu/shader_source.h"
#include "platform/gpu/uniform_values.h"

namespace gpu {

class ProgramCache {
public:
    struct Program {
        GLuint name = 0;
        GLint groupBase[kUniformGroups] = {};  // location of the first row of each uniform group
        GLint instances = -1;                  // location of the per-instance rows of merged draws
        std::uint32_t uploaded[kUniformGroups] = {};  // versions of the groups it holds
    };

    // `stats` counts the programs built and switched to.
    ProgramCache(GlShared& gl, D3DDRAWSTATS& stats) : gl_(gl), stats_(stats) {}
    ~ProgramCache();
    ProgramCache(const ProgramCache&) = delete;
    ProgramCache& operator=(const ProgramCache&) = delete;

    // The GLSL the programs are built in (shader_source.h).
    void SetDialect(const ShaderDialect& dialect) { dialect_ = dialect; }
    // Makes the program for `key` current, built first when new; null when it cannot be built.
    Program* Use(const PipelineKey& key);
    Program* Current() const { return current_; }
    // Uploads what the current program (made for `key`) reads and has not seen. Merged draws
    // (`instanced`) carry the world matrix and the material per instance instead.
    void Upload(const UniformValues& values, const PipelineKey& key, bool instanced);

private:
    Program* Build(const PipelineKey& key);

    GlShared& gl_;
    D3DDRAWSTATS& stats_;
    ShaderDialect dialect_;
    std::unordered_map<PipelineKey, Program, PipelineKeyHash> programs_;
    Program* current_ = nullptr;
};

}  // namespace gpu
