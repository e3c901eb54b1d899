#include "tools/assets/core/x_writer.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <string_view>

#include "platform/xfile/dxfile.h"
#include "tools/assets/core/x_writer_check.h"
#include "tools/assets/core/x_writer_mszip.h"
#include "tools/assets/core/x_writer_tokens.h"

namespace assets {
namespace {

using xwrite::TemplateDeclaration;
using xwrite::TokenWriter;

// Templates outside the retained-mode set: readers of the format expect files that use them
// to declare them.
const TemplateDeclaration kSkinHeader{"XSkinMeshHeader",
                                      "3CF169CE-FF7C-44AB-93C0-F78F62D172E2",
                                      {{"WORD", "nMaxSkinWeightsPerVertex", ""},
                                       {"WORD", "nMaxSkinWeightsPerFace", ""},
                                       {"WORD", "nBones", ""}}};
const TemplateDeclaration kSkinWeights{"SkinWeights",
                                       "6F0D123B-BAD2-4167-A0D0-80224F25FABB",
                                       {{"STRING", "transformNodeName", ""},
                                        {"DWORD", "nWeights", ""},
                                        {"DWORD", "vertexIndices", "nWeights"},
                                        {"FLOAT", "weights", "nWeights"},
                                        {"Matrix4x4", "matrixOffset", ""}}};
const TemplateDeclaration kTicksPerSecond{
    "AnimTicksPerSecond", "9E415A43-7BA6-4A73-8743-B73D47E88476", {{"DWORD", "AnimTicksPerSecond", ""}}};

// Element `i` of `count` ends with ',' and the last with ';'.
char ElementEnd(std::size_t i, std::size_t count) { return i + 1 < count ? ',' : ';'; }

void Member(TokenWriter& out, std::uint32_t value) {
    out.Int(value);
    out.Sep(';');
    out.Line();
}

void Vectors(TokenWriter& out, const std::vector<D3DXVECTOR3>& v) {
    Member(out, static_cast<std::uint32_t>(v.size()));
    for (std::size_t i = 0; i < v.size(); ++i) {
        out.Float(v[i].x);
        out.Sep(';');
        out.Float(v[i].y);
        out.Sep(';');
        out.Float(v[i].z);
        out.Sep(';');
        out.Sep(ElementEnd(i, v.size()));
        out.Line();
    }
}

void Faces(TokenWriter& out, const std::vector<std::array<std::uint32_t, 3>>& faces) {
    Member(out, static_cast<std::uint32_t>(faces.size()));
    for (std::size_t i = 0; i < faces.size(); ++i) {
        out.Int(3);
        out.Sep(';');
        for (int k = 0; k < 3; ++k) {
            out.Int(faces[i][k]);
            out.Sep(k < 2 ? ',' : ';');
        }
        out.Sep(ElementEnd(i, faces.size()));
        out.Line();
    }
}

// The floats of a Matrix4x4 member: the array, then the end of the structure.
void Matrix(TokenWriter& out, const D3DXMATRIX& m) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            out.Float(m.m[r][c]);
            out.Sep(r == 3 && c == 3 ? ';' : ',');
        }
    out.Sep(';');
    out.Line();
}

void Colour(TokenWriter& out, const D3DXCOLOR& c, bool alpha) {
    out.Float(c.r);
    out.Sep(';');
    out.Float(c.g);
    out.Sep(';');
    out.Float(c.b);
    out.Sep(';');
    if (alpha) {
        out.Float(c.a);
        out.Sep(';');
    }
    out.Sep(';');
    out.Line();
}

void WriteMaterial(TokenWriter& out, const Material& m) {
    out.Open("Material", "");
    Colour(out, m.diffuse, true);
    out.Float(m.power);
    out.Sep(';');
    out.Line();
    Colour(out, m.specular, false);
    Colour(out, m.emissive, false);
    if (!m.texture.empty()) {
        out.Open("TextureFilename", "");
        out.String(m.texture);
        out.Sep(';');
        out.Close();
    }
    out.Close();
}

