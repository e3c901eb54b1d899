// Quaternions: products, conversions to and from matrices, interpolation.
#include <array>
#include <cmath>

#include <gtest/gtest.h>

#include "tests/platform/math/math_expect.h"

namespace {

D3DXQUATERNION AxisAngle(float x, float y, float z, float angle) {
    const D3DXVECTOR3 axis(x, y, z);
    D3DXQUATERNION q;
    D3DXQuaternionRotationAxis(&q, &axis, angle);
    return q;
}

D3DXMATRIX MatrixOf(const D3DXQUATERNION& q) {
    D3DXMATRIX m;
    D3DXMatrixRotationQuaternion(&m, &q);
    return m;
}

}  // namespace

TEST(D3dxQuaternion, IdentityAndAxisRotationMatchTheMatrices) {
    D3DXQUATERNION q;
    D3DXQuaternionIdentity(&q);
    EXPECT_EQ(q, D3DXQUATERNION(0, 0, 0, 1));
    const D3DXMATRIX m = MatrixOf(q);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&m));

    const D3DXVECTOR3 axis(1, -2, 0.5f);
    D3DXMATRIX expected;
    D3DXMatrixRotationAxis(&expected, &axis, 1.2f);
    ExpectNear(MatrixOf(AxisAngle(1, -2, 0.5f, 1.2f)), expected);
    ExpectNear(AxisAngle(0, 0, 1, D3DX_PI / 2), D3DXQUATERNION(0, 0, std::sqrt(0.5f), std::sqrt(0.5f)));
    ExpectNear(AxisAngle(0, 0, 0, 1.0f), D3DXQUATERNION(0, 0, 0, 1));
}

TEST(D3dxQuaternion, MultiplyAppliesFirstOperandFirst) {
    const D3DXQUATERNION aboutZ = AxisAngle(0, 0, 1, D3DX_PI / 2), aboutX = AxisAngle(1, 0, 0, D3DX_PI / 2);
    D3DXQUATERNION q;
    D3DXQuaternionMultiply(&q, &aboutZ, &aboutX);
    // Z first takes +X to +Y, then X takes +Y to +Z.
    ExpectNear(Transformed({1, 0, 0}, MatrixOf(q)), D3DXVECTOR3(0, 0, 1));
    ExpectNear(MatrixOf(q), MatrixOf(aboutZ) * MatrixOf(aboutX));
    ExpectNear(aboutZ * aboutX, q);
    const D3DXQUATERNION a = AxisAngle(0.3f, 1, -0.2f, 0.9f), b = AxisAngle(-1, 0.4f, 2, -2.1f);
    D3DXQuaternionMultiply(&q, &a, &b);
    ExpectNear(MatrixOf(q), MatrixOf(a) * MatrixOf(b));
    D3DXQUATERNION aliased = a;
    D3DXQuaternionMultiply(&aliased, &aliased, &b);
    ExpectNear(aliased, q);
}

TEST(D3dxQuaternion, MatrixRoundTripCoversEveryBranch) {
    // Small angles (positive trace) and half turns about each axis (each diagonal element largest).
    const D3DXQUATERNION samples[] = {
        AxisAngle(1, 2, 3, 0.4f),      AxisAngle(1, 0, 0, D3DX_PI),     AxisAngle(0, 1, 0, D3DX_PI),
        AxisAngle(0, 0, 1, D3DX_PI),   AxisAngle(1, 0.1f, 0.2f, 3.0f),  AxisAngle(0.1f, 1, -0.2f, 2.9f),
        AxisAngle(-0.2f, 0.1f, 1, 3.1f), AxisAngle(1, 1, 1, -2.0f),
    };
    for (const D3DXQUATERNION& q : samples) {
        D3DXQUATERNION back;
        const D3DXMATRIX m = MatrixOf(q);
        D3DXQuaternionRotationMatrix(&back, &m);
        // q and -q are the same rotation.
        const float sign = D3DXQuaternionDot(&back, &q) < 0 ? -1.0f : 1.0f;
        ExpectNear(back * sign, q, 1e-5f);
        EXPECT_NEAR(D3DXQuaternionLength(&back), 1.0f, 1e-5f);
    }
    D3DXQUATERNION fromIdentity;
    D3DXMATRIX id;
    D3DXQuaternionRotationMatrix(&fromIdentity, D3DXMatrixIdentity(&id));
    ExpectNear(fromIdentity, D3DXQUATERNION(0, 0, 0, 1));
}

