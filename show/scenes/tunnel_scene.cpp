#include "show/scenes/tunnel_scene.h"


#include "render/render_device.h"

namespace {

constexpr float kPi = 3.1415927f;

// The look-at point to build the view from: a point that coincides with the eye gives no view
// direction, so the camera then looks one step along +Y instead.
D3DXVECTOR3 RegularTarget(const D3DXVECTOR3& eye, const D3DXVECTOR3& lookAt) {
    if (eye == lookAt) return D3DXVECTOR3(eye.x, eye.y + 1.0f, eye.z);
    return lookAt;
}

std::unique_ptr<MeshInstance> MakeInstance(MeshModel& model) {
    return std::make_unique<MeshInstance>(model, 1.0f, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                                          0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
}

}  // namespace

TunnelScene::TunnelScene() {
    frustum = std::make_unique<ViewFrustum>();
    const D3DXVECTOR3 target = RegularTarget(eye, lookAt);
    camera = std::make_unique<Camera>(eye.x, eye.y, eye.z, target.x, target.y, target.z, 0.0f, 0.0f, 1.0f,
                                      *frustum);
}

HRESULT TunnelScene::Load() {
    world = std::make_unique<RenderList>();

    tunnelModel = std::make_unique<MeshModel>();
    if (FAILED(tunnelModel->Load("tunnel.x"))) return E_FAIL;
    trainModel = std::make_unique<MeshModel>();
    if (FAILED(trainModel->Load("train.x"))) return E_FAIL;

    trainA = MakeInstance(*trainModel);
    trainA->Translate(48.0f, 2500.0f, -48.0f);
    trainB = MakeInstance(*trainModel);
    trainB->Translate(48.0f, 2500.0f, -48.0f);
    trainB->Rotate(0.0f, 0.0f, kPi);
    world->AddInstance(trainA.get());
    world->AddInstance(trainB.get());

    for (int i = 0; i < kSegments; ++i) {
        segments[i] = MakeInstance(*tunnelModel);
        segments[i]->Translate(0.0f, 1570.0f * static_cast<float>(i), 0.0f);
        world->AddInstance(segments[i].get());
    }

    fillLight = std::make_unique<Light>(-0.4f, -0.4f, -0.4f, 1.0f, 0.0f, 0.8f, -1.0f);
    lampA = std::make_unique<Light>(0.8f, 0.8f, 0.4f, 1.0f, 48.0f, 2500.0f, 50.0f, 250.0f);
    lampB = std::make_unique<Light>(0.8f, 0.8f, 0.4f, 1.0f, 48.0f, 2500.0f, 50.0f, 250.0f);
    world->AddLight(fillLight.get());
    world->AddLight(lampA.get());
    world->AddLight(lampB.get());

    smallFlare = std::make_unique<Billboard>();
    smallFlare->Load("lens_flare.jpg", 150.0f);
    for (auto& flare : warmFlares) flare = std::make_unique<BillboardInstance>(*smallFlare);
    for (auto& flare : redFlares) flare = std::make_unique<BillboardInstance>(*smallFlare);

    bigFlare = std::make_unique<Billboard>();
    bigFlare->Load("lens_flare.jpg", 320.0f);
    // Pairs of lamps 620 apart, one pair every 1570 along the tunnel.
    float y = -2030.0f;
    for (int i = 0; i < kTunnelLamps; ++i) {
        y += (i % 2 == 0) ? 880.0f : 620.0f;
        tunnelLamps[i] = std::make_unique<BillboardInstance>(*bigFlare);
        tunnelLamps[i]->position = D3DXVECTOR3(0.0f, y, 90.0f);
        if (i % 2 == 1) y += 70.0f;
    }
    return 0;
}

int TunnelScene::Render(float t) {
    RenderDevice::Instance().Clear(0xFF0F0F0F);
    if (world) world->EnableFog(0xFF000000, 0.0009f);

    const D3DXVECTOR3 target = RegularTarget(eye, lookAt);
    camera->LookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, 0.0f, 0.0f, 1.0f);
    if (world) world->Render(*camera);

