#include "tests/platform/gpu/reference_lighting.h"

#include <algorithm>
#include <cmath>

namespace reference {

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
Vec3 Normalise(Vec3 a) {
    float length = Length(a);
    return length > 0 ? a * (1.0f / length) : Vec3{};
}

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1;
    return m;
}

D3DMATRIX Translation(float x, float y, float z) {
    D3DMATRIX m = Identity();
    m._41 = x;
    m._42 = y;
    m._43 = z;
    return m;
}

D3DMATRIX Scaling(float x, float y, float z) {
    D3DMATRIX m = Identity();
    m._11 = x;
    m._22 = y;
    m._33 = z;
    return m;
}

namespace {

// Left-handed rotation in the plane of axes `from` and `to` (0 = x, 1 = y, 2 = z): turning by a
// quarter takes `from` to `to`.
D3DMATRIX PlaneRotation(int from, int to, float angle) {
    D3DMATRIX m = Identity();
    float c = std::cos(angle), s = std::sin(angle);
    m.m[from][from] = c;
    m.m[from][to] = s;
    m.m[to][from] = -s;
    m.m[to][to] = c;
    return m;
}

}  // namespace

D3DMATRIX RotationX(float angle) { return PlaneRotation(1, 2, angle); }
D3DMATRIX RotationY(float angle) { return PlaneRotation(2, 0, angle); }
D3DMATRIX RotationZ(float angle) { return PlaneRotation(0, 1, angle); }

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX out{};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.m[row][k] * b.m[k][column];
            out.m[row][column] = sum;
        }
    }
    return out;
}

D3DMATRIX LookAtLH(Vec3 eye, Vec3 at, Vec3 up) {
    Vec3 zAxis = Normalise(at - eye);
    Vec3 xAxis = Normalise(Cross(up, zAxis));
    Vec3 yAxis = Cross(zAxis, xAxis);
    D3DMATRIX m = Identity();
    m._11 = xAxis.x;
    m._21 = xAxis.y;
    m._31 = xAxis.z;
    m._12 = yAxis.x;
    m._22 = yAxis.y;
    m._32 = yAxis.z;
    m._13 = zAxis.x;
    m._23 = zAxis.y;
    m._33 = zAxis.z;
    m._41 = -Dot(xAxis, eye);
    m._42 = -Dot(yAxis, eye);
    m._43 = -Dot(zAxis, eye);
    return m;
}

D3DMATRIX PerspectiveFovLH(float fovY, float aspect, float zNear, float zFar) {
    float yScale = 1.0f / std::tan(fovY / 2);
    float xScale = yScale / aspect;
    D3DMATRIX m{};
    m._11 = xScale;
    m._22 = yScale;
    m._33 = zFar / (zFar - zNear);
    m._34 = 1;
    m._43 = -zNear * zFar / (zFar - zNear);
    return m;
}

D3DMATRIX NormalMatrix(const D3DMATRIX& m) {
    // Inverse of the 3x3 block through its cofactors; the transpose of the inverse is the
    // cofactor matrix divided by the determinant.
    auto at = [&](int r, int c) { return m.m[r][c]; };
    float cof[3][3];
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
            cof[r][c] = at(r1, c1) * at(r2, c2) - at(r1, c2) * at(r2, c1);
        }
    }
    float det = at(0, 0) * cof[0][0] + at(0, 1) * cof[0][1] + at(0, 2) * cof[0][2];
    D3DMATRIX out = Identity();
    if (det == 0) return out;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) out.m[r][c] = cof[r][c] / det;
    return out;
}

Vec4 TransformPoint(Vec3 p, const D3DMATRIX& m) {
    return {p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41, p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
            p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43, p.x * m._14 + p.y * m._24 + p.z * m._34 + m._44};
}

Vec3 TransformDirection(Vec3 d, const D3DMATRIX& m) {
    return {d.x * m._11 + d.y * m._21 + d.z * m._31, d.x * m._12 + d.y * m._22 + d.z * m._32,
            d.x * m._13 + d.y * m._23 + d.z * m._33};
}

