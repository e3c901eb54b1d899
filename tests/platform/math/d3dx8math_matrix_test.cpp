// Matrices: construction, products, inverses, rotations and the camera matrices.
#include <cmath>

#include <gtest/gtest.h>

#include "tests/platform/math/math_expect.h"

namespace {

D3DXMATRIX SampleTransform() {
    D3DXMATRIX s, r, t;
    D3DXMatrixScaling(&s, 2, 0.5f, 3);
    D3DXMatrixRotationYawPitchRoll(&r, 0.3f, -1.1f, 2.0f);
    D3DXMatrixTranslation(&t, 4, -7, 12);
    return s * r * t;
}

// Rows 1-3 of the upper-left 3x3 are unit length and mutually perpendicular.
void ExpectOrthonormal(const D3DXMATRIX& m) {
    for (unsigned i = 0; i < 3; ++i) {
        for (unsigned j = 0; j < 3; ++j) {
            const float dot = m(i, 0) * m(j, 0) + m(i, 1) * m(j, 1) + m(i, 2) * m(j, 2);
            EXPECT_NEAR(dot, i == j ? 1.0f : 0.0f, 1e-5f) << "rows " << i << ", " << j;
        }
    }
}

}  // namespace

TEST(D3dxMatrix, ConstructionAccessAndIdentity) {
    D3DXMATRIX m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    EXPECT_EQ(m(0, 1), 2.0f);
    EXPECT_EQ(m(3, 2), 15.0f);
    EXPECT_EQ(m._32, 10.0f);
    m(1, 0) = -5;
    EXPECT_EQ(m._21, -5.0f);
    const float* f = m;
    EXPECT_EQ(D3DXMATRIX(f), m);

    D3DXMATRIX id;
    EXPECT_FALSE(D3DXMatrixIsIdentity(&id));  // default is zero
    D3DXMatrixIdentity(&id);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&id));
    id._43 = 1e-7f;
    EXPECT_FALSE(D3DXMatrixIsIdentity(&id));
}

TEST(D3dxMatrix, MultiplyAppliesLeftOperandFirst) {
    D3DXMATRIX t, s, out;
    D3DXMatrixTranslation(&t, 1, 0, 0);
    D3DXMatrixScaling(&s, 2, 2, 2);
    const D3DXVECTOR3 p(1, 1, 1);
    ExpectNear(Transformed(p, *D3DXMatrixMultiply(&out, &t, &s)), D3DXVECTOR3(4, 2, 2));
    ExpectNear(Transformed(p, s * t), D3DXVECTOR3(3, 2, 2));
    // Aliasing the output with an operand.
    D3DXMatrixMultiply(&t, &t, &s);
    ExpectNear(t, out);
    D3DXMATRIX u = s;
    u *= s;
    ExpectNear(Transformed(p, u), D3DXVECTOR3(4, 4, 4));
}

TEST(D3dxMatrix, ElementwiseOperators) {
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    const D3DXMATRIX twice = id + id;
    EXPECT_EQ(twice, id * 2.0f);
    EXPECT_EQ(twice - id, id);
    EXPECT_EQ(twice / 2.0f, id);
    EXPECT_EQ((-id)._44, -1.0f);
}

TEST(D3dxMatrix, AxisRotationsFollowRowVectorConvention) {
    D3DXMATRIX r;
    ExpectNear(Transformed({1, 0, 0}, *D3DXMatrixRotationZ(&r, D3DX_PI / 2)), D3DXVECTOR3(0, 1, 0));
    ExpectNear(Transformed({0, 1, 0}, *D3DXMatrixRotationX(&r, D3DX_PI / 2)), D3DXVECTOR3(0, 0, 1));
    ExpectNear(Transformed({0, 0, 1}, *D3DXMatrixRotationY(&r, D3DX_PI / 2)), D3DXVECTOR3(1, 0, 0));
    const float c = std::cos(0.4f), s = std::sin(0.4f);
    D3DXMatrixRotationZ(&r, 0.4f);
    ExpectNear(r, D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));
    D3DXMatrixRotationX(&r, 0.4f);
    ExpectNear(r, D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1));
    D3DXMatrixRotationY(&r, 0.4f);
    ExpectNear(r, D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1));
}

