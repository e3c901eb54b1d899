// MainSceneShots: the direction of the main scene. Two opening phases and the shots move the
// scene's camera, animate one character at a time, slide the two sprites, turn the sun and lay
// fades over the picture. Each phase and shot makes its ramps and its overlay on its first call
// and keeps them, so nothing replays.
#pragma once

#include <memory>

#include "fx/fade_overlay.h"
#include "fx/ramp.h"

class AnimatedModel;
class MainScene;

class MainSceneShots {
public:
    explicit MainSceneShots(MainScene& scene);
    ~MainSceneShots();
    MainSceneShots(const MainSceneShots&) = delete;
    MainSceneShots& operator=(const MainSceneShots&) = delete;

    // Phase 1 until it reports done, then phase 2 until it does; at most one per frame.
    void RunPhases(float t, float s);
    void SpritesShot(float t);
    void PraiseShot(float t, float s);
    void Run1Shot(float t, float s);
    void Run2Shot(float t, float s);
    void StreetShots(float t, float s);

private:
    struct PhaseOneState;
    struct PhaseTwoState;
    struct SpritesState;
    struct PraiseState;
    struct Run1State;
    struct Run2State;
    struct StreetState;

    bool PhaseOne(float t);
    bool PhaseTwo(float t, float s);
    // Sets the sun's direction as given, without normalising it.
    void SetSun(float x, float y, float z);

    MainScene& scene;
    bool phaseOneDone = false;
    bool phaseTwoDone = false;
    std::unique_ptr<PhaseOneState> phaseOne;
    std::unique_ptr<PhaseTwoState> phaseTwo;
    std::unique_ptr<SpritesState> sprites;
    std::unique_ptr<PraiseState> praise;
    std::unique_ptr<Run1State> run1;
    std::unique_ptr<Run2State> run2;
    std::unique_ptr<StreetState> street;
};

// Advances the character by s and draws it; a character that was never created is skipped.
void AnimateCharacter(AnimatedModel* character, float s);
// Draws overlay with the colour base + (value truncated) * 2^24 while ramp has not finished, the
// test made before ramp is evaluated at t.
void OverlayWhileRunning(Ramp& ramp, FadeOverlay& overlay, float t, D3DCOLOR base);
