// What the generated programs and the code feeding them must agree on: the vertex attributes with
// their locations and GLSL names, and the names of the uniforms. The generator declares them from
// these tables, the vertex arrays bind at these locations and the program cache looks uniforms up
// by these names, so none of them spells its own.
#pragma once

#include <string>

#include "platform/com/enum_table.h"
#include "platform/gpu/pipeline_key.h"

namespace gpu {

// The vertex attributes, one per element a vertex can carry.
enum class Attribute : int {
    kPosition,
    kWeights,
    kNormal,
    kDiffuse,
    kSpecular,
    kTex0,  // kTex0 .. kTex7: texture coordinate sets 0..7
    kTex1,
    kTex2,
    kTex3,
    kTex4,
    kTex5,
    kTex6,
    kTex7,
    kCount,
};

struct AttributeRow {
    Attribute attribute;
    int location;
    const char* name;
};

inline constexpr com::EnumTable<Attribute, AttributeRow> kAttributes = {{
    {Attribute::kPosition, 0, "aPosition"},
    {Attribute::kWeights, 1, "aWeights"},
    {Attribute::kNormal, 2, "aNormal"},
    {Attribute::kDiffuse, 3, "aDiffuse"},
    {Attribute::kSpecular, 4, "aSpecular"},
    {Attribute::kTex0, 5, "aTex0"},
    {Attribute::kTex1, 6, "aTex1"},
    {Attribute::kTex2, 7, "aTex2"},
    {Attribute::kTex3, 8, "aTex3"},
    {Attribute::kTex4, 9, "aTex4"},
    {Attribute::kTex5, 10, "aTex5"},
    {Attribute::kTex6, 11, "aTex6"},
    {Attribute::kTex7, 12, "aTex7"},
}};
static_assert(com::RowsInEnumOrder(kAttributes, &AttributeRow::attribute));

// Texture coordinate sets a vertex can carry, each an attribute of its own.
constexpr int kTexCoordSets = static_cast<int>(Attribute::kCount) - static_cast<int>(Attribute::kTex0);
static_assert(kTexCoordSets == 8, "a vertex format carries up to eight texture coordinate sets");

constexpr Attribute TexCoordAttribute(int set) {
    return static_cast<Attribute>(static_cast<int>(Attribute::kTex0) + set);
}
constexpr int AttributeLocation(Attribute a) { return kAttributes[com::EnumIndex(a)].location; }
constexpr const char* AttributeName(Attribute a) { return kAttributes[com::EnumIndex(a)].name; }

// The name a program declares attribute `a` under (`es`: in GLSL ES). Desktop GL reads a colour's
// B, G, R, A bytes as red, green, blue, alpha (vertex_arrays.cpp); ES reads them in memory order,
// into "<name>Bgra", and the program swaps them into a variable of the attribute's own name.
inline std::string AttributeInputName(Attribute a, bool es) {
    const bool colour = a == Attribute::kDiffuse || a == Attribute::kSpecular;
    return std::string(AttributeName(a)) + (es && colour ? "Bgra" : "");
}

// Attribute locations a program may use, 0 up to the highest in the table: what
// GL_MAX_VERTEX_ATTRIBS must allow.
constexpr int AttributeLocationsNeeded() {
    int n = 0;
    for (const AttributeRow& row : kAttributes) n = row.location + 1 > n ? row.location + 1 : n;
    return n;
}

// Two attributes at one location would read the same vertex data.
constexpr bool AttributeLocationsDistinct() {
    for (const AttributeRow& a : kAttributes)
        for (const AttributeRow& b : kAttributes)
            if (a.attribute != b.attribute && a.location == b.location) return false;
    return true;
}
static_assert(AttributeLocationsDistinct());

// The uniforms: the arrays of vec4 rows laid out in uniform_layout.h, and a sampler per blend
// stage, which samples the texture unit of the stage's number.
enum class Uniform : int {
    kVertexRows,    // vertex_uniforms
    kInstanceRows,  // merged draws' per-instance rows, vertex_uniforms::kInstanceRows per instance
    kFragmentRows,  // fragment_uniforms
    kSampler0,      // kSampler0 + i: the texture of blend stage i
    kSampler1,
    kCount,
};

struct UniformRow {
    Uniform uniform;
    const char* name;
};

inline constexpr com::EnumTable<Uniform, UniformRow> kUniforms = {{
    {Uniform::kVertexRows, "V"},
    {Uniform::kInstanceRows, "I"},
    {Uniform::kFragmentRows, "F"},
    {Uniform::kSampler0, "uTexture0"},
    {Uniform::kSampler1, "uTexture1"},
}};
static_assert(com::RowsInEnumOrder(kUniforms, &UniformRow::uniform));
static_assert(static_cast<int>(Uniform::kCount) - static_cast<int>(Uniform::kSampler0) == kMaxStages,
              "a sampler per blend stage");

constexpr Uniform SamplerUniform(int stage) {
    return static_cast<Uniform>(static_cast<int>(Uniform::kSampler0) + stage);
}
constexpr const char* UniformName(Uniform u) { return kUniforms[com::EnumIndex(u)].name; }

// Row `row` of a uniform array, as GLSL reads it and glGetUniformLocation looks it up: "V[5]".
inline std::string UniformElement(Uniform array, int row) {
    return std::string(UniformName(array)) + "[" + std::to_string(row) + "]";
}

}  // namespace gpu