TEST(D3dxMatrix, RotationAxisMatchesAxisRotations) {
    D3DXMATRIX axisRotation, expected;
    const D3DXVECTOR3 x(3, 0, 0), y(0, 0.5f, 0), z(0, 0, 1);
    ExpectNear(*D3DXMatrixRotationAxis(&axisRotation, &x, 0.7f), *D3DXMatrixRotationX(&expected, 0.7f));
    ExpectNear(*D3DXMatrixRotationAxis(&axisRotation, &y, -1.3f), *D3DXMatrixRotationY(&expected, -1.3f));
    ExpectNear(*D3DXMatrixRotationAxis(&axisRotation, &z, 2.5f), *D3DXMatrixRotationZ(&expected, 2.5f));
    // A diagonal axis: the axis itself is fixed, and a third of a turn cycles the coordinate axes.
    const D3DXVECTOR3 diagonal(1, 1, 1);
    D3DXMatrixRotationAxis(&axisRotation, &diagonal, 2 * D3DX_PI / 3);
    ExpectNear(Transformed(diagonal, axisRotation), diagonal);
    ExpectNear(Transformed({1, 0, 0}, axisRotation), D3DXVECTOR3(0, 1, 0));
    const D3DXVECTOR3 zero(0, 0, 0);
    EXPECT_TRUE(D3DXMatrixIsIdentity(D3DXMatrixRotationAxis(&axisRotation, &zero, 1.0f)));
}

TEST(D3dxMatrix, YawPitchRollRotatesRollThenPitchThenYaw) {
    const float yaw = 0.5f, pitch = -0.8f, roll = 1.9f;
    D3DXMATRIX ypr, rz, rx, ry;
    D3DXMatrixRotationYawPitchRoll(&ypr, yaw, pitch, roll);
    D3DXMatrixRotationZ(&rz, roll);
    D3DXMatrixRotationX(&rx, pitch);
    D3DXMatrixRotationY(&ry, yaw);
    ExpectNear(ypr, rz * rx * ry);
    // The order is observable: (1, 0, 0) rolled a quarter turn lies on +Y, which yaw keeps.
    D3DXMatrixRotationYawPitchRoll(&ypr, D3DX_PI / 2, 0, D3DX_PI / 2);
    ExpectNear(Transformed({1, 0, 0}, ypr), D3DXVECTOR3(0, 1, 0));
    D3DXMatrixRotationYawPitchRoll(&ypr, D3DX_PI / 2, D3DX_PI / 2, 0);
    ExpectNear(Transformed({0, 1, 0}, ypr), D3DXVECTOR3(1, 0, 0));
}

TEST(D3dxMatrix, InverseDeterminantAndTranspose) {
    const D3DXMATRIX m = SampleTransform();
    float det = 0;
    D3DXMATRIX inv;
    ASSERT_EQ(D3DXMatrixInverse(&inv, &det, &m), &inv);
    EXPECT_NEAR(det, 3.0f, 1e-4f);  // rotations keep volume: 2 * 0.5 * 3
    EXPECT_NEAR(D3DXMatrixDeterminant(&m), det, 1e-5f);
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    ExpectNear(m * inv, id);
    ExpectNear(inv * m, id);
    ASSERT_NE(D3DXMatrixInverse(&inv, nullptr, &inv), nullptr);  // in place, no determinant
    ExpectNear(inv, m, 1e-4f);

    D3DXMATRIX singular, out = id;
    D3DXMatrixScaling(&singular, 1, 0, 1);
    det = 5;
    EXPECT_EQ(D3DXMatrixInverse(&out, &det, &singular), nullptr);
    EXPECT_EQ(det, 0.0f);
    EXPECT_EQ(out, id);  // untouched

    D3DXMATRIX t;
    D3DXMatrixTranspose(&t, &m);
    EXPECT_EQ(t(0, 3), m(3, 0));
    EXPECT_EQ(t(2, 1), m(1, 2));
    D3DXMatrixTranspose(&t, &t);
    EXPECT_EQ(t, m);
}

