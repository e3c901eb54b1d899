#include "show/scenes/main_scene_shots.h"

#include <cstdint>
#include <tuple>

#include "render/render_device.h"
#include "show/scenes/city_places.h"
#include "show/scenes/main_scene.h"
#include "show/scenes/scene_table.h"

struct MainSceneShots::PhaseOneState {
    Ramp p, q, z, y;
    FadeOverlay overlay;
};

struct MainSceneShots::PhaseTwoState {
    Ramp flashOut, fadeIn, e;
    FadeOverlay overlay;
};

struct MainSceneShots::SpritesState {
    Ramp a, b;
    float spriteAX = 0.0f, spriteAY = 0.0f, spriteBX = 0.0f, spriteBY = 0.0f;
};

struct MainSceneShots::PraiseState {
    Ramp glide;
};

struct MainSceneShots::Run1State {
    Ramp pan, fade;
    FadeOverlay overlay;
};

struct MainSceneShots::Run2State {
    Ramp fade;
    FadeOverlay overlay;
};

struct MainSceneShots::StreetState {
    Ramp pan, changedirPan, climbMove, r1, r2, fadeAccident, fadeChangedir, height;
    FadeOverlay overlay;
};

namespace {

constexpr D3DCOLOR kBlack = 0x00000000;
constexpr D3DCOLOR kWhite = 0x00FFFFFF;
constexpr D3DCOLOR kRed = 0x00FF0000;

}  // namespace

void AnimateCharacter(AnimatedModel* character, float s) {
    if (!character) return;
    character->AdvanceTime(s);
    character->Render();
}

void OverlayWhileRunning(Ramp& ramp, FadeOverlay& overlay, float t, D3DCOLOR base) {
    if (ramp.IsFinished()) return;
    overlay.Render(OverlayColour(static_cast<int>(ramp.Evaluate(t)), base));  // truncated toward zero
}

MainSceneShots::MainSceneShots(MainScene& owner) : scene(owner) {}

MainSceneShots::~MainSceneShots() = default;

void MainSceneShots::SetSun(float x, float y, float z) {
    if (Light* sun = scene.Sun()) sun->light.Direction = D3DVECTOR{x, y, z};
}

void MainSceneShots::RunPhases(float t, float s) {
    if (!phaseOneDone) {
        phaseOneDone = PhaseOne(t);
    } else if (!phaseTwoDone) {
        phaseTwoDone = PhaseTwo(t, s);
    }
}

bool MainSceneShots::PhaseOne(float t) {
    if (!phaseOne) phaseOne = std::make_unique<PhaseOneState>();
    auto& st = *phaseOne;
    D3DXVECTOR3& eye = scene.eye;
    D3DXVECTOR3& lookAt = scene.lookAt;

    st.p.Start(0.0f, 5.2f, -255.0f, 255.0f);
    OverlayWhileRunning(st.p, st.overlay, t, kBlack);
    st.q.Start(39.0f, 40.0f, 255.0f, 0.0f);
    OverlayWhileRunning(st.q, st.overlay, t, kWhite);

    // The camera sinks from high above the city.
    st.z.Start(21.0f, 26.0f, -1655.0f, eye.z);
    if (!st.z.IsFinished()) {
        eye.z = lookAt.z = st.z.Evaluate(t);
    }
    // Then the gaze sweeps along the diagonal.
    st.y.Start(26.0f, 40.0f, 3355.0f, lookAt.y);
    if (!st.y.IsFinished()) {
        const float v = st.y.Evaluate(t);
        lookAt.y = v + eye.y + 10.0f;
        lookAt.x = v;
    }
    if (!st.y.IsFinished()) return false;

    eye = D3DXVECTOR3(-390.0f, -1935.0f, 25.0f);
    lookAt = D3DXVECTOR3(-390.0f, -1930.0f, 25.0f);
    if (scene.idle) scene.idle->position = D3DXVECTOR3(0.0f, -600.0f, 18.5f);
    return true;
}

bool MainSceneShots::PhaseTwo(float t, float s) {
    if (!phaseTwo) phaseTwo = std::make_unique<PhaseTwoState>();
    auto& st = *phaseTwo;
    AnimateCharacter(scene.idle.get(), s);

    st.flashOut.Start(40.0f, 41.0f, -255.0f, 255.0f);
    OverlayWhileRunning(st.flashOut, st.overlay, t, kWhite);
    st.fadeIn.Start(54.0f, 55.0f, 255.0f, 0.0f);
    OverlayWhileRunning(st.fadeIn, st.overlay, t, kBlack);

    // The eye rises slowly above the standing figure.
    st.e.Start(40.0f, 55.0f, 50.0f, scene.eye.z);
    if (st.e.IsFinished()) return true;
    scene.eye.z = scene.lookAt.z = st.e.Evaluate(t);
    return false;
}

