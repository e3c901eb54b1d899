#include "show/scenes/hand_scene.h"

#include <cmath>

#include "app/frame_timer.h"
#include "render/render_device.h"

HandScene::HandScene() {
    frustum = std::make_unique<ViewFrustum>();
    camera = std::make_unique<Camera>(eye.x, eye.y, eye.z, lookAt.x, lookAt.y, lookAt.z, 0.0f, 0.0f, 1.0f, *frustum);
    if (IDirect3DDevice8* device = RenderDevice::Instance().GetDevice())
        device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
}

HRESULT HandScene::Load() {
    world = std::make_unique<RenderList>();

    handModel = std::make_unique<MeshModel>();
    if (FAILED(handModel->Load("hand.x"))) return E_FAIL;

    stars = std::make_unique<ParticleSystem>(500, 2.0f, -70.0f, -20.0f, 20.0f, 0.1f, 0.0f, -0.4f, 100.0f, 1, 28.0f, 1,
                                             -9.8f, 0, 0);
    if (FAILED(stars->Load("star.jpg"))) return E_FAIL;

    lampPosition = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    static constexpr float kColours[kLamps][3] = {{0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 0.0f}};
    for (int i = 0; i < kLamps; ++i)
        lamps[i] = std::make_unique<Light>(kColours[i][0], kColours[i][1], kColours[i][2], 1.0f, 0.0f, 0.0f, 0.0f,
                                           10.0f);

    starFlare = std::make_unique<Billboard>();
    if (FAILED(starFlare->Load("star.jpg", 14.0f))) return E_FAIL;
    for (auto& marker : starMarkers) marker = std::make_unique<BillboardInstance>(*starFlare);

    hand = std::make_unique<MeshInstance>(*handModel, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.1f, 0.1f, 0.1f,
                                          0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.01f);
    hand->Translate(-7.9f, 0.0f, -6.0f);
    world->AddInstance(hand.get());
    for (auto& lamp : lamps) world->AddLight(lamp.get());
    return 0;
}

D3DXVECTOR3 HandScene::LampPath(int i, float t) {
    switch (i) {
        case 0:
            return D3DXVECTOR3(5.0f * std::cos(2.0f * t) - 5.0f, 10.0f * std::sin(t), 6.0f * std::cos(t) + 3.0f);
        case 1:
            return D3DXVECTOR3(-5.0f - 8.0f * std::sin(t), -12.0f * std::cos(4.0f * t), 4.0f * std::cos(t) + 3.0f);
        default:
            return D3DXVECTOR3(-5.0f - 6.0f * std::sin(t), -8.0f * std::cos(t), 5.0f * std::sin(4.0f * t) + 3.0f);
    }
}

int HandScene::Render(float t) {
    RenderDevice::Instance().Clear(0xFF101010);

    const float step = static_cast<float>(FrameTimer(ElapsedTime));
    if (stars) stars->Update(step * 0.25f);

    for (int i = 0; i < kLamps; ++i) {
        lampPosition = LampPath(i, t);
        if (lamps[i]) lamps[i]->light.Position = lampPosition;
        if (starMarkers[i]) starMarkers[i]->position = lampPosition;
    }

    if (world) world->Render(*camera);
    for (auto& marker : starMarkers)
        if (marker) marker->Render(*camera, 1, 1.0f, 1.0f, 1.0f, 1.0f);
    if (stars) stars->Render(*camera);

    if (!choreography) choreography = std::make_unique<Choreography>();
    Choreography& c = *choreography;
    c.fade.Start(138.0f, 140.0f, 255.0f, 0.0f);
    // The frame that reaches the end time is still drawn with the full fade.
    if (!c.fade.IsFinished()) {
        const int alpha = static_cast<int>(c.fade.Evaluate(t));
        if (alpha > 0) c.overlay.Render(OverlayColour(alpha, 0x000000));
    }
    return 0;
}

void HandScene::Unload() {
    if (IDirect3DDevice8* device = RenderDevice::Instance().GetDevice())
        device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
}

int HandScene::GetStatus() { return 0; }
