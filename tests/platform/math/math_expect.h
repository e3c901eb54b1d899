// Comparison helpers for the math tests.
#pragma once

#include <cmath>

#include <gtest/gtest.h>

#include "platform/math/d3dx8math.h"

inline void ExpectNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

inline void ExpectNear(const D3DXMATRIX& actual, const D3DXMATRIX& expected, float tolerance = 1e-5f) {
    for (unsigned r = 0; r < 4; ++r)
        for (unsigned c = 0; c < 4; ++c)
            EXPECT_NEAR(actual(r, c), expected(r, c), tolerance) << "element (" << r << ", " << c << ")";
}

inline void ExpectNear(const D3DXQUATERNION& actual, const D3DXQUATERNION& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
    EXPECT_NEAR(actual.w, expected.w, tolerance);
}

inline bool AllFinite(const D3DXMATRIX& m) {
    for (unsigned r = 0; r < 4; ++r)
        for (unsigned c = 0; c < 4; ++c)
            if (!std::isfinite(m(r, c))) return false;
    return true;
}

inline D3DXVECTOR3 Transformed(const D3DXVECTOR3& p, const D3DXMATRIX& m) {
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &p, &m);
    return out;
}