    for (auto& lamp : tunnelLamps)
        if (lamp) lamp->Render(*camera, 1, 1.0f, 1.0f, 1.0f, 1.0f);

    DrawTrainLamps();
    Choreograph(t);
    return 0;
}

// The lamp flares on both trains and the point lights that go with them, placed from the train
// positions as they were at the start of the frame.
void TunnelScene::DrawTrainLamps() {
    const D3DXVECTOR3 a = trainAPosition;
    const D3DXVECTOR3 b = trainBPosition;
    for (int k = 0; k < 2; ++k) {
        const float x = k == 0 ? a.x - 30.0f : a.x + 30.0f;
        lampAPosition = D3DXVECTOR3(x, a.y - 725.0f, 40.0f);
        if (warmFlares[k]) {
            warmFlares[k]->position = D3DXVECTOR3(x, a.y - 625.0f, a.z - 30.0f);
            warmFlares[k]->Render(*camera, 1, 1.0f, 1.0f, 0.7f, 1.0f);
        }
        if (redFlares[k]) {
            redFlares[k]->position = D3DXVECTOR3(k == 0 ? b.x - 60.0f : b.x - 130.0f, b.y - 6300.0f, b.z - 20.0f);
            redFlares[k]->Render(*camera, 1, 1.0f, 0.0f, 0.0f, 1.0f);
        }
    }
    lampBPosition = D3DXVECTOR3(b.x - 30.0f, b.y - 4200.0f, 40.0f);
    // The lights take their new places at the next world-list render.
    if (lampA) lampA->light.Position = lampAPosition;
    if (lampB) lampB->light.Position = lampBPosition;
}

void TunnelScene::Choreograph(float t) {
    if (!choreography) {
        choreography = std::make_unique<Choreography>();
        choreography->cameraY = eye.y;
        choreography->trainAY = trainAPosition.y;
        choreography->trainBY = trainBPosition.y;
    }
    Choreography& c = *choreography;

    // The camera flies along +Y from 100 to 113 s, looking ahead.
    c.cameraRamp.Start(100.0f, 113.0f, 8460.0f, c.cameraY);
    c.cameraY = c.cameraRamp.Evaluate(t);
    eye.y = c.cameraY;
    lookAt.y = c.cameraY + 10.0f;

    c.fadeRamp.Start(110.0f, 114.0f, 255.0f, 0.0f);
    c.blackAlpha = static_cast<int>(c.fadeRamp.Evaluate(t));
    if (c.blackAlpha > 0) c.overlay.Render(OverlayColour(c.blackAlpha, 0x000000));

    // A move by the difference to the stored y leaves exactly the ramp's value in the world matrix.
    c.trainARamp.Start(84.0f, 94.0f, -5300.0f, c.trainAY);
    const float a = c.trainARamp.Evaluate(t);
    if (trainA) trainA->Translate(0.0f, a - trainAPosition.y, 0.0f);
    trainAPosition.y = a;

    c.trainBRamp.Start(90.5f, 115.5f, 9000.0f, c.trainBY);
    const float b = c.trainBRamp.Evaluate(t);
    if (trainB) trainB->Translate(0.0f, b - trainBPosition.y, 0.0f);
    trainBPosition.y = b;

    // The flash rises to 155 and falls back; the fall restarts each time it finishes, which keeps
    // the value at or below zero afterwards.
    c.flashRamp.Start(98.0f, 98.5f, 155.0f, static_cast<float>(c.flashAlpha));
    c.flashAlpha = static_cast<int>(c.flashRamp.Evaluate(t));
    if (c.flashAlpha > 0) c.overlay.Render(OverlayColour(c.flashAlpha, 0xFFFFFF));
    if (c.flashRamp.IsFinished()) {
        c.flashRamp.Reset();
        c.flashRamp.Start(98.5f, 99.0f, -155.0f, static_cast<float>(c.flashAlpha));
    }
}

void TunnelScene::Unload() {
    if (IDirect3DDevice8* device = RenderDevice::Instance().GetDevice()) device->SetRenderState(D3DRS_FOGENABLE, FALSE);
}

int TunnelScene::GetStatus() { return 0; }
