// The attribute and uniform lists of program_interface.h as the GL sees them: the generated
// programs declare the attributes at the listed locations, the vertex arrays feed each location
// from the element of the vertex it names, and every uniform is found by its listed name.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/gpu/gl_shared.h"
#include "platform/gpu/program_cache.h"
#include "platform/gpu/program_interface.h"
#include "platform/gpu/vertex_arrays.h"
#include "platform/window/headless_window.h"

namespace gpu {
namespace {

class ProgramInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<platform::HeadlessWindow>(16, 16);
        auto context = window_->CreateGlContext(platform::GlProfile::Default);
        ASSERT_TRUE(context) << "no GL context";
        gl_ = std::make_unique<GlShared>(std::move(context));
        programs_ = std::make_unique<ProgramCache>(*gl_, stats_);
        // A small batch: the instance array only has to be there.
        programs_->SetDialect({gl_->es, !gl_->es, 4});
    }
    void TearDown() override {
        programs_.reset();
        gl_.reset();
    }

    // A lit, blended, two-stage program that reads every vertex element but the unused texture
    // coordinate sets: those of the stages are `set0` and `set1`.
    static PipelineKey FullKey(int set0, int set1) {
        PipelineKey k;
        k.hasNormal = k.hasDiffuse = k.hasSpecular = 1;
        k.blendWeights = 3;
        k.lighting = 1;
        k.lightCount = 1;
        k.lightTypes[0] = D3DLIGHT_DIRECTIONAL;
        k.specular = 1;
        k.diffuseSource = 1;   // aDiffuse
        k.specularSource = 2;  // aSpecular
        k.fogMode = D3DFOG_LINEAR;
        k.alphaFunc = D3DCMP_LESS;
        const int sets[kMaxStages] = {set0, set1};
        for (int i = 0; i < kMaxStages; ++i) {
            StageKey& st = k.stages[i];
            st.colorOp = D3DTOP_MODULATE;
            st.colorArg1 = D3DTA_TEXTURE;
            st.colorArg2 = i == 0 ? D3DTA_DIFFUSE : D3DTA_CURRENT;
            st.alphaOp = D3DTOP_MODULATE;
            st.alphaArg1 = D3DTA_TEXTURE;
            st.alphaArg2 = i == 0 ? D3DTA_DIFFUSE : D3DTA_CURRENT;
            st.textured = 1;
            st.texSet = static_cast<std::uint8_t>(sets[i]);
        }
        return k;
    }

    // The names of the program's active attributes or uniforms (`what`), arrays without "[0]".
    static std::vector<std::string> Active(GLuint program, GLenum what) {
        GLint count = 0;
        glGetProgramiv(program, what, &count);
        std::vector<std::string> names;
        for (GLint i = 0; i < count; ++i) {
            char name[64] = {};
            GLint size = 0;
            GLenum type = 0;
            if (what == GL_ACTIVE_ATTRIBUTES)
                glGetActiveAttrib(program, static_cast<GLuint>(i), sizeof(name), nullptr, &size, &type, name);
            else
                glGetActiveUniform(program, static_cast<GLuint>(i), sizeof(name), nullptr, &size, &type, name);
            std::string n = name;
            if (n.size() > 3 && n.ends_with("[0]")) n.resize(n.size() - 3);
            names.push_back(n);
        }
        return names;
    }

    std::unique_ptr<platform::HeadlessWindow> window_;
    std::unique_ptr<GlShared> gl_;
    D3DDRAWSTATS stats_{};
    std::unique_ptr<ProgramCache> programs_;
};

// Every attribute a program declares is in the list, at the listed location, and between them
// the programs declare every listed attribute.
TEST_F(ProgramInterfaceTest, ProgramsDeclareTheListedAttributesAtTheirLocations) {
    std::set<Attribute> seen;
    for (int set = 0; set < kTexCoordSets; set += 2) {
        ProgramCache::Program* p = programs_->Use(FullKey(set, set + 1));
        ASSERT_NE(p, nullptr) << "texture coordinate sets " << set << ", " << set + 1;
        for (const std::string& name : Active(p->name, GL_ACTIVE_ATTRIBUTES)) {
            const AttributeRow* row = nullptr;
            for (const AttributeRow& r : kAttributes)
                if (AttributeInputName(r.attribute, gl_->es) == name) row = &r;
            ASSERT_NE(row, nullptr) << "attribute " << name << " is not in the list";
            EXPECT_EQ(glGetAttribLocation(p->name, name.c_str()), row->location) << name;
            seen.insert(row->attribute);
        }
    }
    EXPECT_EQ(seen.size(), kAttributes.size()) << "some listed attribute is in no program";
}

