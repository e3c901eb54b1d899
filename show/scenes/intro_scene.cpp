#include "show/scenes/intro_scene.h"

#include "app/frame_timer.h"
#include "render/render_device.h"
#include "show/scenes/scene_table.h"

namespace {

// White under the low byte of alpha, as the caption ramps give it.
D3DCOLOR WhiteWithAlpha(int alpha) { return (static_cast<D3DCOLOR>(alpha & 0xFF) << 24) + 0xFFFFFFu; }

std::unique_ptr<ParticleSystem> MakeFountain(float originY, float spread, DWORD fadeIn) {
    return std::make_unique<ParticleSystem>(100, 0.22f, 1.1f, originY, -0.13f, 0.0f, 0.0f, 0.0f, spread, 0, 10.9f, 1,
                                            0.0f, 1, fadeIn);
}

}  // namespace

IntroScene::IntroScene() {
    frustum = std::make_unique<ViewFrustum>();
    camera = std::make_unique<Camera>(eye.x, eye.y, eye.z, lookAt.x, lookAt.y, lookAt.z, 0.0f, 0.0f, 1.0f, *frustum);
}

HRESULT IntroScene::Load() {
    font = std::make_unique<TextRenderer>("Arial", 13, FontFlags::kBold);
    if (FAILED(font->Init())) return E_FAIL;

    fountainA = MakeFountain(0.35f, 1.5f, 1);
    if (FAILED(fountainA->Load("intro_particle.jpg"))) return E_FAIL;

    fountainB = MakeFountain(0.75f, 1.7f, 0);
    if (FAILED(fountainB->Load("intro_particle.jpg"))) return E_FAIL;

    title = std::make_unique<ScreenImage>();
    return FAILED(title->Load("title.jpg")) ? E_FAIL : 0;
}

void IntroScene::CaptionFade::Step(float t, float inStart, float switchAt, float outEnd) {
    ramp.Start(inStart, switchAt, 255.0f, static_cast<float>(alpha));
    if (ramp.IsFinished() && !switched) {
        switched = true;
        ramp.Reset();
        ramp.Start(switchAt, outEnd, -255.0f, static_cast<float>(alpha));
    }
    alpha = static_cast<int>(ramp.Evaluate(t));
}

int IntroScene::Render(float t) {
    RenderDevice& renderDevice = RenderDevice::Instance();
    const float w = static_cast<float>(renderDevice.width);
    const float h = static_cast<float>(renderDevice.height);
    if (!choreography) choreography = std::make_unique<Choreography>();
    Choreography& c = *choreography;

    renderDevice.Clear(kBackground);
    const float step = static_cast<float>(FrameTimer(ElapsedTime));

    c.caption.Step(t, 2.4f, 4.5f, 6.4f);    // studio caption
    c.presents.Step(t, 7.0f, 11.5f, 12.0f);  // presents caption

    if (t >= 12.0f && SceneWindow(ShowScene::Intro).NotOver(t) && title) title->Render(255);

    // White flash: up from 9 to 12 s, down to 15.5 s. Each time the ramp finishes it restarts
    // falling from its current value, so after 15.5 s the alpha stays at or below 0.
    c.flashRamp.Start(9.0f, 12.0f, 255.0f, 0.0f);
    c.flashAlpha = static_cast<int>(c.flashRamp.Evaluate(t));
    if (c.flashAlpha > 0) {
        if (!c.flashOverlay) c.flashOverlay = std::make_unique<FadeOverlay>();
        c.flashOverlay->Render(OverlayColour(c.flashAlpha, 0xFFFFFF));
    }
    if (c.flashRamp.IsFinished()) {
        c.flashRamp.Reset();
        c.flashRamp.Start(12.0f, 15.5f, -255.0f, static_cast<float>(c.flashAlpha));
    }

    if (font) {
        const float x = 0.35f * w;
        const float y = 0.5f * h;
        if (!c.caption.ramp.IsFinished()) font->DrawText(x, y, WhiteWithAlpha(c.caption.alpha), kStudioCaption, 0);
        font->DrawText(x, y, WhiteWithAlpha(c.presents.alpha), kPresentsCaption, 0);
    }

    RenderFountains(t, step);
    return 0;
}

void IntroScene::RenderFountains(float t, float step) {
    if (t < 0.5f || t > 9.0f) return;
    const float u = step * 0.06666667f;
    if (t < 8.0f && fountainA) {
        fountainA->Update(u);
        fountainA->Render(*camera);
    }
    if (fountainB) {
        fountainB->Update(u);
        fountainB->Render(*camera);
    }
}

void IntroScene::Unload() {
    if (font) font->Release();
    font.reset();
}

int IntroScene::GetStatus() { return 1; }
