// MeshInstance: a loaded mesh model placed in the world with its own material and world matrix.
// The model is shared, not owned, and must outlive the instance.
#pragma once

#include "platform/math/d3dx8math.h"
#include "platform/gpu/d3d8.h"
#include "scene/mesh_model.h"

class MeshInstance {
public:
    // The material values in order: diffuse, ambient, specular, emissive (r, g, b, a each), power.
    MeshInstance(MeshModelBase& model, float diffuseR, float diffuseG, float diffuseB, float diffuseA,
                 float ambientR, float ambientG, float ambientB, float ambientA, float specularR, float specularG,
                 float specularB, float specularA, float emissiveR, float emissiveG, float emissiveB,
                 float emissiveA, float power);
    virtual ~MeshInstance() = default;
    MeshInstance(const MeshInstance&) = delete;
    MeshInstance& operator=(const MeshInstance&) = delete;

    // world = world x translation(x, y, z); (x, y, z) also becomes the position of the model's
    // bounding box and the centre of its bounding sphere.
    void Translate(float x, float y, float z);
    // world = world x Rx(ax) x Ry(ay) x Rz(az), angles in radians.
    void Rotate(float ax, float ay, float az);

    MeshModelBase& model;
    D3DMATERIAL8 material{};
    D3DXMATRIX world;
};
