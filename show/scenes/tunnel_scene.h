// TunnelScene: the train ride through the fogged tunnel. For now it loads nothing and draws nothing.
#pragma once

#include "show/scene.h"

class TunnelScene : public Scene {
public:
    HRESULT Load() override;
    int Render(float t) override;
    // Switches D3DRS_FOGENABLE off.
    void Unload() override;
    int GetStatus() override;
};
