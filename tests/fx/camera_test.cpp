#include "fx/camera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/window/headless_window.h"
#include "render/render_device.h"

namespace {

constexpr float kPi = 3.14159265f;

// Yaw cases need no device: the frustum then reads the device's default size.
Camera LookingFrom(float x, float y, float z, float atX, float atY, float atZ) {
    static ViewFrustum frustum;
    return Camera(x, y, z, atX, atY, atZ, 0.0f, 0.0f, 1.0f, frustum);
}

D3DXVECTOR3 Normalised(D3DXVECTOR3 v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / length, v.y / length, v.z / length};
}

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

void ExpectMatrixNear(const D3DXMATRIX& actual, const D3DXMATRIX& expected, float tolerance) {
    for (unsigned r = 0; r < 4; ++r) {
        for (unsigned c = 0; c < 4; ++c) EXPECT_NEAR(actual(r, c), expected(r, c), tolerance) << r << "," << c;
    }
}

TEST(CameraTest, FrustumAndProjectionOfAn800By600Screen) {
    static platform::HeadlessWindow window(800, 600);
    DisplaySettings settings{800, 600, 0, 0, 1, 0};
    ASSERT_GE(RenderDevice::Instance().Initialize(&window, settings, 0, 50, 800, 500), 0);

    const ViewFrustum frustum;
    EXPECT_EQ(frustum.nearPlane, 2.0f);
    EXPECT_EQ(frustum.farPlane, 15000.0f);
    EXPECT_FLOAT_EQ(frustum.fieldOfView, kPi / 4);
    EXPECT_EQ(frustum.aspect, 1.3333334f);

    const Camera camera(0, -100, 10, 0, 0, 10, 0, 0, 1, frustum);
    const D3DXMATRIX& p = camera.Projection();
    EXPECT_NEAR(p(0, 0), 1.81066f, 1e-5f);
    EXPECT_NEAR(p(1, 1), 2.4142134f, 1e-5f);
    EXPECT_FLOAT_EQ(p(2, 2), 15000.0f / 14998.0f);
    EXPECT_EQ(p(2, 3), 1.0f);
    EXPECT_FLOAT_EQ(p(3, 2), -2.0f * 15000.0f / 14998.0f);
    for (auto [r, c] : {std::pair{0, 1}, {0, 2}, {0, 3}, {1, 0}, {1, 2}, {1, 3}, {2, 0}, {2, 1}, {3, 0}, {3, 1}, {3, 3}}) {
        EXPECT_EQ(p(r, c), 0.0f) << r << "," << c;
    }
}

TEST(CameraTest, ViewMatrixFollowsTheLookAtFormula) {
    Camera camera = LookingFrom(0, 0, 0, 1, 0, 0);
    for (auto [eye, at] : {std::pair{D3DXVECTOR3(100, -250, 40), D3DXVECTOR3(0, 0, 10)},
                           {D3DXVECTOR3(-3, 7, 2), D3DXVECTOR3(5, 1, -4)},
                           {D3DXVECTOR3(0, 0, 500), D3DXVECTOR3(30, 40, 0)}}) {
        camera.LookAt(eye.x, eye.y, eye.z, at.x, at.y, at.z, 0, 0, 1);
        EXPECT_EQ(camera.eye, eye);
        EXPECT_EQ(camera.lookAt, at);
        EXPECT_EQ(camera.Up(), D3DXVECTOR3(0, 0, 1));

        const D3DXVECTOR3 zaxis = Normalised(at - eye);
        const D3DXVECTOR3 xaxis = Normalised(Cross(D3DXVECTOR3(0, 0, 1), zaxis));
        const D3DXVECTOR3 yaxis = Cross(zaxis, xaxis);
        const D3DXMATRIX expected(xaxis.x, yaxis.x, zaxis.x, 0, xaxis.y, yaxis.y, zaxis.y, 0, xaxis.z, yaxis.z, zaxis.z,
                                  0, -Dot(xaxis, eye), -Dot(yaxis, eye), -Dot(zaxis, eye), 1);
        ExpectMatrixNear(camera.View(), expected, 1e-4f);

        // The look-at point lies straight ahead: on the view's +Z axis.
        D3DXVECTOR4 p;
        const D3DXMATRIX& v = camera.View();
        p.x = at.x * v._11 + at.y * v._21 + at.z * v._31 + v._41;
        p.y = at.x * v._12 + at.y * v._22 + at.z * v._32 + v._42;
        p.z = at.x * v._13 + at.y * v._23 + at.z * v._33 + v._43;
        EXPECT_NEAR(p.x, 0.0f, 1e-3f);
        EXPECT_NEAR(p.y, 0.0f, 1e-3f);
        EXPECT_NEAR(p.z, std::sqrt(Dot(at - eye, at - eye)), 1e-2f);
    }
}

