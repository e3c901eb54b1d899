#include "show/scenes/organic_tunnel_scene.h"

#include <cmath>

#include "app/frame_timer.h"
#include "render/render_device.h"

namespace {

constexpr D3DCOLOR kBloodRed = 0xFF9B0000;

}  // namespace

OrganicTunnelScene::OrganicTunnelScene() {
    frustum = std::make_unique<ViewFrustum>();
    camera = std::make_unique<Camera>(eye.x, eye.y, eye.z, lookAt.x, lookAt.y, lookAt.z, 0.0f, 0.0f, 1.0f, *frustum);
}

HRESULT OrganicTunnelScene::Load() {
    world = std::make_unique<RenderList>();

    tunnelModel = std::make_unique<MeshModel>();
    if (FAILED(tunnelModel->Load("org_tunnel.x"))) return E_FAIL;

    eyeCreature = std::make_unique<AnimatedModel>();
    if (FAILED(eyeCreature->Load("eye_anim.x"))) return E_FAIL;

    for (int i = 0; i < kTeeth; ++i) {
        teeth[i] = std::make_unique<AnimatedModel>();
        if (FAILED(teeth[i]->Load("teeth_anim.x"))) return E_FAIL;
        teeth[i]->position = D3DXVECTOR3(0.0f, 500.0f * static_cast<float>(i), 0.0f);
    }

    for (int i = 0; i < kSegments; ++i) {
        segments[i] = std::make_unique<MeshInstance>(*tunnelModel, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f,
                                                     0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        segments[i]->Translate(0.0f, 1570.0f * static_cast<float>(i), 0.0f);
        world->AddInstance(segments[i].get());
    }

    light = std::make_unique<Light>(1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 1.8f, -1.0f);
    world->AddLight(light.get());

    globules = std::make_unique<ParticleSystem>(500, 12.0f, -70.0f, -1500.0f, -90.0f, 0.0f, 0.9f, -0.1f, 130.0f, 1,
                                                50.0f, 1, -9.8f, 0, 0);
    return FAILED(globules->Load("globule.tga")) ? E_FAIL : 0;
}

int OrganicTunnelScene::Render(float t) {
    RenderDevice::Instance().Clear(kBloodRed);
    if (world) world->EnableFog(kBloodRed, 0.0009f);

    if (!choreography) choreography = std::make_unique<Choreography>();
    Choreography& c = *choreography;

    // The eye creeps forward from 145 s while the look-at point shakes sideways with it.
    c.cameraRamp.Start(145.0f, 165.0f, 750.0f, eye.y);
    if (!c.cameraRamp.IsFinished()) {
        const float v = c.cameraRamp.Evaluate(t);
        eye.y = v;
        lookAt.x = 10.0f * std::sin(5.0f * v);
    }
    camera->LookAt(eye.x, eye.y, eye.z, lookAt.x, lookAt.y, lookAt.z, 0.0f, 0.0f, 1.0f);
    if (world) world->Render(*camera);

    const float step = static_cast<float>(FrameTimer(ElapsedTime));
    if (globules) {
        globules->Update(step * 0.5f);
        globules->Render(*camera);
    }
    if (eyeCreature) {
        eyeCreature->AdvanceTime(step * 1.2f);
        eyeCreature->Render();
    }
    for (auto& set : teeth) {
        if (!set) continue;
        set->AdvanceTime(step * 1.5f);
        set->Render();
    }

    c.fade.Start(163.0f, 165.0f, 255.0f, 0.0f);
    // The frame that reaches the end time is still drawn with the full fade.
    if (!c.fade.IsFinished()) {
        const int alpha = static_cast<int>(c.fade.Evaluate(t));
        if (alpha > 0) c.overlay.Render(OverlayColour(alpha, 0x000000));
    }
    return 0;
}

void OrganicTunnelScene::Unload() {
    if (IDirect3DDevice8* device = RenderDevice::Instance().GetDevice()) device->SetRenderState(D3DRS_FOGENABLE, FALSE);
}

int OrganicTunnelScene::GetStatus() { return 0; }
