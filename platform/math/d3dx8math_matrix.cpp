// 4x4 matrices of the helper library (row-major, row vectors, left-handed).
#include <cmath>
#include <initializer_list>

#include "platform/math/d3dx8math.h"

// ---- D3DXMATRIX members -------------------------------------------------------------------

D3DXMATRIX::D3DXMATRIX(const float* f) : D3DMATRIX{} {
    for (int i = 0; i < 16; ++i) m[i / 4][i % 4] = f[i];
}

D3DXMATRIX::D3DXMATRIX(float f11, float f12, float f13, float f14, float f21, float f22, float f23, float f24,
                       float f31, float f32, float f33, float f34, float f41, float f42, float f43, float f44)
    : D3DMATRIX{} {
    _11 = f11; _12 = f12; _13 = f13; _14 = f14;
    _21 = f21; _22 = f22; _23 = f23; _24 = f24;
    _31 = f31; _32 = f32; _33 = f33; _34 = f34;
    _41 = f41; _42 = f42; _43 = f43; _44 = f44;
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& other) {
    D3DXMatrixMultiply(this, this, &other);
    return *this;
}

D3DXMATRIX& D3DXMATRIX::operator+=(const D3DXMATRIX& other) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m[r][c] += other.m[r][c];
    return *this;
}

D3DXMATRIX& D3DXMATRIX::operator-=(const D3DXMATRIX& other) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m[r][c] -= other.m[r][c];
    return *this;
}

D3DXMATRIX& D3DXMATRIX::operator*=(float f) {
    for (auto& row : m)
        for (float& v : row) v *= f;
    return *this;
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& other) const {
    D3DXMATRIX r;
    D3DXMatrixMultiply(&r, this, &other);
    return r;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& other) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m[r][c] != other.m[r][c]) return false;
    return true;
}

// ---- Functions ----------------------------------------------------------------------------

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
    *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

bool D3DXMatrixIsIdentity(const D3DXMATRIX* m) {
    D3DXMATRIX identity;
    return *m == *D3DXMatrixIdentity(&identity);
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a->m[i][0] * b->m[0][j] + a->m[i][1] * b->m[1][j] + a->m[i][2] * b->m[2][j] +
                        a->m[i][3] * b->m[3][j];
    *out = r;
    return out;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m) {
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = m->m[j][i];
    *out = r;
    return out;
}

namespace {

// Cofactors of a 4x4 matrix in double precision: cof[i][j] belongs to element (i, j).
void Cofactors(const D3DXMATRIX& m, double cof[4][4]) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            double minor[3][3];
            for (int r = 0, mr = 0; r < 4; ++r) {
                if (r == i) continue;
                for (int c = 0, mc = 0; c < 4; ++c) {
                    if (c == j) continue;
                    minor[mr][mc++] = m.m[r][c];
                }
                ++mr;
            }
            const double det3 = minor[0][0] * (minor[1][1] * minor[2][2] - minor[1][2] * minor[2][1]) -
                                minor[0][1] * (minor[1][0] * minor[2][2] - minor[1][2] * minor[2][0]) +
                                minor[0][2] * (minor[1][0] * minor[2][1] - minor[1][1] * minor[2][0]);
            cof[i][j] = ((i + j) % 2 == 0) ? det3 : -det3;
        }
    }
}

double DeterminantFromCofactors(const D3DXMATRIX& m, const double cof[4][4]) {
    double det = 0.0;
    for (int j = 0; j < 4; ++j) det += m.m[0][j] * cof[0][j];
    return det;
}

}  // namespace

