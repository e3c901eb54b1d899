// Vectors, planes and colours of the helper library.
#include <algorithm>
#include <cmath>

#include "platform/math/d3dx8math.h"

float D3DXVec2Length(const D3DXVECTOR2* v) { return std::sqrt(v->x * v->x + v->y * v->y); }

float D3DXVec2Dot(const D3DXVECTOR2* a, const D3DXVECTOR2* b) { return a->x * b->x + a->y * b->y; }

float D3DXVec4Length(const D3DXVECTOR4* v) { return std::sqrt(D3DXVec4Dot(v, v)); }

float D3DXVec4Dot(const D3DXVECTOR4* a, const D3DXVECTOR4* b) {
    return a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
}

D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v, const D3DXMATRIX* m) {
    const D3DXVECTOR4 in = *v;
    out->x = in.x * m->_11 + in.y * m->_21 + in.z * m->_31 + in.w * m->_41;
    out->y = in.x * m->_12 + in.y * m->_22 + in.z * m->_32 + in.w * m->_42;
    out->z = in.x * m->_13 + in.y * m->_23 + in.z * m->_33 + in.w * m->_43;
    out->w = in.x * m->_14 + in.y * m->_24 + in.z * m->_34 + in.w * m->_44;
    return out;
}

float D3DXVec3Length(const D3DXVECTOR3* v) { return std::sqrt(D3DXVec3LengthSq(v)); }

float D3DXVec3LengthSq(const D3DXVECTOR3* v) { return v->x * v->x + v->y * v->y + v->z * v->z; }

float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
    const D3DXVECTOR3 r(a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x);
    *out = r;
    return out;
}

D3DXVECTOR3* D3DXVec3Add(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
    *out = *a + *b;
    return out;
}

D3DXVECTOR3* D3DXVec3Subtract(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
    *out = *a - *b;
    return out;
}

D3DXVECTOR3* D3DXVec3Scale(D3DXVECTOR3* out, const D3DXVECTOR3* v, float s) {
    *out = *v * s;
    return out;
}

D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b, float s) {
    *out = *a + (*b - *a) * s;
    return out;
}

D3DXVECTOR3* D3DXVec3Minimize(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
    *out = D3DXVECTOR3(std::min(a->x, b->x), std::min(a->y, b->y), std::min(a->z, b->z));
    return out;
}

D3DXVECTOR3* D3DXVec3Maximize(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
    *out = D3DXVECTOR3(std::max(a->x, b->x), std::max(a->y, b->y), std::max(a->z, b->z));
    return out;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
    const float length = D3DXVec3Length(v);
    if (length == 0.0f || !std::isfinite(length)) {
        *out = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    } else {
        *out = *v / length;
    }
    return out;
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
    D3DXVECTOR4 r;
    D3DXVec3Transform(&r, v, m);
    if (r.w != 0.0f) {
        const float inv = 1.0f / r.w;
        r.x *= inv;
        r.y *= inv;
        r.z *= inv;
    }
    *out = D3DXVECTOR3(r.x, r.y, r.z);
    return out;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
    const D3DXVECTOR4 in(v->x, v->y, v->z, 0.0f);
    D3DXVECTOR4 r;
    D3DXVec4Transform(&r, &in, m);
    *out = D3DXVECTOR3(r.x, r.y, r.z);
    return out;
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
    const D3DXVECTOR4 in(v->x, v->y, v->z, 1.0f);
    return D3DXVec4Transform(out, &in, m);
}

// ---- Planes -------------------------------------------------------------------------------

float D3DXPlaneDotCoord(const D3DXPLANE* p, const D3DXVECTOR3* v) { return D3DXPlaneDotNormal(p, v) + p->d; }

float D3DXPlaneDotNormal(const D3DXPLANE* p, const D3DXVECTOR3* v) { return p->a * v->x + p->b * v->y + p->c * v->z; }

D3DXPLANE* D3DXPlaneNormalize(D3DXPLANE* out, const D3DXPLANE* p) {
    const float length = std::sqrt(p->a * p->a + p->b * p->b + p->c * p->c);
    if (length == 0.0f || !std::isfinite(length)) {
        *out = D3DXPLANE(0.0f, 0.0f, 0.0f, 0.0f);
    } else {
        const float inv = 1.0f / length;
        *out = D3DXPLANE(p->a * inv, p->b * inv, p->c * inv, p->d * inv);
    }
    return out;
}

D3DXPLANE* D3DXPlaneFromPointNormal(D3DXPLANE* out, const D3DXVECTOR3* point, const D3DXVECTOR3* normal) {
    *out = D3DXPLANE(normal->x, normal->y, normal->z, -D3DXVec3Dot(point, normal));
    return out;
}

// ---- Colours ------------------------------------------------------------------------------

D3DXCOLOR::D3DXCOLOR(D3DCOLOR argb)
    : r(static_cast<float>((argb >> 16) & 0xFF) / 255.0f),
      g(static_cast<float>((argb >> 8) & 0xFF) / 255.0f),
      b(static_cast<float>(argb & 0xFF) / 255.0f),
      a(static_cast<float>((argb >> 24) & 0xFF) / 255.0f) {}

namespace {

DWORD ChannelByte(float value) {
    if (!(value > 0.0f)) return 0;  // also NaN
    if (value >= 1.0f) return 0xFF;
    return static_cast<DWORD>(value * 255.0f + 0.5f);
}

}  // namespace

D3DXCOLOR::operator D3DCOLOR() const {
    return (ChannelByte(a) << 24) | (ChannelByte(r) << 16) | (ChannelByte(g) << 8) | ChannelByte(b);
}

D3DXCOLOR* D3DXColorLerp(D3DXCOLOR* out, const D3DXCOLOR* a, const D3DXCOLOR* b, float s) {
    *out = *a + (*b - *a) * s;
    return out;
}

D3DXCOLOR* D3DXColorModulate(D3DXCOLOR* out, const D3DXCOLOR* a, const D3DXCOLOR* b) {
    *out = D3DXCOLOR(a->r * b->r, a->g * b->g, a->b * b->b, a->a * b->a);
    return out;
}

D3DXCOLOR* D3DXColorScale(D3DXCOLOR* out, const D3DXCOLOR* c, float s) {
    *out = D3DXCOLOR(c->r * s, c->g * s, c->b * s, c->a);
    return out;
}
