// GLSL generated for a pipeline key (reading the uniform rows of uniform_layout.h), with the
// attributes and uniforms of program_interface.h. Everything the text depends on is in the key
// and the dialect.
#pragma once

#include <string>

#include "platform/gpu/pipeline_key.h"
#include "platform/gpu/program_interface.h"
#include "platform/gpu/uniform_layout.h"

namespace gpu {

// The GLSL the programs are written in: GLSL 3.30 core for desktop OpenGL, or GLSL ES 3.00 for
// OpenGL ES 3.0 (and so WebGL 2), whose differences the generated text takes care of: precision
// qualifiers, colour attributes read in memory order, the point size written, Direct3D's depth
// mapped without clip control, and border addressing blended in by the program.
struct ShaderDialect {
    bool es = false;
    bool clipControl = true;  // depth is written from 0 (GL_ZERO_TO_ONE clip control); never on ES
    // Instances a merged-draw program holds (its array "I"), as many as the vertex uniforms allow.
    int instanceBatch = vertex_uniforms::kBatch;
};

// The first lines of every program of the dialect: version, and on ES the default precisions.
std::string ShaderHeader(const ShaderDialect& dialect);

std::string VertexShaderSource(const PipelineKey& key, const ShaderDialect& dialect);
std::string FragmentShaderSource(const PipelineKey& key, const ShaderDialect& dialect);

}  // namespace gpu
