// Vectors, planes and colours.
#include <cmath>

#include <gtest/gtest.h>

#include "tests/platform/math/math_expect.h"

TEST(D3dxVector3, OperatorsComputeComponentwise) {
    const D3DXVECTOR3 a(1, 2, 3), b(4, -5, 6);
    ExpectNear(a + b, D3DXVECTOR3(5, -3, 9));
    ExpectNear(a - b, D3DXVECTOR3(-3, 7, -3));
    ExpectNear(a * 2.0f, D3DXVECTOR3(2, 4, 6));
    ExpectNear(2.0f * a, D3DXVECTOR3(2, 4, 6));
    ExpectNear(b / 2.0f, D3DXVECTOR3(2, -2.5f, 3));
    ExpectNear(-a, D3DXVECTOR3(-1, -2, -3));
    D3DXVECTOR3 c = a;
    c += b;
    c -= D3DXVECTOR3(1, 1, 1);
    c *= 3.0f;
    ExpectNear(c, D3DXVECTOR3(12, -12, 24));
    EXPECT_TRUE(a == D3DXVECTOR3(1, 2, 3));
    EXPECT_TRUE(a != b);
    const float* f = a;
    EXPECT_EQ(f[2], 3.0f);
}

TEST(D3dxVector3, LengthDotAndCross) {
    const D3DXVECTOR3 v(3, 4, 12);
    EXPECT_FLOAT_EQ(D3DXVec3Length(&v), 13.0f);
    EXPECT_FLOAT_EQ(D3DXVec3LengthSq(&v), 169.0f);
    const D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    EXPECT_FLOAT_EQ(D3DXVec3Dot(&v, &z), 12.0f);
    D3DXVECTOR3 r;
    ExpectNear(*D3DXVec3Cross(&r, &x, &y), z);
    ExpectNear(*D3DXVec3Cross(&r, &y, &z), x);
    ExpectNear(*D3DXVec3Cross(&r, &y, &x), -z);
    // Output aliasing an input still gives the right answer.
    D3DXVECTOR3 a(1, 2, 3);
    const D3DXVECTOR3 b(4, 5, 6);
    D3DXVec3Cross(&a, &a, &b);
    ExpectNear(a, D3DXVECTOR3(-3, 6, -3));
}

TEST(D3dxVector3, NormalizeKeepsZeroVectorZero) {
    D3DXVECTOR3 out(9, 9, 9);
    const D3DXVECTOR3 v(0, -3, 4);
    ExpectNear(*D3DXVec3Normalize(&out, &v), D3DXVECTOR3(0, -0.6f, 0.8f));
    const D3DXVECTOR3 zero(0, 0, 0);
    D3DXVec3Normalize(&out, &zero);
    EXPECT_EQ(out, zero);
    const D3DXVECTOR3 tiny(1e-30f, 0, 0);
    D3DXVec3Normalize(&out, &tiny);
    EXPECT_TRUE(std::isfinite(out.x) && std::isfinite(out.y) && std::isfinite(out.z));
}

TEST(D3dxVector3, ArithmeticHelpers) {
    const D3DXVECTOR3 a(1, 5, -2), b(3, -1, 4);
    D3DXVECTOR3 r;
    ExpectNear(*D3DXVec3Add(&r, &a, &b), D3DXVECTOR3(4, 4, 2));
    ExpectNear(*D3DXVec3Subtract(&r, &a, &b), D3DXVECTOR3(-2, 6, -6));
    ExpectNear(*D3DXVec3Scale(&r, &a, -2), D3DXVECTOR3(-2, -10, 4));
    ExpectNear(*D3DXVec3Lerp(&r, &a, &b, 0.25f), D3DXVECTOR3(1.5f, 3.5f, -0.5f));
    ExpectNear(*D3DXVec3Lerp(&r, &a, &b, 1.0f), b);
    ExpectNear(*D3DXVec3Minimize(&r, &a, &b), D3DXVECTOR3(1, -1, -2));
    ExpectNear(*D3DXVec3Maximize(&r, &a, &b), D3DXVECTOR3(3, 5, 4));
}

