// ViewFrustum and Camera: the projection parameters of the show and the view onto its Z-up world.
// The matrices are read by the effects that draw; the camera itself never sets device state.
#pragma once

#include "platform/math/d3dx8math.h"

class ViewFrustum {
public:
    // Reads the render device's current size for the aspect ratio.
    ViewFrustum();
    virtual ~ViewFrustum();

    float nearPlane = 2.0f;
    float farPlane = 15000.0f;
    float fieldOfView = 0.7853982f;  // vertical, radians (pi / 4)
    float aspect = 1.0f;
};

class Camera {
public:
    // Eye, look-at point and up vector; the projection comes from the frustum, read only here.
    Camera(float eyeX, float eyeY, float eyeZ, float lookX, float lookY, float lookZ, float upX, float upY, float upZ,
           const ViewFrustum& frustum);
    virtual ~Camera();

    // Moves the camera and rebuilds the view matrix; the projection stays.
    void LookAt(float eyeX, float eyeY, float eyeZ, float lookX, float lookY, float lookZ, float upX, float upY,
                float upZ);

    const D3DXMATRIX& View() const { return view; }
    const D3DXMATRIX& Projection() const { return projection; }
    const D3DXVECTOR3& Up() const { return up; }

private:
    D3DXMATRIX view;
    D3DXMATRIX projection;

public:
    D3DXVECTOR3 eye;
    D3DXVECTOR3 lookAt;

private:
    D3DXVECTOR3 up;
};

// Yaw about Z that turns a quad lying in its local YZ plane (facing +X) toward the camera's
// horizontal viewing direction reversed. A camera looking straight along Z has no horizontal
// direction; it gets the yaw of a camera looking along -Y (pi / 2).
float BillboardYaw(const Camera& camera);
// The billboard's world matrix: the rotation about Z by BillboardYaw with position as translation.
D3DXMATRIX BillboardWorld(const Camera& camera, const D3DXVECTOR3& position);