// The vertex array of a format carrying every element reads each element at its attribute's
// location, and nothing at any other location.
TEST_F(ProgramInterfaceTest, VertexArraysFeedEachListedLocationFromItsElement) {
    // Texture coordinate sets of 2, 1, 3, 4, 2, 1, 3 and 4 floats, so that each lies apart.
    const DWORD fvf = D3DFVF_XYZB3 | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX8 |
                      D3DFVF_TEXCOORDSIZE1(1) | D3DFVF_TEXCOORDSIZE3(2) | D3DFVF_TEXCOORDSIZE4(3) |
                      D3DFVF_TEXCOORDSIZE1(5) | D3DFVF_TEXCOORDSIZE3(6) | D3DFVF_TEXCOORDSIZE4(7);
    const FvfLayout layout = DecodeFvf(fvf);
    ASSERT_EQ(layout.stride, 124u);
    struct Element {
        Attribute attribute;
        std::uintptr_t offset;
        GLint size;  // 0: a colour, four bytes in either order
    };
    const Element elements[] = {
        {Attribute::kPosition, 0, 3}, {Attribute::kWeights, 12, 3}, {Attribute::kNormal, 24, 3},
        {Attribute::kDiffuse, 36, 0}, {Attribute::kSpecular, 40, 0}, {Attribute::kTex0, 44, 2},
        {Attribute::kTex1, 52, 1},    {Attribute::kTex2, 56, 3},    {Attribute::kTex3, 68, 4},
        {Attribute::kTex4, 84, 2},    {Attribute::kTex5, 92, 1},    {Attribute::kTex6, 96, 3},
        {Attribute::kTex7, 108, 4},
    };
    static_assert(std::size(elements) == kAttributes.size());

    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    {
        VertexArrays arrays(*gl_);
        arrays.Bind(1, buffer, fvf, layout, layout.stride);
        std::set<GLint> fed;
        for (const Element& e : elements) {
            const auto location = static_cast<GLuint>(AttributeLocation(e.attribute));
            fed.insert(AttributeLocation(e.attribute));
            GLint enabled = 0, size = 0, type = 0, normalized = 0;
            void* pointer = nullptr;
            glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
            glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_SIZE, &size);
            glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_TYPE, &type);
            glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED, &normalized);
            glGetVertexAttribPointerv(location, GL_VERTEX_ATTRIB_ARRAY_POINTER, &pointer);
            const std::string what = AttributeName(e.attribute);
            EXPECT_EQ(enabled, GL_TRUE) << what;
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(pointer), e.offset) << what;
            if (e.size == 0) {
                EXPECT_TRUE(size == 4 || size == GL_BGRA) << what << ": size " << size;
                EXPECT_EQ(type, GL_UNSIGNED_BYTE) << what;
                EXPECT_EQ(normalized, GL_TRUE) << what;
            } else {
                EXPECT_EQ(size, e.size) << what;
                EXPECT_EQ(type, GL_FLOAT) << what;
            }
        }
        GLint locations = 0;
        glGetIntegerv(GL_MAX_VERTEX_ATTRIBS, &locations);
        for (GLint location = 0; location < locations; ++location) {
            if (fed.count(location)) continue;
            GLint enabled = 0;
            glGetVertexAttribiv(static_cast<GLuint>(location), GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
            EXPECT_EQ(enabled, GL_FALSE) << "location " << location << " is in no row of the list";
        }
    }
    glDeleteBuffers(1, &buffer);
}

// Every uniform a program declares is in the list; the program cache finds each listed one by
// its name, the rows of every uniform group among them, and points each stage's sampler at the
// texture unit of the stage's number.
TEST_F(ProgramInterfaceTest, ProgramCacheFindsEveryListedUniformByItsName) {
    std::set<Uniform> seen;
    for (bool instanced : {false, true}) {
        PipelineKey key = FullKey(0, 1);
        key.instanced = instanced;
        ProgramCache::Program* p = programs_->Use(key);
        ASSERT_NE(p, nullptr) << (instanced ? "merged draws" : "single draws");
        for (const std::string& name : Active(p->name, GL_ACTIVE_UNIFORMS)) {
            const UniformRow* row = nullptr;
            for (const UniformRow& r : kUniforms)
                if (name == r.name) row = &r;
            ASSERT_NE(row, nullptr) << "uniform " << name << " is not in the list";
            seen.insert(row->uniform);
        }
        if (instanced) {
            EXPECT_GE(p->instances, 0);
        } else {
            for (int g = 0; g < kUniformGroups; ++g) EXPECT_GE(p->groupBase[g], 0) << "uniform group " << g;
        }
        for (int stage = 0; stage < kMaxStages; ++stage) {
            const GLint location = glGetUniformLocation(p->name, UniformName(SamplerUniform(stage)));
            ASSERT_GE(location, 0) << "stage " << stage;
            GLint unit = -1;
            glGetUniformiv(p->name, location, &unit);
            EXPECT_EQ(unit, stage) << "stage " << stage;
        }
    }
    EXPECT_EQ(seen.size(), kUniforms.size()) << "some listed uniform is in no program";
}

}  // namespace
}  // namespace gpu
