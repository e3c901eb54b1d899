// The generator's in-memory model: what one X file of the pack holds, before it is written.
//
// Conventions of the show's data: Z is up, about 30 units to a metre, row vectors
// (a point p is transformed as p * M), front faces wound clockwise as seen by the viewer.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/math/d3dx8math.h"

namespace assets {

using Bytes = std::vector<std::uint8_t>;

struct Material {
    D3DXCOLOR diffuse{0.8f, 0.8f, 0.8f, 1.0f};  // the face colour, alpha included
    float power = 0.0f;
    D3DXCOLOR specular{0.0f, 0.0f, 0.0f, 1.0f};  // rgb used
    D3DXCOLOR emissive{0.0f, 0.0f, 0.0f, 1.0f};  // rgb used
    std::string texture;                          // file name, empty for none
};

// One bone's influence on a skinned mesh: the written SkinWeights object.
struct SkinWeights {
    std::string bone;                  // the name of the Frame that moves these vertices
    std::vector<std::uint32_t> vertices;
    std::vector<float> weights;        // one per vertex above
    D3DXMATRIX offset;                 // mesh space -> bone space (inverse of the bone's bind pose)
};

// An indexed triangle mesh. positions, normals and uvs are parallel arrays (one entry per
// vertex); normals and uvs may be empty, in which case they are not written.
struct Mesh {
    std::string name;
    std::vector<D3DXVECTOR3> positions;
    std::vector<D3DXVECTOR3> normals;
    std::vector<D3DXVECTOR2> uvs;
    std::vector<std::array<std::uint32_t, 3>> faces;
    std::vector<std::uint32_t> faceMaterials;  // one per face, indexing materials
    std::vector<Material> materials;
    std::vector<SkinWeights> skin;             // empty for a rigid mesh
    std::uint32_t maxInfluencesPerVertex = 0;  // XSkinMeshHeader values, written when skin is set
    std::uint32_t maxInfluencesPerFace = 0;
};

struct Frame {
    std::string name;
    D3DXMATRIX transform = Identity();  // FrameTransformMatrix (local, relative to the parent)
    std::vector<Mesh> meshes;
    std::vector<Frame> children;

    static D3DXMATRIX Identity() {
        D3DXMATRIX m;
        D3DXMatrixIdentity(&m);
        return m;
    }
};

// Keys in ticks. Rotation keys are stored as the project's loader reads them back
// (D3DXQUATERNION x, y, z, w); the writer puts them in the file's w, x, y, z order.
struct RotationKey {
    std::uint32_t time = 0;
    D3DXQUATERNION rotation{0.0f, 0.0f, 0.0f, 1.0f};
};
struct VectorKey {
    std::uint32_t time = 0;
    D3DXVECTOR3 value{0.0f, 0.0f, 0.0f};
};
struct MatrixKey {
    std::uint32_t time = 0;
    D3DXMATRIX value = Frame::Identity();
};

// One Animation object: keys for the frame named by `frame` (written as a reference {name}).
struct Animation {
    std::string frame;
    std::vector<RotationKey> rotations;  // written as DXFILEKEY_ROTATION keys
    std::vector<VectorKey> scales;       // DXFILEKEY_SCALE
    std::vector<VectorKey> positions;    // DXFILEKEY_POSITION
    std::vector<MatrixKey> matrices;     // DXFILEKEY_MATRIX
};

struct AnimationSet {
    std::string name;
    std::vector<Animation> animations;
};

// A whole file: top-level meshes (static models hold exactly one, in world coordinates,
// since the mesh loader reads the first Mesh only), the frame tree, then the animation sets.
struct Model {
    std::vector<Mesh> meshes;
    std::vector<Frame> frames;
    std::vector<AnimationSet> animationSets;
    std::uint32_t ticksPerSecond = 4800;  // written as AnimTicksPerSecond when animations exist
};

}  // namespace assets
