// TunnelScene: the train ride through the fogged tunnel. Two trains carry lamp flares and point
// lights, the camera waits and then flies down the tunnel, the screen flashes white and fades to
// black. Everything moves by show time; the scene never asks the frame timer for a step.
#pragma once

#include <array>
#include <memory>

#include "fx/billboard.h"
#include "fx/camera.h"
#include "fx/fade_overlay.h"
#include "fx/light.h"
#include "fx/mesh_instance.h"
#include "fx/ramp.h"
#include "fx/render_list.h"
#include "platform/math/d3dx8math.h"
#include "scene/mesh_model.h"
#include "show/scene.h"

class TunnelScene : public Scene {
public:
    static constexpr int kSegments = 6;
    static constexpr int kTunnelLamps = 12;

    TunnelScene();
    // The models are required; the flare images are not (a missing image leaves flares undrawn).
    HRESULT Load() override;
    int Render(float t) override;
    // Switches D3DRS_FOGENABLE off.
    void Unload() override;
    int GetStatus() override;

    const Camera& View() const { return *camera; }
    const MeshInstance* TrainA() const { return trainA.get(); }
    const MeshInstance* TrainB() const { return trainB.get(); }
    const Light* LampA() const { return lampA.get(); }
    const Light* LampB() const { return lampB.get(); }
    const BillboardInstance* TunnelLamp(int i) const { return tunnelLamps[i].get(); }
    // The white flash's alpha of the last frame (0 before the first one).
    int FlashAlpha() const { return choreography ? choreography->flashAlpha : 0; }

private:
    // Carried from frame to frame from the first Render on; never reset.
    struct Choreography {
        Ramp cameraRamp;
        Ramp fadeRamp;
        Ramp trainARamp;
        Ramp trainBRamp;
        Ramp flashRamp;
        FadeOverlay overlay;
        float cameraY = 0.0f;
        float trainAY = 0.0f;
        float trainBY = 0.0f;
        int flashAlpha = 0;
        int blackAlpha = 0;
    };

    void DrawTrainLamps();
    void Choreograph(float t);

    D3DXVECTOR3 eye{0.0f, -1460.0f, 35.0f};
    D3DXVECTOR3 lookAt{0.0f, -1460.0f, 35.0f};
    std::unique_ptr<ViewFrustum> frustum;
    std::unique_ptr<Camera> camera;
    std::unique_ptr<RenderList> world;
    std::unique_ptr<MeshModel> tunnelModel;
    std::unique_ptr<MeshModel> trainModel;
    std::array<std::unique_ptr<MeshInstance>, kSegments> segments;
    std::unique_ptr<MeshInstance> trainA;
    std::unique_ptr<MeshInstance> trainB;
    std::unique_ptr<Billboard> smallFlare;
    std::array<std::unique_ptr<BillboardInstance>, 2> warmFlares;
    D3DXVECTOR3 trainAPosition{48.0f, 2500.0f, -48.0f};
    D3DXVECTOR3 trainBPosition{48.0f, 2500.0f, -48.0f};
    std::array<std::unique_ptr<BillboardInstance>, 2> redFlares;
    std::unique_ptr<Light> fillLight;
    std::unique_ptr<Light> lampA;
    std::unique_ptr<Light> lampB;
    D3DXVECTOR3 lampAPosition{48.0f, 2500.0f, 50.0f};
    D3DXVECTOR3 lampBPosition{48.0f, 2500.0f, 50.0f};
    std::unique_ptr<Billboard> bigFlare;
    std::array<std::unique_ptr<BillboardInstance>, kTunnelLamps> tunnelLamps;
    std::unique_ptr<Choreography> choreography;
};
