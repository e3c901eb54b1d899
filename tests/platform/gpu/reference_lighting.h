// A CPU model of the fixed-function per-vertex lighting and exponential fog, used by the pixel
// tests to compute the colours the device must produce. It works from the published equations
// alone and shares no code with the device.
#pragma once

#include <optional>
#include <vector>

#include "platform/gpu/d3d8types.h"

namespace reference {

struct Vec3 {
    float x = 0, y = 0, z = 0;
};
struct Vec4 {
    float x = 0, y = 0, z = 0, w = 0;
};

Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(Vec3 a, float s);
float Dot(Vec3 a, Vec3 b);
Vec3 Cross(Vec3 a, Vec3 b);
float Length(Vec3 a);
// The zero vector stays zero.
Vec3 Normalise(Vec3 a);

// Matrices follow the row-vector convention: p' = p x M, and in Multiply(a, b) a applies first.
D3DMATRIX Identity();
D3DMATRIX Translation(float x, float y, float z);
D3DMATRIX Scaling(float x, float y, float z);
D3DMATRIX RotationX(float angle);
D3DMATRIX RotationY(float angle);
D3DMATRIX RotationZ(float angle);
D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b);
D3DMATRIX LookAtLH(Vec3 eye, Vec3 at, Vec3 up);
D3DMATRIX PerspectiveFovLH(float fovY, float aspect, float zNear, float zFar);
// The inverse of the upper 3x3 block, transposed (how normals transform); the rest is identity.
D3DMATRIX NormalMatrix(const D3DMATRIX& m);
Vec4 TransformPoint(Vec3 p, const D3DMATRIX& m);
Vec3 TransformDirection(Vec3 d, const D3DMATRIX& m);

// A colour with float channels; lighting sums may leave 0..1 before clamping.
struct Colour {
    float r = 0, g = 0, b = 0, a = 0;
};
Colour FromD3DColor(D3DCOLOR c);
Colour FromColourValue(const D3DCOLORVALUE& c);
// Clamps to 0..1 and rounds to 8 bits per channel.
D3DCOLOR ToD3DColor(Colour c);
Colour Clamped(Colour c);

// The device state that per-vertex lighting reads. Lights are the enabled ones.
struct LightingState {
    D3DMATRIX world = Identity();
    D3DMATRIX view = Identity();
    D3DMATERIAL8 material{};
    std::vector<D3DLIGHT8> lights;
    D3DCOLOR ambient = 0;
    bool specularEnable = false;
    bool localViewer = true;
    bool normalizeNormals = false;
    bool colorVertex = true;
    D3DMATERIALCOLORSOURCE diffuseSource = D3DMCS_COLOR1;
    D3DMATERIALCOLORSOURCE specularSource = D3DMCS_COLOR2;
    D3DMATERIALCOLORSOURCE ambientSource = D3DMCS_MATERIAL;
    D3DMATERIALCOLORSOURCE emissiveSource = D3DMCS_MATERIAL;
};

// One vertex as the vertex format delivers it (model space).
struct VertexInput {
    Vec3 position;
    std::optional<Vec3> normal;
    std::optional<D3DCOLOR> diffuse;   // COLOR1
    std::optional<D3DCOLOR> specular;  // COLOR2
};

struct LitVertex {
    Colour diffuse;   // clamped; alpha from the diffuse material source
    Colour specular;  // clamped; zero unless specular is enabled
};

LitVertex LightVertex(const LightingState& state, const VertexInput& vertex);

// The colour an untextured pixel gets at the vertex: the diffuse colour (stage 0 modulates it
// with opaque white) plus the specular colour, clamped.
Colour UntexturedColour(const LitVertex& lit);

// Exponential fog: the share of the original colour kept at eye depth `depth`.
float ExpFogFactor(float density, float depth);
Colour ApplyFog(Colour colour, float factor, D3DCOLOR fogColour);

}  // namespace reference
