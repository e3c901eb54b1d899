// Light: one fixed-function light record handed to the device by a RenderList. The record is
// public: scenes move point lights by writing its position, and the list re-sends it every frame.
#pragma once

#include "platform/gpu/d3d8.h"

class Light {
public:
    // Directional light: diffuse (r, g, b, a), ambient (0, 0, 0, a), direction normalised.
    Light(float red, float green, float blue, float alpha, float directionX, float directionY, float directionZ);
    // Point light: diffuse = ambient = (r, g, b, a) at the position, with the range; no
    // attenuation factors (constant intensity within the range).
    Light(float red, float green, float blue, float alpha, float positionX, float positionY, float positionZ,
          float range);
    virtual ~Light() = default;

    D3DLIGHT8 light{};
};