Colour FromD3DColor(D3DCOLOR c) {
    return {((c >> 16) & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, (c & 0xFF) / 255.0f, ((c >> 24) & 0xFF) / 255.0f};
}

Colour FromColourValue(const D3DCOLORVALUE& c) { return {c.r, c.g, c.b, c.a}; }

Colour Clamped(Colour c) {
    auto clamp = [](float v) { return std::clamp(v, 0.0f, 1.0f); };
    return {clamp(c.r), clamp(c.g), clamp(c.b), clamp(c.a)};
}

D3DCOLOR ToD3DColor(Colour c) {
    Colour k = Clamped(c);
    auto byte = [](float v) { return static_cast<DWORD>(std::lround(v * 255.0f)); };
    return D3DCOLOR_ARGB(byte(k.a), byte(k.r), byte(k.g), byte(k.b));
}

namespace {

Colour Add(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b, a.a + b.a}; }
Colour Modulate(Colour a, Colour b) { return {a.r * b.r, a.g * b.g, a.b * b.b, a.a * b.a}; }
Colour Scale(Colour a, float s) { return {a.r * s, a.g * s, a.b * s, a.a * s}; }

Colour SourceColour(const LightingState& state, const VertexInput& vertex, D3DMATERIALCOLORSOURCE source,
                    const D3DCOLORVALUE& material) {
    if (state.colorVertex) {
        if (source == D3DMCS_COLOR1 && vertex.diffuse) return FromD3DColor(*vertex.diffuse);
        if (source == D3DMCS_COLOR2 && vertex.specular) return FromD3DColor(*vertex.specular);
    }
    return FromColourValue(material);
}

}  // namespace

LitVertex LightVertex(const LightingState& state, const VertexInput& vertex) {
    const D3DMATRIX worldView = Multiply(state.world, state.view);
    Vec4 p4 = TransformPoint(vertex.position, worldView);
    Vec3 position{p4.x, p4.y, p4.z};
    Vec3 normal{};
    if (vertex.normal) {
        normal = TransformDirection(*vertex.normal, NormalMatrix(worldView));
        if (state.normalizeNormals) normal = Normalise(normal);
    }

    const D3DMATERIAL8& m = state.material;
    Colour diffuseM = SourceColour(state, vertex, state.diffuseSource, m.Diffuse);
    Colour ambientM = SourceColour(state, vertex, state.ambientSource, m.Ambient);
    Colour specularM = SourceColour(state, vertex, state.specularSource, m.Specular);
    Colour emissiveM = SourceColour(state, vertex, state.emissiveSource, m.Emissive);

    Colour diffuse = Add(emissiveM, Modulate(ambientM, FromD3DColor(state.ambient)));
    Colour specularSum{};
    Vec3 toViewer = state.localViewer ? Normalise(position * -1.0f) : Vec3{0, 0, 1};

    for (const D3DLIGHT8& light : state.lights) {
        Vec3 toLight;
        float attenuation = 1;
        if (light.Type == D3DLIGHT_DIRECTIONAL) {
            Vec3 direction = TransformDirection({light.Direction.x, light.Direction.y, light.Direction.z}, state.view);
            toLight = Normalise(direction * -1.0f);
        } else {
            Vec4 lp = TransformPoint({light.Position.x, light.Position.y, light.Position.z}, state.view);
            Vec3 offset = Vec3{lp.x, lp.y, lp.z} - position;
            float distance = Length(offset);
            if (distance > light.Range) continue;
            toLight = Normalise(offset);
            float sum = light.Attenuation0 + light.Attenuation1 * distance + light.Attenuation2 * distance * distance;
            attenuation = sum > 0 ? 1.0f / sum : 1.0f;
        }
        float nDotL = Dot(normal, toLight);
        Colour lightTerm = Modulate(ambientM, FromColourValue(light.Ambient));
        lightTerm = Add(lightTerm, Scale(Modulate(diffuseM, FromColourValue(light.Diffuse)), std::max(0.0f, nDotL)));
        diffuse = Add(diffuse, Scale(lightTerm, attenuation));
        if (state.specularEnable && nDotL > 0) {
            Vec3 half = Normalise(toLight + toViewer);
            float nDotH = std::max(0.0f, Dot(normal, half));
            specularSum = Add(specularSum, Scale(FromColourValue(light.Specular), attenuation * std::pow(nDotH, m.Power)));
        }
    }

    LitVertex out;
    diffuse.a = diffuseM.a;
    out.diffuse = Clamped(diffuse);
    if (state.specularEnable) {
        out.specular = Clamped(Modulate(specularM, specularSum));
        out.specular.a = 0;
    }
    return out;
}

Colour UntexturedColour(const LitVertex& lit) {
    Colour sum = Add(lit.diffuse, lit.specular);
    sum.a = lit.diffuse.a;
    return Clamped(sum);
}

float ExpFogFactor(float density, float depth) { return std::exp(-density * depth); }

Colour ApplyFog(Colour colour, float factor, D3DCOLOR fogColour) {
    Colour fog = FromD3DColor(fogColour);
    return {factor * colour.r + (1 - factor) * fog.r, factor * colour.g + (1 - factor) * fog.g,
            factor * colour.b + (1 - factor) * fog.b, colour.a};
}

}  // namespace reference
