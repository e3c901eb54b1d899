// HandScene: the animated hand in a shower of stars. For now it loads nothing and draws nothing.
#pragma once

#include "show/scene.h"

class HandScene : public Scene {
public:
    // Switches specular highlights on for the hand's lighting.
    HandScene();
    HRESULT Load() override;
    int Render(float t) override;
    // Switches D3DRS_SPECULARENABLE off.
    void Unload() override;
    int GetStatus() override;
};