TEST(D3dxQuaternion, YawPitchRollMatchesTheMatrixVersion) {
    for (const auto& [yaw, pitch, roll] : {std::array{0.5f, -0.8f, 1.9f}, std::array{-2.0f, 0.1f, 0.0f},
                                           std::array{3.0f, 1.5f, -2.5f}}) {
        D3DXQUATERNION q;
        D3DXMATRIX expected;
        D3DXQuaternionRotationYawPitchRoll(&q, yaw, pitch, roll);
        D3DXMatrixRotationYawPitchRoll(&expected, yaw, pitch, roll);
        ExpectNear(MatrixOf(q), expected);
    }
}

TEST(D3dxQuaternion, SlerpHitsEndpointsAndTakesTheShortPath) {
    const D3DXQUATERNION from = AxisAngle(0, 0, 1, 0.0f), to = AxisAngle(0, 0, 1, D3DX_PI / 2);
    D3DXQUATERNION q;
    ExpectNear(*D3DXQuaternionSlerp(&q, &from, &to, 0.0f), from);
    ExpectNear(*D3DXQuaternionSlerp(&q, &from, &to, 1.0f), to);
    ExpectNear(*D3DXQuaternionSlerp(&q, &from, &to, 0.5f), AxisAngle(0, 0, 1, D3DX_PI / 4));
    ExpectNear(*D3DXQuaternionSlerp(&q, &from, &to, 0.25f), AxisAngle(0, 0, 1, D3DX_PI / 8));

    // -to is the same rotation; halfway must still be the 45-degree turn, not 135 degrees the long way.
    const D3DXQUATERNION negated = -to;
    D3DXQuaternionSlerp(&q, &from, &negated, 0.5f);
    ExpectNear(MatrixOf(q), MatrixOf(AxisAngle(0, 0, 1, D3DX_PI / 4)));
    // A 270-degree turn is reached the short way, through -45 degrees.
    const D3DXQUATERNION far = AxisAngle(0, 0, 1, 3 * D3DX_PI / 2);
    D3DXQuaternionSlerp(&q, &from, &far, 0.5f);
    ExpectNear(MatrixOf(q), MatrixOf(AxisAngle(0, 0, 1, -D3DX_PI / 4)));

    // Nearly equal inputs stay finite and unit length.
    const D3DXQUATERNION near = AxisAngle(0, 0, 1, 1e-5f);
    D3DXQuaternionSlerp(&q, &from, &near, 0.5f);
    EXPECT_TRUE(std::isfinite(q.x) && std::isfinite(q.w));
    EXPECT_NEAR(D3DXQuaternionLength(&q), 1.0f, 1e-5f);
    D3DXQuaternionSlerp(&q, &to, &to, 0.3f);
    ExpectNear(q, to);
}

TEST(D3dxQuaternion, NormalizeConjugateAndInverse) {
    D3DXQUATERNION q(1, 2, 2, 4), r;
    ExpectNear(*D3DXQuaternionNormalize(&r, &q), D3DXQUATERNION(0.2f, 0.4f, 0.4f, 0.8f));
    const D3DXQUATERNION zero;
    D3DXQuaternionNormalize(&r, &zero);
    EXPECT_EQ(r, zero);
    EXPECT_EQ(*D3DXQuaternionConjugate(&r, &q), D3DXQUATERNION(-1, -2, -2, 4));

    D3DXQuaternionInverse(&r, &q);
    D3DXQUATERNION product;
    ExpectNear(*D3DXQuaternionMultiply(&product, &q, &r), D3DXQUATERNION(0, 0, 0, 1));
    ExpectNear(*D3DXQuaternionMultiply(&product, &r, &q), D3DXQUATERNION(0, 0, 0, 1));
    const D3DXQUATERNION unit = AxisAngle(1, 1, 0, 0.8f);
    D3DXQUATERNION conjugate;
    ExpectNear(*D3DXQuaternionInverse(&r, &unit), *D3DXQuaternionConjugate(&conjugate, &unit));
    D3DXQuaternionInverse(&r, &zero);
    EXPECT_EQ(r, zero);
}
