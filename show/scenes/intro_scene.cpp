#include "show/scenes/intro_scene.h"

#include "app/frame_timer.h"
#include "render/render_device.h"

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
    font = std::make_unique<TextRenderer>("Arial", 13, TextRenderer::kBold);
    if (FAILED(font->Init())) return E_FAIL;

    fountainA = MakeFountain(0.35f, 1.5f, 1);
    if (FAILED(fountainA->Load("intro_particle.jpg"))) return E_FAIL;

    fountainB = MakeFountain(0.75f, 1.7f, 0);
    if (FAILED(fountainB->Load("intro_particle.jpg"))) return E_FAIL;

    title = std::make_unique<ScreenImage>();
    return FAILED(title->Load("title.jpg")) ? E_FAIL : 0;
}

int IntroScene::Render(float t) {
    RenderDevice& renderDevice = RenderDevice::Instance();
    const float w = static_cast<float>(renderDevice.width);
    const float h = static_cast<float>(renderDevice.height);
    if (!choreography) choreography = std::make_unique<Choreography>();
    Choreography& c = *choreography;

    renderDevice.Clear(kBackground);
    const float step = static_cast<float>(FrameTimer(ElapsedTime));

    // Studio caption: in from 2.4 to 4.5 s, then out to 6.4 s, switched once.
    c.captionRamp.Start(2.4f, 4.5f, 255.0f, static_cast<float>(c.captionAlpha));
    if (c.captionRamp.IsFinished() && !c.captionSwitched) {
        c.captionSwitched = true;
        c.captionRamp.Reset();
        c.captionRamp.Start(4.5f, 6.4f, -255.0f, static_cast<float>(c.captionAlpha));
    }
    c.captionAlpha = static_cast<int>(c.captionRamp.Evaluate(t));

    // Presents caption: in from 7 to 11.5 s, out by 12 s.
    c.presentsRamp.Start(7.0f, 11.5f, 255.0f, static_cast<float>(c.presentsAlpha));
    if (c.presentsRamp.IsFinished() && !c.presentsSwitched) {
        c.presentsSwitched = true;
        c.presentsRamp.Reset();
        c.presentsRamp.Start(11.5f, 12.0f, -255.0f, static_cast<float>(c.presentsAlpha));
    }
    c.presentsAlpha = static_cast<int>(c.presentsRamp.Evaluate(t));

    if (t >= 12.0f && t <= 21.0f && title) title->Render(255);

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
        if (!c.captionRamp.IsFinished()) font->DrawText(x, y, WhiteWithAlpha(c.captionAlpha), kStudioCaption, 0);
        font->DrawText(x, y, WhiteWithAlpha(c.presentsAlpha), kPresentsCaption, 0);
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
