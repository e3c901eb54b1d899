#include "fx/mesh_instance.h"

#include <gtest/gtest.h>

#include <numbers>

#include "fx/light.h"

namespace {

constexpr float kHalfPi = std::numbers::pi_v<float> / 2.0f;

D3DXVECTOR3 Place(const MeshInstance& instance, D3DXVECTOR3 point) {
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &point, &instance.world);
    return out;
}

void ExpectNear(const D3DXVECTOR3& actual, float x, float y, float z) {
    EXPECT_NEAR(actual.x, x, 1e-4f);
    EXPECT_NEAR(actual.y, y, 1e-4f);
    EXPECT_NEAR(actual.z, z, 1e-4f);
}

MeshInstance MakeInstance(MeshModelBase& model) {
    return MeshInstance(model, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 1.0f, 1.1f, 1.2f, 1.3f, 1.4f,
                        1.5f, 1.6f, 1.7f);
}

TEST(MeshInstanceTest, MaterialInArgumentOrderAndIdentityWorldAtTheOrigin) {
    MeshModelBase model;
    model.boundingBox->position = D3DXVECTOR3(5.0f, 6.0f, 7.0f);
    const MeshInstance instance = MakeInstance(model);
    EXPECT_FLOAT_EQ(instance.material.Diffuse.a, 0.4f);
    EXPECT_FLOAT_EQ(instance.material.Ambient.r, 0.5f);
    EXPECT_FLOAT_EQ(instance.material.Specular.b, 1.1f);
    EXPECT_FLOAT_EQ(instance.material.Emissive.r, 1.3f);
    EXPECT_FLOAT_EQ(instance.material.Power, 1.7f);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_EQ(instance.world, identity);
    EXPECT_EQ(model.boundingBox->position, D3DXVECTOR3(0.0f, 0.0f, 0.0f));  // placed by Translate(0, 0, 0)
}

TEST(MeshInstanceTest, TranslateThenRotateSwingsThePositionRound) {
    MeshModelBase model;
    MeshInstance instance = MakeInstance(model);
    instance.Translate(10.0f, 0.0f, 0.0f);
    instance.Rotate(0.0f, 0.0f, kHalfPi);
    ExpectNear(Place(instance, {0.0f, 0.0f, 0.0f}), 0.0f, 10.0f, 0.0f);
}

TEST(MeshInstanceTest, RotateThenTranslateTurnsOnlyTheModel) {
    MeshModelBase model;
    MeshInstance instance = MakeInstance(model);
    instance.Rotate(0.0f, 0.0f, kHalfPi);
    instance.Translate(10.0f, 0.0f, 0.0f);
    ExpectNear(Place(instance, {0.0f, 0.0f, 0.0f}), 10.0f, 0.0f, 0.0f);
    ExpectNear(Place(instance, {1.0f, 0.0f, 0.0f}), 10.0f, 1.0f, 0.0f);
}

TEST(MeshInstanceTest, RotationsApplyInXYZOrder) {
    MeshModelBase model;
    MeshInstance instance = MakeInstance(model);
    // Rx(pi/2) takes +Y to +Z, then Ry(pi/2) takes +Z to +X (the other order would give +Z).
    instance.Rotate(kHalfPi, kHalfPi, 0.0f);
    ExpectNear(Place(instance, {0.0f, 1.0f, 0.0f}), 1.0f, 0.0f, 0.0f);
}

TEST(MeshInstanceTest, CallsAccumulateAndTheLastTranslationPlacesTheVolumes) {
    MeshModelBase model;
    MeshInstance instance = MakeInstance(model);
    instance.Translate(1.0f, 0.0f, 0.0f);
    instance.Translate(1.0f, 2.0f, 3.0f);
    instance.Rotate(0.0f, 0.0f, kHalfPi);
    instance.Rotate(0.0f, 0.0f, kHalfPi);
    ExpectNear(Place(instance, {0.0f, 0.0f, 0.0f}), -2.0f, -2.0f, 3.0f);
    EXPECT_EQ(model.boundingBox->position, D3DXVECTOR3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(model.boundingSphere->centre, D3DXVECTOR3(1.0f, 2.0f, 3.0f));
}

TEST(LightTest, DirectionalAndPointRecords) {
    const Light sun(0.2f, 0.4f, 0.6f, 0.8f, 0.0f, 3.0f, -4.0f);
    EXPECT_EQ(sun.light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_FLOAT_EQ(sun.light.Diffuse.g, 0.4f);
    EXPECT_FLOAT_EQ(sun.light.Ambient.r, 0.0f);
    EXPECT_FLOAT_EQ(sun.light.Ambient.a, 0.8f);
    EXPECT_FLOAT_EQ(sun.light.Direction.y, 0.6f);
    EXPECT_FLOAT_EQ(sun.light.Direction.z, -0.8f);

    const Light lamp(0.2f, 0.4f, 0.6f, 1.0f, 10.0f, -20.0f, 30.0f, 500.0f);
    EXPECT_EQ(lamp.light.Type, D3DLIGHT_POINT);
    EXPECT_FLOAT_EQ(lamp.light.Ambient.b, 0.6f);
    EXPECT_FLOAT_EQ(lamp.light.Position.y, -20.0f);
    EXPECT_FLOAT_EQ(lamp.light.Range, 500.0f);
    EXPECT_FLOAT_EQ(lamp.light.Attenuation0 + lamp.light.Attenuation1 + lamp.light.Attenuation2, 0.0f);
}

}  // namespace