TEST(D3dxMatrix, LookAtMapsEyeToOriginAndTargetOntoPlusZ) {
    const D3DXVECTOR3 eye(100, -40, 25), at(-30, 60, 10), up(0, 0, 1);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    ExpectNear(Transformed(eye, view), D3DXVECTOR3(0, 0, 0), 1e-3f);
    D3DXVECTOR3 d = at - eye;
    ExpectNear(Transformed(at, view), D3DXVECTOR3(0, 0, D3DXVec3Length(&d)), 1e-3f);
    ExpectOrthonormal(view);
    // World up stays up on screen: a point above the eye has positive view y and no view x.
    const D3DXVECTOR3 above = eye + D3DXVECTOR3(0, 0, 10);
    const D3DXVECTOR3 viewAbove = Transformed(above, view);
    EXPECT_GT(viewAbove.y, 0.0f);
    EXPECT_NEAR(viewAbove.x, 0.0f, 1e-3f);
    // Left-handed: looking along +Y with Z up, world +X is on the left of the picture.
    const D3DXVECTOR3 origin(0, 0, 0), north(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &origin, &north, &up);
    EXPECT_LT(Transformed({1, 0, 0}, view).x, 0.0f);
    ExpectNear(view, D3DXMATRIX(-1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1));
}

TEST(D3dxMatrix, LookAtWithDegenerateInputStaysFinite) {
    const D3DXVECTOR3 eye(5, 6, 7), up(0, 0, 1);
    D3DXMATRIX view;
    // Eye on the look-at point: a level view along +Y.
    D3DXMatrixLookAtLH(&view, &eye, &eye, &up);
    ASSERT_TRUE(AllFinite(view));
    ExpectOrthonormal(view);
    ExpectNear(Transformed(eye, view), D3DXVECTOR3(0, 0, 0), 1e-4f);
    ExpectNear(Transformed(eye + D3DXVECTOR3(0, 1, 0), view), D3DXVECTOR3(0, 0, 1), 1e-4f);

    // Up parallel to the view direction (looking straight down).
    const D3DXVECTOR3 below(5, 6, -20);
    D3DXMatrixLookAtLH(&view, &eye, &below, &up);
    ASSERT_TRUE(AllFinite(view));
    ExpectOrthonormal(view);
    ExpectNear(Transformed(below, view), D3DXVECTOR3(0, 0, 27), 1e-3f);

    // Zero up vector, and everything degenerate at once.
    const D3DXVECTOR3 zero(0, 0, 0), at(1, 2, 3);
    D3DXMatrixLookAtLH(&view, &eye, &at, &zero);
    ASSERT_TRUE(AllFinite(view));
    ExpectOrthonormal(view);
    D3DXMatrixLookAtLH(&view, &zero, &zero, &zero);
    ASSERT_TRUE(AllFinite(view));
    ExpectOrthonormal(view);
}

TEST(D3dxMatrix, PerspectiveFovForTheShowsFrustum) {
    D3DXMATRIX proj;
    const float aspect = 800.0f / 600.0f;
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 4, aspect, 2.0f, 15000.0f);
    EXPECT_NEAR(proj(0, 0), 1.81066f, 1e-5f);
    EXPECT_NEAR(proj(1, 1), 2.4142134f, 1e-5f);
    const float q = 15000.0f / 14998.0f;
    EXPECT_FLOAT_EQ(proj(2, 2), q);
    EXPECT_FLOAT_EQ(proj(2, 3), 1.0f);
    EXPECT_FLOAT_EQ(proj(3, 2), -2.0f * q);
    EXPECT_EQ(proj(3, 3), 0.0f);
    EXPECT_EQ(proj(0, 1), 0.0f);
    // Depth: the near plane maps to 0, the far plane to 1.
    EXPECT_NEAR(Transformed({0, 0, 2}, proj).z, 0.0f, 1e-6f);
    EXPECT_NEAR(Transformed({0, 0, 15000}, proj).z, 1.0f, 1e-5f);
}

TEST(D3dxMatrix, OrthoMapsTheBoxOntoClipSpace) {
    D3DXMATRIX ortho;
    D3DXMatrixOrthoLH(&ortho, 640, 480, 1, 11);
    ExpectNear(Transformed({320, 240, 11}, ortho), D3DXVECTOR3(1, 1, 1));
    ExpectNear(Transformed({-320, -240, 1}, ortho), D3DXVECTOR3(-1, -1, 0));
    EXPECT_EQ(ortho(3, 3), 1.0f);
}