TEST(D3dxVector3, TransformsTreatTranslationAndWAsPublished) {
    D3DXMATRIX t;
    D3DXMatrixTranslation(&t, 10, 20, 30);
    const D3DXVECTOR3 p(1, 2, 3);
    D3DXVECTOR3 r;
    ExpectNear(*D3DXVec3TransformCoord(&r, &p, &t), D3DXVECTOR3(11, 22, 33));
    ExpectNear(*D3DXVec3TransformNormal(&r, &p, &t), p);
    D3DXVECTOR4 r4;
    D3DXVec3Transform(&r4, &p, &t);
    EXPECT_FLOAT_EQ(r4.x, 11);
    EXPECT_FLOAT_EQ(r4.w, 1);

    // A projection gives w = z; TransformCoord divides by it, Transform keeps it.
    D3DXMATRIX proj;
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 2, 1.0f, 1.0f, 100.0f);
    const D3DXVECTOR3 q(5, -5, 10);
    D3DXVec3Transform(&r4, &q, &proj);
    EXPECT_NEAR(r4.w, 10.0f, 1e-5f);
    D3DXVec3TransformCoord(&r, &q, &proj);
    ExpectNear(r, D3DXVECTOR3(r4.x / r4.w, r4.y / r4.w, r4.z / r4.w));
    EXPECT_NEAR(r.x, 0.5f, 1e-5f);

    // A point on the eye plane (w = 0) gives finite numbers.
    const D3DXVECTOR3 onEyePlane(1, 1, 0);
    D3DXVec3TransformCoord(&r, &onEyePlane, &proj);
    EXPECT_TRUE(std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.z));
}

TEST(D3dxVector4, TransformAndDot) {
    D3DXMATRIX s;
    D3DXMatrixScaling(&s, 2, 3, 4);
    s._41 = 1;  // translation scaled by w
    const D3DXVECTOR4 v(1, 1, 1, 2);
    D3DXVECTOR4 r;
    D3DXVec4Transform(&r, &v, &s);
    EXPECT_EQ(r, D3DXVECTOR4(4, 3, 4, 2));
    EXPECT_FLOAT_EQ(D3DXVec4Dot(&v, &v), 7.0f);
    const D3DXVECTOR2 a(3, 4);
    EXPECT_FLOAT_EQ(D3DXVec2Length(&a), 5.0f);
}

TEST(D3dxPlane, PointNormalDistanceAndNormalize) {
    const D3DXVECTOR3 point(0, 0, 5), normal(0, 0, 2);
    D3DXPLANE plane;
    D3DXPlaneFromPointNormal(&plane, &point, &normal);
    const D3DXVECTOR3 above(3, 4, 6);
    EXPECT_FLOAT_EQ(D3DXPlaneDotCoord(&plane, &above), 2.0f);
    EXPECT_FLOAT_EQ(D3DXPlaneDotNormal(&plane, &above), 12.0f);
    D3DXPlaneNormalize(&plane, &plane);
    EXPECT_EQ(plane, D3DXPLANE(0, 0, 1, -5));
    const D3DXPLANE zero;
    D3DXPlaneNormalize(&plane, &zero);
    EXPECT_EQ(plane, zero);
}

TEST(D3dxColor, ConvertsToAndFromArgb) {
    const D3DXCOLOR c(0x80FF4000u);
    EXPECT_FLOAT_EQ(c.a, 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(c.r, 1.0f);
    EXPECT_FLOAT_EQ(c.g, 64.0f / 255.0f);
    EXPECT_FLOAT_EQ(c.b, 0.0f);
    EXPECT_EQ(static_cast<D3DCOLOR>(c), 0x80FF4000u);
    for (DWORD v : {0x00000000u, 0xFFFFFFFFu, 0x12345678u, 0xFE01807Fu})
        EXPECT_EQ(static_cast<D3DCOLOR>(D3DXCOLOR(v)), v);
    // Out-of-range channels clamp; values round to the nearest byte.
    EXPECT_EQ(static_cast<D3DCOLOR>(D3DXCOLOR(2.0f, -1.0f, 0.5f, 1.0f)), 0xFFFF0080u);
    EXPECT_EQ(static_cast<D3DCOLOR>(D3DXCOLOR(NAN, 0, 0, 0)), 0u);
}

TEST(D3dxColor, LerpModulateAndScale) {
    const D3DXCOLOR a(0, 0.5f, 1, 1), b(1, 0.5f, 0, 0.5f);
    D3DXCOLOR r;
    D3DXColorLerp(&r, &a, &b, 0.5f);
    EXPECT_EQ(r, D3DXCOLOR(0.5f, 0.5f, 0.5f, 0.75f));
    D3DXColorModulate(&r, &a, &b);
    EXPECT_EQ(r, D3DXCOLOR(0, 0.25f, 0, 0.5f));
    D3DXColorScale(&r, &b, 0.5f);
    EXPECT_EQ(r, D3DXCOLOR(0.5f, 0.25f, 0, 0.5f));  // alpha kept
}
