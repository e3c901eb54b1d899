#include "fx/camera.h"

#include <cmath>

#include "render/render_device.h"

namespace {

constexpr float kHalfPi = 1.5707964f;

}  // namespace

ViewFrustum::ViewFrustum() {
    const RenderDevice& device = RenderDevice::Instance();
    const unsigned width = static_cast<unsigned>(device.width);
    const unsigned height = static_cast<unsigned>(device.height);
    // A device without a size yet gives a square aspect rather than an infinite one.
    if (width != 0 && height != 0) aspect = static_cast<float>(width) / static_cast<float>(height);
}

ViewFrustum::~ViewFrustum() = default;

Camera::Camera(float eyeX, float eyeY, float eyeZ, float lookX, float lookY, float lookZ, float upX, float upY,
               float upZ, const ViewFrustum& frustum) {
    LookAt(eyeX, eyeY, eyeZ, lookX, lookY, lookZ, upX, upY, upZ);
    D3DXMatrixPerspectiveFovLH(&projection, frustum.fieldOfView, frustum.aspect, frustum.nearPlane, frustum.farPlane);
}

Camera::~Camera() = default;

void Camera::LookAt(float eyeX, float eyeY, float eyeZ, float lookX, float lookY, float lookZ, float upX, float upY,
                    float upZ) {
    eye = D3DXVECTOR3(eyeX, eyeY, eyeZ);
    lookAt = D3DXVECTOR3(lookX, lookY, lookZ);
    up = D3DXVECTOR3(upX, upY, upZ);
    D3DXMatrixLookAtLH(&view, &eye, &lookAt, &up);
}

float BillboardYaw(const Camera& camera) {
    const float dx = camera.lookAt.x - camera.eye.x;
    const float dy = camera.lookAt.y - camera.eye.y;
    float a = 0.0f;
    if (dy != 0.0f) {
        a = std::atan(dx / dy);
    } else if (dx != 0.0f) {
        // The quotient is infinite: the arctangent takes the sign of dx (whatever the sign of the zero).
        a = std::copysign(kHalfPi, dx);
    }
    return dy > 0.0f ? -a - kHalfPi : kHalfPi - a;
}

D3DXMATRIX BillboardWorld(const Camera& camera, const D3DXVECTOR3& position) {
    D3DXMATRIX world;
    D3DXMatrixRotationZ(&world, BillboardYaw(camera));
    world._41 = position.x;
    world._42 = position.y;
    world._43 = position.z;
    return world;
}
