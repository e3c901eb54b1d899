// IntroScene: the title sequence that opens the show. Over a dark grey background it fades the
// studio and presents captions in and out, plays two small particle fountains, flashes the screen
// white and then shows the full-screen title picture.
#pragma once

#include <memory>

#include "fx/camera.h"
#include "fx/fade_overlay.h"
#include "fx/particle_system.h"
#include "fx/ramp.h"
#include "fx/screen_image.h"
#include "fx/text_renderer.h"
#include "platform/math/d3dx8math.h"
#include "show/scene.h"

class IntroScene : public Scene {
public:
    static constexpr const char* kStudioCaption = "k e s t r e l    l o o m";
    static constexpr const char* kPresentsCaption = "       p r e s e n t s";
    static constexpr D3DCOLOR kBackground = 0xFF101010;

    // Creates the frustum and the camera; everything else waits for Load.
    IntroScene();

    // Font, fountain A, fountain B, title picture, in that order; E_FAIL at the first failure.
    HRESULT Load() override;
    // Draws the intro for show time t; returns 0.
    int Render(float t) override;
    // Releases and deletes the scene's text renderer, when it has one.
    void Unload() override;
    int GetStatus() override;

    const TextRenderer* Font() const { return font.get(); }
    const Camera* SceneCamera() const { return camera.get(); }
    const ParticleSystem* FountainA() const { return fountainA.get(); }
    const ParticleSystem* FountainB() const { return fountainB.get(); }
    const ScreenImage* Title() const { return title.get(); }

private:
    // A caption that fades in over [inStart, switchAt] and, once that ramp has finished, out
    // over [switchAt, outEnd]; the switch happens once.
    struct CaptionFade {
        Ramp ramp;
        int alpha = 0;
        bool switched = false;

        // Advances to show time t and keeps the new alpha.
        void Step(float t, float inStart, float switchAt, float outEnd);
    };

    // The values that carry the fades from frame to frame; made on the first Render, never reset.
    struct Choreography {
        CaptionFade caption;
        CaptionFade presents;
        Ramp flashRamp;
        int flashAlpha = 0;
        std::unique_ptr<FadeOverlay> flashOverlay;  // made the first time the flash shows
    };

    void RenderFountains(float t, float step);

    D3DXVECTOR3 eye{0.0f, -5.0f, 0.0f};
    D3DXVECTOR3 lookAt{0.0f, 0.0f, 0.0f};
    std::unique_ptr<TextRenderer> font;
    std::unique_ptr<ViewFrustum> frustum;
    std::unique_ptr<Camera> camera;
    std::unique_ptr<ParticleSystem> fountainA;
    std::unique_ptr<ParticleSystem> fountainB;
    std::unique_ptr<ScreenImage> title;

    std::unique_ptr<Choreography> choreography;
};
