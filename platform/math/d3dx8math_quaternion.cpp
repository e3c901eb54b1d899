// Quaternions (x, y, z, w) of the helper library, in the row-vector rotation convention.
#include <algorithm>
#include <cmath>

#include "platform/math/d3dx8math.h"

D3DXQUATERNION& D3DXQUATERNION::operator*=(const D3DXQUATERNION& q) {
    D3DXQuaternionMultiply(this, this, &q);
    return *this;
}

D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* out) {
    *out = D3DXQUATERNION(0, 0, 0, 1);
    return out;
}

float D3DXQuaternionDot(const D3DXQUATERNION* a, const D3DXQUATERNION* b) {
    return a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
}

float D3DXQuaternionLength(const D3DXQUATERNION* q) { return std::sqrt(D3DXQuaternionDot(q, q)); }

D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* out, const D3DXQUATERNION* q) {
    const float length = D3DXQuaternionLength(q);
    if (!(length > 0.0f) || !std::isfinite(length)) {
        *out = D3DXQUATERNION(0, 0, 0, 0);
    } else {
        *out = *q / length;
    }
    return out;
}

D3DXQUATERNION* D3DXQuaternionConjugate(D3DXQUATERNION* out, const D3DXQUATERNION* q) {
    *out = D3DXQUATERNION(-q->x, -q->y, -q->z, q->w);
    return out;
}

D3DXQUATERNION* D3DXQuaternionInverse(D3DXQUATERNION* out, const D3DXQUATERNION* q) {
    const float lengthSq = D3DXQuaternionDot(q, q);
    if (!(lengthSq > 0.0f) || !std::isfinite(lengthSq)) {
        *out = D3DXQUATERNION(0, 0, 0, 0);
        return out;
    }
    D3DXQuaternionConjugate(out, q);
    *out /= lengthSq;
    return out;
}

D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* q1, const D3DXQUATERNION* q2) {
    // Hamilton product q2 q1: applying q1 first and q2 second.
    const D3DXQUATERNION a = *q2, b = *q1;
    *out = D3DXQUATERNION(a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
                          a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                          a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
                          a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z);
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* out, const D3DXVECTOR3* axis, float angle) {
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, axis);
    if (n == D3DXVECTOR3(0, 0, 0)) return D3DXQuaternionIdentity(out);
    const float s = std::sin(angle / 2);
    *out = D3DXQUATERNION(n.x * s, n.y * s, n.z * s, std::cos(angle / 2));
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* out, const D3DXMATRIX* m) {
    // Inverse of D3DXMatrixRotationQuaternion, taking the square root of the largest of
    // 4w², 4x², 4y², 4z² for accuracy.
    const float trace = m->_11 + m->_22 + m->_33;
    D3DXQUATERNION q;
    if (trace > 0.0f) {
        const float s = 2.0f * std::sqrt(trace + 1.0f);  // 4w
        q = D3DXQUATERNION((m->_23 - m->_32) / s, (m->_31 - m->_13) / s, (m->_12 - m->_21) / s, 0.25f * s);
    } else if (m->_11 >= m->_22 && m->_11 >= m->_33) {
        const float s = 2.0f * std::sqrt(std::max(0.0f, 1.0f + m->_11 - m->_22 - m->_33));  // 4x
        if (s == 0.0f) return D3DXQuaternionIdentity(out);
        q = D3DXQUATERNION(0.25f * s, (m->_12 + m->_21) / s, (m->_13 + m->_31) / s, (m->_23 - m->_32) / s);
    } else if (m->_22 >= m->_33) {
        const float s = 2.0f * std::sqrt(std::max(0.0f, 1.0f + m->_22 - m->_11 - m->_33));  // 4y
        if (s == 0.0f) return D3DXQuaternionIdentity(out);
        q = D3DXQUATERNION((m->_12 + m->_21) / s, 0.25f * s, (m->_23 + m->_32) / s, (m->_31 - m->_13) / s);
    } else {
        const float s = 2.0f * std::sqrt(std::max(0.0f, 1.0f + m->_33 - m->_11 - m->_22));  // 4z
        if (s == 0.0f) return D3DXQuaternionIdentity(out);
        q = D3DXQUATERNION((m->_13 + m->_31) / s, (m->_23 + m->_32) / s, 0.25f * s, (m->_12 - m->_21) / s);
    }
    *out = q;
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* out, float yaw, float pitch, float roll) {
    D3DXQUATERNION qRoll, qPitch, qYaw;
    const D3DXVECTOR3 axisX(1, 0, 0), axisY(0, 1, 0), axisZ(0, 0, 1);
    D3DXQuaternionRotationAxis(&qRoll, &axisZ, roll);
    D3DXQuaternionRotationAxis(&qPitch, &axisX, pitch);
    D3DXQuaternionRotationAxis(&qYaw, &axisY, yaw);
    *out = qRoll * qPitch * qYaw;
    return out;
}

D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* out, const D3DXQUATERNION* q1, const D3DXQUATERNION* q2,
                                    float t) {
    const D3DXQUATERNION from = *q1;
    D3DXQUATERNION to = *q2;
    float cosine = D3DXQuaternionDot(&from, &to);
    if (cosine < 0.0f) {  // q and -q are the same rotation: take the shorter arc
        cosine = -cosine;
        to = -to;
    }
    float wFrom = 1.0f - t, wTo = t;
    if (cosine < 0.9999f) {
        const float angle = std::acos(std::min(cosine, 1.0f));
        const float inv = 1.0f / std::sin(angle);
        wFrom = std::sin((1.0f - t) * angle) * inv;
        wTo = std::sin(t * angle) * inv;
    }
    *out = from * wFrom + to * wTo;
    return out;
}