void MainSceneShots::SpritesShot(float t) {
    if (!sprites) sprites = std::make_unique<SpritesState>();
    auto& st = *sprites;
    Sprite* a = scene.spriteA.get();
    Sprite* b = scene.spriteB.get();
    const float w = static_cast<float>(RenderDevice::Instance().width);
    const float h = static_cast<float>(RenderDevice::Instance().height);

    if (!scene.shotStarted[MainScene::Sprites]) {
        scene.shotStarted[MainScene::Sprites] = 1;
        scene.eye = D3DXVECTOR3(-470.0f, -1835.0f, 25.0f);
        scene.lookAt = D3DXVECTOR3(10.0f, -850.0f, 2500.0f);
        st.spriteAX = w;
        st.spriteAY = 0.3f * h;
        st.spriteBX = -500.0f;
        st.spriteBY = 0.1f * h;
        for (auto [sprite, x, y] : {std::tuple{a, st.spriteAX, st.spriteAY}, std::tuple{b, st.spriteBX, st.spriteBY}}) {
            if (!sprite) continue;
            sprite->translation = D3DXVECTOR2(x, y);
            sprite->colour = 0x96FFFFFF;
        }
    }

    st.b.Start(59.0f, 69.0f, 1.8f * w, st.spriteBX);
    if (!st.a.IsFinished()) {
        st.spriteBX = st.b.Evaluate(t);
        if (b) {
            b->translation = D3DXVECTOR2(st.spriteBX, st.spriteBY);
            b->Draw();
        }
    }
    st.a.Start(58.0f, 70.0f, -1.8f * w, st.spriteAX);
    if (st.a.IsFinished()) return;
    st.spriteAX = st.a.Evaluate(t);
    if (a) {
        a->translation = D3DXVECTOR2(st.spriteAX, st.spriteAY);
        a->Draw();
    }
}

void MainSceneShots::Run1Shot(float t, float s) {
    if (!run1) run1 = std::make_unique<Run1State>();
    auto& st = *run1;
    if (t <= 78.0f) AnimateCharacter(scene.run1.get(), s);

    if (!scene.shotStarted[MainScene::Run1]) {
        scene.shotStarted[MainScene::Run1] = 1;
        scene.eye = D3DXVECTOR3(-200.0f, -995.0f, 75.0f);
        scene.lookAt = D3DXVECTOR3(-200.0f, -955.0f, 75.0f);
        if (scene.run1) scene.run1->position = D3DXVECTOR3(-200.0f, -965.0f, 18.5f);
    }

    st.pan.Start(73.0f, 80.0f, 250.0f, scene.lookAt.x);
    if (!st.pan.IsFinished()) {
        const float v = st.pan.Evaluate(t);
        if (t >= 73.0f) {
            // Applied every frame, so the drift grows with the frame rate.
            scene.eye.x -= 0.01f * v;
            scene.eye.y -= 0.002f * v;
        }
        scene.lookAt.x = v;
    }
    st.fade.Start(77.0f, 82.0f, 255.0f, 0.0f);
    OverlayWhileRunning(st.fade, st.overlay, t, kBlack);
}

void MainSceneShots::Run2Shot(float t, float s) {
    if (!run2) run2 = std::make_unique<Run2State>();
    auto& st = *run2;
    if (!scene.shotStarted[MainScene::Run2]) {
        scene.shotStarted[MainScene::Run2] = 1;
        if (scene.run2) {
            scene.run2->rotation = D3DXVECTOR3(0.0f, 0.0f, 1.5f);
            scene.run2->position = D3DXVECTOR3(1820.0f, -920.0f, 18.5f);
        }
        scene.eye = D3DXVECTOR3(1910.0f, 800.0f, 30.0f);
        scene.lookAt = D3DXVECTOR3(1980.0f, -550.0f, 35.0f);
        SetSun(1.2f, -1.8f, 0.0f);
    }
    if (t >= 115.0f) AnimateCharacter(scene.run2.get(), s);
    st.fade.Start(124.0f, 126.0f, 255.0f, 0.0f);
    OverlayWhileRunning(st.fade, st.overlay, t, kBlack);
}

