#include "fx/light.h"

#include "platform/math/d3dx8math.h"

Light::Light(float red, float green, float blue, float alpha, float directionX, float directionY, float directionZ) {
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {red, green, blue, alpha};
    light.Ambient = {0.0f, 0.0f, 0.0f, alpha};
    D3DXVECTOR3 direction(directionX, directionY, directionZ);
    D3DXVec3Normalize(&direction, &direction);
    light.Direction = {direction.x, direction.y, direction.z};
}

Light::Light(float red, float green, float blue, float alpha, float positionX, float positionY, float positionZ,
             float range) {
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = {red, green, blue, alpha};
    light.Ambient = {red, green, blue, alpha};
    light.Position = {positionX, positionY, positionZ};
    light.Range = range;
}