TEST(CameraTest, BillboardYawAlongTheAxes) {
    EXPECT_FLOAT_EQ(BillboardYaw(LookingFrom(0, 0, 0, 0, 10, 0)), -kPi / 2);  // +Y
    EXPECT_FLOAT_EQ(BillboardYaw(LookingFrom(0, 0, 0, 0, -10, 0)), kPi / 2);  // -Y
    // dy = 0: a = +-pi/2 by the sign of dx, second branch.
    EXPECT_NEAR(BillboardYaw(LookingFrom(0, 0, 0, 10, 0, 0)), 0.0f, 1e-6f);   // +X
    EXPECT_FLOAT_EQ(BillboardYaw(LookingFrom(0, 0, 0, -10, 0, 0)), kPi);      // -X
    // A zero of either sign in dy (0 - 0 and -0 - 0) takes the same branch.
    EXPECT_NEAR(BillboardYaw(LookingFrom(0, 0.0f, 0, 3, -0.0f, 0)), 0.0f, 1e-6f);
    // Z plays no part.
    EXPECT_FLOAT_EQ(BillboardYaw(LookingFrom(0, 0, 50, 0, 10, -20)), -kPi / 2);
}

TEST(CameraTest, BillboardFacesTheCamera) {
    for (auto [dx, dy] : {std::pair{3.0f, 4.0f}, {-3.0f, 4.0f}, {3.0f, -4.0f}, {-3.0f, -4.0f}, {0.5f, 9.0f}}) {
        const Camera camera = LookingFrom(10, 20, 5, 10 + dx, 20 + dy, 0);
        const float yaw = BillboardYaw(camera);
        // The quad's normal +X points back along the horizontal viewing direction.
        const float length = std::sqrt(dx * dx + dy * dy);
        EXPECT_NEAR(std::cos(yaw), -dx / length, 1e-5f) << dx << "," << dy;
        EXPECT_NEAR(std::sin(yaw), -dy / length, 1e-5f) << dx << "," << dy;
    }
}

TEST(CameraTest, StraightDownCameraHasAFiniteYaw) {
    const Camera down = LookingFrom(5, 5, 100, 5, 5, 0);
    const float yaw = BillboardYaw(down);
    EXPECT_TRUE(std::isfinite(yaw));
    EXPECT_FLOAT_EQ(yaw, kPi / 2);
    const D3DXMATRIX world = BillboardWorld(down, D3DXVECTOR3(1, 2, 3));
    for (unsigned r = 0; r < 4; ++r) {
        for (unsigned c = 0; c < 4; ++c) EXPECT_TRUE(std::isfinite(world(r, c))) << r << "," << c;
    }
    // The view matrix of a camera whose eye and look-at point coincide is finite too.
    const Camera nowhere = LookingFrom(1, 1, 1, 1, 1, 1);
    EXPECT_TRUE(std::isfinite(BillboardYaw(nowhere)));
    for (unsigned r = 0; r < 4; ++r) {
        for (unsigned c = 0; c < 4; ++c) EXPECT_TRUE(std::isfinite(nowhere.View()(r, c))) << r << "," << c;
    }
}

TEST(CameraTest, BillboardWorldIsTheYawRotationAtThePosition) {
    const Camera camera = LookingFrom(0, 0, 0, 3, 4, 1);
    const float yaw = BillboardYaw(camera);
    const D3DXMATRIX world = BillboardWorld(camera, D3DXVECTOR3(7, -8, 9));
    const float c = std::cos(yaw), s = std::sin(yaw);
    const D3DXMATRIX expected(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 7, -8, 9, 1);
    ExpectMatrixNear(world, expected, 1e-6f);
    // Every position gets the same rotation.
    const D3DXMATRIX other = BillboardWorld(camera, D3DXVECTOR3(-100, 50, 0));
    for (unsigned r = 0; r < 3; ++r) {
        for (unsigned col = 0; col < 4; ++col) EXPECT_EQ(other(r, col), world(r, col));
    }
}

}  // namespace
