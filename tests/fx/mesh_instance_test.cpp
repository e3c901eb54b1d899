#include "fx/mesh_instance.h"

#include <gtest/gtest.h>

#include <cmath>
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

TEST(MeshInstanceTest, ConstructorStoresTheMaterialInOrderAndStartsAtIdentity) {
    MeshModelBase model;
    model.boundingBox->position = D3DXVECTOR3(5.0f, 6.0f, 7.0f);
    model.boundingSphere->centre = D3DXVECTOR3(5.0f, 6.0f, 7.0f);
    const MeshInstance instance = MakeInstance(model);
    const D3DMATERIAL8& m = instance.material;
    EXPECT_FLOAT_EQ(m.Diffuse.r, 0.1f);
    EXPECT_FLOAT_EQ(m.Diffuse.a, 0.4f);
    EXPECT_FLOAT_EQ(m.Ambient.r, 0.5f);
    EXPECT_FLOAT_EQ(m.Ambient.a, 0.8f);
    EXPECT_FLOAT_EQ(m.Specular.r, 0.9f);
    EXPECT_FLOAT_EQ(m.Specular.a, 1.2f);
    EXPECT_FLOAT_EQ(m.Emissive.r, 1.3f);
    EXPECT_FLOAT_EQ(m.Emissive.a, 1.6f);
    EXPECT_FLOAT_EQ(m.Power, 1.7f);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_EQ(instance.world, identity);
    // The constructor's Translate(0, 0, 0) places the model's volumes at the origin.
    EXPECT_EQ(model.boundingBox->position, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(model.boundingSphere->centre, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
}

TEST(MeshInstanceTest, TranslateThenRotateAppliesTheRotationLast) {
    MeshModelBase model;
    MeshInstance instance = MakeInstance(model);
    instance.Translate(10.0f, 0.0f, 0.0f);
    instance.Rotate(0.0f, 0.0f, kHalfPi);
    ExpectNear(Place(instance, {0.0f, 0.0f, 0.0f}), 0.0f, 10.0f, 0.0f);
}

TEST(MeshInstanceTest, RotateThenTranslateLeavesTheTranslation) {
    MeshModelBase model;
    MeshInstance instance = MakeInstance(model);
    instance.Rotate(0.0f, 0.0f, kHalfPi);
    instance.Translate(10.0f, 0.0f, 0.0f);
    ExpectNear(Place(instance, {0.0f, 0.0f, 0.0f}), 10.0f, 0.0f, 0.0f);
    // The rotation still turns the model itself: its +X axis now points along +Y.
    ExpectNear(Place(instance, {1.0f, 0.0f, 0.0f}), 10.0f, 1.0f, 0.0f);
}

TEST(MeshInstanceTest, RotationsApplyInXYZOrder) {
    MeshModelBase model;
    MeshInstance instance = MakeInstance(model);
    // Rx(pi/2) takes +Y to +Z, then Ry(pi/2) takes +Z to +X; Ry first would leave +Y alone
    // and Rx would then give +Z.
    instance.Rotate(kHalfPi, kHalfPi, 0.0f);
    ExpectNear(Place(instance, {0.0f, 1.0f, 0.0f}), 1.0f, 0.0f, 0.0f);
}

TEST(MeshInstanceTest, CallsAccumulateAndTheLastTranslationPlacesTheVolumes) {
    MeshModelBase model;
    MeshInstance instance = MakeInstance(model);
    instance.Translate(1.0f, 0.0f, 0.0f);
    instance.Translate(1.0f, 2.0f, 3.0f);
    ExpectNear(Place(instance, {0.0f, 0.0f, 0.0f}), 2.0f, 2.0f, 3.0f);
    EXPECT_EQ(model.boundingBox->position, D3DXVECTOR3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(model.boundingSphere->centre, D3DXVECTOR3(1.0f, 2.0f, 3.0f));

    instance.Rotate(0.0f, 0.0f, kHalfPi);
    instance.Rotate(0.0f, 0.0f, kHalfPi);
    ExpectNear(Place(instance, {0.0f, 0.0f, 0.0f}), -2.0f, -2.0f, 3.0f);
    // Rotating does not move the volumes.
    EXPECT_EQ(model.boundingBox->position, D3DXVECTOR3(1.0f, 2.0f, 3.0f));
}

TEST(MeshInstanceTest, ModelWithoutVolumesCanStillBePlaced) {
    MeshModelBase model;
    model.boundingBox.reset();
    model.boundingSphere.reset();
    MeshInstance instance = MakeInstance(model);
    instance.Translate(4.0f, 5.0f, 6.0f);
    ExpectNear(Place(instance, {0.0f, 0.0f, 0.0f}), 4.0f, 5.0f, 6.0f);
}

TEST(LightTest, DirectionalLightHasNormalisedDirectionAndOnlyAlphaAmbient) {
    const Light light(0.2f, 0.4f, 0.6f, 0.8f, 0.0f, 3.0f, -4.0f);
    const D3DLIGHT8& l = light.light;
    EXPECT_EQ(l.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_FLOAT_EQ(l.Diffuse.g, 0.4f);
    EXPECT_FLOAT_EQ(l.Diffuse.a, 0.8f);
    EXPECT_FLOAT_EQ(l.Ambient.r, 0.0f);
    EXPECT_FLOAT_EQ(l.Ambient.b, 0.0f);
    EXPECT_FLOAT_EQ(l.Ambient.a, 0.8f);
    EXPECT_FLOAT_EQ(l.Direction.y, 0.6f);
    EXPECT_FLOAT_EQ(l.Direction.z, -0.8f);
    EXPECT_FLOAT_EQ(l.Range, 0.0f);
    EXPECT_FLOAT_EQ(l.Specular.r, 0.0f);
}

TEST(LightTest, PointLightHasEqualDiffuseAndAmbientAndNoAttenuation) {
    const Light light(0.2f, 0.4f, 0.6f, 1.0f, 10.0f, -20.0f, 30.0f, 500.0f);
    const D3DLIGHT8& l = light.light;
    EXPECT_EQ(l.Type, D3DLIGHT_POINT);
    EXPECT_FLOAT_EQ(l.Diffuse.b, 0.6f);
    EXPECT_FLOAT_EQ(l.Ambient.b, 0.6f);
    EXPECT_FLOAT_EQ(l.Ambient.r, 0.2f);
    EXPECT_FLOAT_EQ(l.Position.x, 10.0f);
    EXPECT_FLOAT_EQ(l.Position.y, -20.0f);
    EXPECT_FLOAT_EQ(l.Position.z, 30.0f);
    EXPECT_FLOAT_EQ(l.Range, 500.0f);
    EXPECT_FLOAT_EQ(l.Attenuation0 + l.Attenuation1 + l.Attenuation2 + l.Falloff + l.Theta + l.Phi, 0.0f);
}

}  // namespace
