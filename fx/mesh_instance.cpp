#include "fx/mesh_instance.h"

MeshInstance::MeshInstance(MeshModelBase& meshModel, float diffuseR, float diffuseG, float diffuseB,
                           float diffuseA, float ambientR, float ambientG, float ambientB, float ambientA,
                           float specularR, float specularG, float specularB, float specularA, float emissiveR,
                           float emissiveG, float emissiveB, float emissiveA, float power)
    : model(meshModel) {
    material.Diffuse = {diffuseR, diffuseG, diffuseB, diffuseA};
    material.Ambient = {ambientR, ambientG, ambientB, ambientA};
    material.Specular = {specularR, specularG, specularB, specularA};
    material.Emissive = {emissiveR, emissiveG, emissiveB, emissiveA};
    material.Power = power;
    D3DXMatrixIdentity(&world);
    Translate(0.0f, 0.0f, 0.0f);
    Rotate(0.0f, 0.0f, 0.0f);
}

void MeshInstance::Translate(float x, float y, float z) {
    D3DXMATRIX translation;
    D3DXMatrixTranslation(&translation, x, y, z);
    D3DXMatrixMultiply(&world, &world, &translation);
    const D3DXVECTOR3 position(x, y, z);
    if (model.boundingBox) model.boundingBox->position = position;
    if (model.boundingSphere) model.boundingSphere->centre = position;
}

void MeshInstance::Rotate(float ax, float ay, float az) {
    D3DXMATRIX rotation;
    D3DXMatrixRotationX(&rotation, ax);
    D3DXMatrixMultiply(&world, &world, &rotation);
    D3DXMatrixRotationY(&rotation, ay);
    D3DXMatrixMultiply(&world, &world, &rotation);
    D3DXMatrixRotationZ(&rotation, az);
    D3DXMatrixMultiply(&world, &world, &rotation);
}
