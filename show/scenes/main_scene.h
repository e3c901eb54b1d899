// MainScene: the night city under falling snow. For now it loads nothing and draws nothing.
#pragma once

#include "show/scene.h"

class MainScene : public Scene {
public:
    HRESULT Load() override;
    int Render(float t) override;
    // Holds nothing to release.
    void Unload() override;
    int GetStatus() override;
};