void WriteMaterialList(TokenWriter& out, const Mesh& mesh) {
    out.Open("MeshMaterialList", "");
    Member(out, static_cast<std::uint32_t>(mesh.materials.size()));
    Member(out, static_cast<std::uint32_t>(mesh.faces.size()));
    for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
        out.Int(mesh.faceMaterials.empty() ? 0 : mesh.faceMaterials[i]);
        out.Sep(ElementEnd(i, mesh.faces.size()));
        out.Line();
    }
    for (const Material& m : mesh.materials) WriteMaterial(out, m);
    out.Close();
}

// The header counts: the most bones on one vertex, and on the three vertices of one face.
void SkinCounts(const Mesh& mesh, std::uint32_t& perVertex, std::uint32_t& perFace) {
    std::vector<std::vector<std::uint32_t>> bonesOf(mesh.positions.size());
    for (std::size_t b = 0; b < mesh.skin.size(); ++b)
        for (std::size_t k = 0; k < mesh.skin[b].vertices.size(); ++k)
            if (mesh.skin[b].weights[k] != 0.0f) bonesOf[mesh.skin[b].vertices[k]].push_back(static_cast<std::uint32_t>(b));
    perVertex = 0;
    for (auto& list : bonesOf) {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
        perVertex = std::max(perVertex, static_cast<std::uint32_t>(list.size()));
    }
    perFace = 0;
    for (const auto& face : mesh.faces) {
        std::set<std::uint32_t> bones;
        for (std::uint32_t v : face) bones.insert(bonesOf[v].begin(), bonesOf[v].end());
        perFace = std::max(perFace, static_cast<std::uint32_t>(bones.size()));
    }
}

void WriteSkin(TokenWriter& out, const Mesh& mesh) {
    std::uint32_t perVertex = mesh.maxInfluencesPerVertex, perFace = mesh.maxInfluencesPerFace;
    if (perVertex == 0 || perFace == 0) {
        std::uint32_t v = 0, f = 0;
        SkinCounts(mesh, v, f);
        if (perVertex == 0) perVertex = v;
        if (perFace == 0) perFace = f;
    }
    out.Open("XSkinMeshHeader", "");
    Member(out, perVertex);
    Member(out, perFace);
    Member(out, static_cast<std::uint32_t>(mesh.skin.size()));
    out.Close();
    for (const SkinWeights& s : mesh.skin) {
        out.Open("SkinWeights", "");
        out.String(s.bone);
        out.Sep(';');
        out.Line();
        Member(out, static_cast<std::uint32_t>(s.vertices.size()));
        for (std::size_t i = 0; i < s.vertices.size(); ++i) {
            out.Int(s.vertices[i]);
            out.Sep(ElementEnd(i, s.vertices.size()));
            out.Line();
        }
        for (std::size_t i = 0; i < s.weights.size(); ++i) {
            out.Float(s.weights[i]);
            out.Sep(ElementEnd(i, s.weights.size()));
            out.Line();
        }
        Matrix(out, s.offset);
        out.Close();
    }
}

void WriteMesh(TokenWriter& out, const Mesh& mesh) {
    out.Open("Mesh", mesh.name);
    Vectors(out, mesh.positions);
    Faces(out, mesh.faces);
    if (!mesh.normals.empty()) {
        out.Open("MeshNormals", "");
        Vectors(out, mesh.normals);
        Faces(out, mesh.faces);  // normal i belongs to vertex i
        out.Close();
    }
    if (!mesh.uvs.empty()) {
        out.Open("MeshTextureCoords", "");
        Member(out, static_cast<std::uint32_t>(mesh.uvs.size()));
        for (std::size_t i = 0; i < mesh.uvs.size(); ++i) {
            out.Float(mesh.uvs[i].x);
            out.Sep(';');
            out.Float(mesh.uvs[i].y);
            out.Sep(';');
            out.Sep(ElementEnd(i, mesh.uvs.size()));
            out.Line();
        }
        out.Close();
    }
    if (!mesh.materials.empty()) WriteMaterialList(out, mesh);
    if (!mesh.skin.empty()) WriteSkin(out, mesh);
    out.Close();
}

void WriteFrame(TokenWriter& out, const Frame& frame) {
    out.Open("Frame", frame.name);
    out.Open("FrameTransformMatrix", "");
    Matrix(out, frame.transform);
    out.Close();
    for (const Mesh& m : frame.meshes) WriteMesh(out, m);
    for (const Frame& child : frame.children) WriteFrame(out, child);
    out.Close();
}