float D3DXMatrixDeterminant(const D3DXMATRIX* m) {
    double cof[4][4];
    Cofactors(*m, cof);
    return static_cast<float>(DeterminantFromCofactors(*m, cof));
}

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m) {
    double cof[4][4];
    Cofactors(*m, cof);
    const double det = DeterminantFromCofactors(*m, cof);
    if (determinant) *determinant = static_cast<float>(det);
    if (det == 0.0 || !std::isfinite(det)) return nullptr;
    const double inv = 1.0 / det;
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = static_cast<float>(cof[j][i] * inv);  // adjugate / det
    *out = r;
    return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
    D3DXMatrixIdentity(out);
    out->_41 = x;
    out->_42 = y;
    out->_43 = z;
    return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz) {
    *out = D3DXMATRIX(sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    *out = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    *out = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    *out = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle) {
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, axis);
    if (n == D3DXVECTOR3(0, 0, 0)) return D3DXMatrixIdentity(out);
    const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    *out = D3DXMATRIX(t * n.x * n.x + c, t * n.x * n.y + s * n.z, t * n.x * n.z - s * n.y, 0,
                      t * n.x * n.y - s * n.z, t * n.y * n.y + c, t * n.y * n.z + s * n.x, 0,
                      t * n.x * n.z + s * n.y, t * n.y * n.z - s * n.x, t * n.z * n.z + c, 0,
                      0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, float yaw, float pitch, float roll) {
    D3DXMATRIX rz, rx, ry;
    D3DXMatrixRotationZ(&rz, roll);
    D3DXMatrixRotationX(&rx, pitch);
    D3DXMatrixRotationY(&ry, yaw);
    *out = rz * rx * ry;
    return out;
}

D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q) {
    const float x = q->x, y = q->y, z = q->z, w = q->w;
    *out = D3DXMATRIX(1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0,
                      2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0,
                      2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), 0,
                      0, 0, 0, 1);
    return out;
}

namespace {

// Normalises v in place; false (and v unchanged) when it has no usable direction.
bool MakeUnit(D3DXVECTOR3& v) {
    const float length = D3DXVec3Length(&v);
    if (!(length > 0.0f) || !std::isfinite(length)) return false;
    v /= length;
    return true;
}

const D3DXVECTOR3 kAxisX(1, 0, 0), kAxisY(0, 1, 0), kAxisZ(0, 0, 1);

// A forward direction for a camera whose eye sits on its look-at point: the first of +Y, +X, +Z
// that is not parallel to up, with its part along up removed (so the horizon stays level).
D3DXVECTOR3 FallbackForward(const D3DXVECTOR3& unitUp) {
    for (const D3DXVECTOR3* axis : {&kAxisY, &kAxisX, &kAxisZ}) {
        D3DXVECTOR3 f = *axis - unitUp * D3DXVec3Dot(axis, &unitUp);
        if (D3DXVec3Length(&f) > 0.1f && MakeUnit(f)) return f;
    }
    return kAxisY;  // not reached: one of three axes is always far from any direction
}

// An up vector for a camera whose up is zero or parallel to the view direction.
D3DXVECTOR3 FallbackUp(const D3DXVECTOR3& forward) {
    for (const D3DXVECTOR3* axis : {&kAxisZ, &kAxisY, &kAxisX}) {
        D3DXVECTOR3 side;
        D3DXVec3Cross(&side, axis, &forward);
        if (D3DXVec3Length(&side) > 0.1f) return *axis;
    }
    return kAxisZ;  // not reached
}

}  // namespace

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up) {
    D3DXVECTOR3 unitUp = *up;
    if (!MakeUnit(unitUp)) unitUp = D3DXVECTOR3(0, 0, 0);

    D3DXVECTOR3 zaxis = *at - *eye;
    if (!MakeUnit(zaxis)) zaxis = FallbackForward(unitUp);

    D3DXVECTOR3 xaxis;
    D3DXVec3Cross(&xaxis, &unitUp, &zaxis);
    if (!(D3DXVec3Length(&xaxis) > 1e-6f)) {
        const D3DXVECTOR3 alternative = FallbackUp(zaxis);
        D3DXVec3Cross(&xaxis, &alternative, &zaxis);
    }
    MakeUnit(xaxis);
    D3DXVECTOR3 yaxis;
    D3DXVec3Cross(&yaxis, &zaxis, &xaxis);

    *out = D3DXMATRIX(xaxis.x, yaxis.x, zaxis.x, 0,
                      xaxis.y, yaxis.y, zaxis.y, 0,
                      xaxis.z, yaxis.z, zaxis.z, 0,
                      -D3DXVec3Dot(&xaxis, eye), -D3DXVec3Dot(&yaxis, eye), -D3DXVec3Dot(&zaxis, eye), 1);
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zNear, float zFar) {
    const float h = std::cos(fovY / 2) / std::sin(fovY / 2);
    const float q = zFar / (zFar - zNear);
    *out = D3DXMATRIX(h / aspect, 0, 0, 0, 0, h, 0, 0, 0, 0, q, 1, 0, 0, -zNear * q, 0);
    return out;
}

D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float w, float h, float zNear, float zFar) {
    *out = D3DXMATRIX(2 / w, 0, 0, 0, 0, 2 / h, 0, 0, 0, 0, 1 / (zFar - zNear), 0, 0, 0, zNear / (zNear - zFar), 1);
    return out;
}
