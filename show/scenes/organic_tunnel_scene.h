// OrganicTunnelScene: the organic tunnel with the eye and the teeth. For now it loads nothing and draws nothing.
#pragma once

#include "show/scene.h"

class OrganicTunnelScene : public Scene {
public:
    HRESULT Load() override;
    int Render(float t) override;
    // Switches D3DRS_FOGENABLE off.
    void Unload() override;
    int GetStatus() override;
};