// One AnimationKey: key type, count, then per key its time and a FloatKeys of n values.
template <class Key, class Values>
void WriteKeys(TokenWriter& out, std::uint32_t type, const std::vector<Key>& keys, Values values) {
    if (keys.empty()) return;
    out.Open("AnimationKey", "");
    Member(out, type);
    Member(out, static_cast<std::uint32_t>(keys.size()));
    std::vector<float> v;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        v.clear();
        values(keys[i], v);
        out.Int(keys[i].time);
        out.Sep(';');
        out.Int(static_cast<std::uint32_t>(v.size()));
        out.Sep(';');
        for (std::size_t k = 0; k < v.size(); ++k) {
            out.Float(v[k]);
            out.Sep(ElementEnd(k, v.size()));
        }
        out.Sep(';');
        out.Sep(ElementEnd(i, keys.size()));
        out.Line();
    }
    out.Close();
}

void WriteAnimation(TokenWriter& out, const Animation& a) {
    out.Open("Animation", "");
    out.Reference(a.frame);
    WriteKeys(out, DXFILEKEY_ROTATION, a.rotations, [](const RotationKey& k, std::vector<float>& v) {
        v.insert(v.end(), {k.rotation.w, k.rotation.x, k.rotation.y, k.rotation.z});
    });
    auto vector = [](const VectorKey& k, std::vector<float>& v) { v.insert(v.end(), {k.value.x, k.value.y, k.value.z}); };
    WriteKeys(out, DXFILEKEY_SCALE, a.scales, vector);
    WriteKeys(out, DXFILEKEY_POSITION, a.positions, vector);
    WriteKeys(out, DXFILEKEY_MATRIX, a.matrices, [](const MatrixKey& k, std::vector<float>& v) {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) v.push_back(k.value.m[r][c]);
    });
    out.Close();
}

bool HasSkin(const std::vector<Frame>& frames) {
    for (const Frame& f : frames) {
        for (const Mesh& m : f.meshes)
            if (!m.skin.empty()) return true;
        if (HasSkin(f.children)) return true;
    }
    return false;
}

}  // namespace

Bytes WriteX(const Model& model, XEncoding encoding) {
    if (std::string fault = xwrite::CheckModel(model); !fault.empty()) {
        std::fprintf(stderr, "WriteX: %s\n", fault.c_str());
        return {};
    }
    const bool binary = encoding == XEncoding::Binary || encoding == XEncoding::BinaryCompressed;
    TokenWriter out(binary);
    const bool skinned = HasSkin(model.frames) ||
                         std::any_of(model.meshes.begin(), model.meshes.end(), [](const Mesh& m) { return !m.skin.empty(); });
    if (skinned) {
        out.Declare(kSkinHeader);
        out.Declare(kSkinWeights);
    }
    if (!model.animationSets.empty()) out.Declare(kTicksPerSecond);
    for (const Mesh& m : model.meshes) WriteMesh(out, m);
    for (const Frame& f : model.frames) WriteFrame(out, f);
    if (!model.animationSets.empty()) {
        out.Open("AnimTicksPerSecond", "");
        Member(out, model.ticksPerSecond);
        out.Close();
        for (const AnimationSet& set : model.animationSets) {
            out.Open("AnimationSet", set.name);
            for (const Animation& a : set.animations) WriteAnimation(out, a);
            out.Close();
        }
    }
    if (!out.Finite()) {
        std::fprintf(stderr, "WriteX: the model holds a value that is not a finite number\n");
        return {};
    }
    Bytes body = out.Take();
    if (!binary) body.insert(body.begin(), '\n');  // the text begins on the line after the header
    switch (encoding) {
        case XEncoding::TextCompressed: return xwrite::CompressMsZip("xof 0303tzip0032", body);
        case XEncoding::BinaryCompressed: return xwrite::CompressMsZip("xof 0303bzip0032", body);
        case XEncoding::Text:
        case XEncoding::Binary: break;
    }
    const std::string_view header = binary ? "xof 0303bin 0032" : "xof 0303txt 0032";
    body.insert(body.begin(), header.begin(), header.end());
    return body;
}

}  // namespace assets