void MainSceneShots::StreetShots(float t, float s) {
    if (!street) street = std::make_unique<StreetState>();
    auto& st = *street;
    D3DXVECTOR3& eye = scene.eye;
    D3DXVECTOR3& lookAt = scene.lookAt;

    if (!scene.shotStarted[MainScene::Accident]) {
        scene.shotStarted[MainScene::Accident] = 1;
        if (scene.accident) scene.accident->position = D3DXVECTOR3(-8.0f, 300.0f, 18.5f);
        eye = D3DXVECTOR3(2010.0f, 900.0f, 50.0f);
        lookAt = D3DXVECTOR3(280.0f, 3000.0f, 50.0f);
        SetSun(-1.2f, 10.8f, 0.0f);
    }
    st.pan.Start(166.2f, 166.7f, 1000.0f, lookAt.x);
    if (!st.pan.IsFinished()) lookAt.x = st.pan.Evaluate(t);

    if (SceneWindow(ShowScene::Main, 2).HasBegun(t) && t <= 175.0f) {
        if (scene.cars) scene.cars->AdvanceTime(s);
        if (scene.accident) {
            scene.accident->AdvanceTime(s);
            scene.accident->Render();
        }
        if (scene.cars) scene.cars->Render();
    }

    if (t > 174.0f && t <= 184.0f) {
        if (!scene.shotStarted[MainScene::ChangeDir]) {
            scene.shotStarted[MainScene::ChangeDir] = 1;
            if (scene.changedir) {
                scene.changedir->rotation = D3DXVECTOR3(0.0f, 0.0f, 1.5f);
                scene.changedir->position = D3DXVECTOR3(980.0f, 2150.0f, 18.5f);
            }
            eye = D3DXVECTOR3(1980.0f, 3500.0f, 50.0f);
            lookAt = D3DXVECTOR3(1580.0f, 2650.0f, 50.0f);
            SetSun(1.2f, -1.8f, 0.0f);
        }
        st.changedirPan.Start(175.2f, 178.0f, -700.0f, lookAt.x);
        if (!st.changedirPan.IsFinished()) lookAt.x = st.changedirPan.Evaluate(t);
        AnimateCharacter(scene.changedir.get(), s);
    }

    if (t > 184.0f && t <= 193.0f) {
        if (!scene.shotStarted[MainScene::Climb]) {
            scene.shotStarted[MainScene::Climb] = 1;
            if (scene.climb) scene.climb->position = D3DXVECTOR3(0.0f, -1.0f, 41.0f);
            eye = D3DXVECTOR3(1150.0f, 4700.0f, 50.0f);
            lookAt = D3DXVECTOR3(1150.0f, 4750.0f, 50.0f);
            SetSun(-1.2f, 10.8f, 0.0f);
        }
        st.climbMove.Start(190.0f, 191.0f, 200.0f, eye.y);
        if (!st.climbMove.IsFinished()) {
            const float v = st.climbMove.Evaluate(t);
            eye.y = v;
            lookAt.y += v;  // keeps the gaze straight ahead along +Y
        }
        AnimateCharacter(scene.climb.get(), s);
    }

    if (t > 193.0f) {
        if (!scene.shotStarted[MainScene::Walk]) {
            scene.shotStarted[MainScene::Walk] = 1;
            eye = D3DXVECTOR3(950.0f, 3300.0f, 90.0f);
            lookAt = D3DXVECTOR3(1950.0f, 5750.0f, 50.0f);
            if (scene.walk) scene.walk->position = D3DXVECTOR3(1000.0f, 3400.0f, 18.5f);
            if (scene.blood && scene.worldList) {
                const city_places::Place& mark = city_places::kBloodMark;
                scene.blood->Translate(mark.x, mark.y, mark.z);
                scene.worldList->AddInstance(scene.blood.get());
            }
        }
        if (t <= 200.0f) AnimateCharacter(scene.walk.get(), s);
    }

    // The red flash of the accident: rising to full red, then fading out.
    st.r1.Start(191.0f, 193.0f, 255.0f, 0.0f);
    OverlayWhileRunning(st.r1, st.overlay, t, kRed);
    if (st.r1.IsFinished()) {
        st.r2.Start(193.0f, 195.0f, -255.0f, 255.0f);
        OverlayWhileRunning(st.r2, st.overlay, t, kRed);
    }
    st.fadeAccident.Start(173.0f, 174.0f, 255.0f, 0.0f);
    OverlayWhileRunning(st.fadeAccident, st.overlay, t, kBlack);
    st.fadeChangedir.Start(182.0f, 184.0f, 255.0f, 0.0f);
    OverlayWhileRunning(st.fadeChangedir, st.overlay, t, kBlack);

    // Holds the eye at the first street frame's height, then lifts it.
    st.height.Start(205.0f, 225.0f, 250.0f, eye.z);
    if (!st.height.IsFinished()) eye.z = st.height.Evaluate(t);
}

void MainSceneShots::PraiseShot(float t, float s) {
    if (!praise) praise = std::make_unique<PraiseState>();
    auto& st = *praise;
    if (!scene.shotStarted[MainScene::Praise]) {
        scene.shotStarted[MainScene::Praise] = 1;
        scene.eye = D3DXVECTOR3(2225.0f, -1570.0f, 1090.0f);
        scene.lookAt = D3DXVECTOR3(1615.0f, -1210.0f, 1090.0f);
        if (scene.praise) scene.praise->position = D3DXVECTOR3(2115.0f, 15.0f, 1065.0f);
    }
    AnimateCharacter(scene.praise.get(), s);
    if (t >= 243.0f) SetSun(1.2f, -1.8f, 0.0f);

    st.glide.Start(226.0f, 257.0f, 500.0f, -1600.0f);
    if (!st.glide.IsFinished()) {
        const float v = st.glide.Evaluate(t);
        scene.eye.x = 300.0f - v;
        scene.eye.y = v + 100.0f;
    }
}
