// OrganicTunnelScene: a red-fogged tunnel of six organic segments where an animated eye and a row
// of ten sets of teeth play their animations while globules drift through. The camera creeps
// forward with a fast sideways shake of its look-at point; the picture fades to black at the end.
#pragma once

#include <array>
#include <memory>

#include "fx/camera.h"
#include "fx/fade_overlay.h"
#include "fx/light.h"
#include "fx/mesh_instance.h"
#include "fx/particle_system.h"
#include "fx/ramp.h"
#include "fx/render_list.h"
#include "platform/math/d3dx8math.h"
#include "scene/animated_model.h"
#include "scene/mesh_model.h"
#include "show/scene.h"

class OrganicTunnelScene : public Scene {
public:
    static constexpr int kSegments = 6;
    static constexpr int kTeeth = 10;

    OrganicTunnelScene();
    HRESULT Load() override;
    int Render(float t) override;
    // Switches D3DRS_FOGENABLE off.
    void Unload() override;
    int GetStatus() override;

    const Camera& View() const { return *camera; }

private:
    // Carried from frame to frame from the first Render on; never reset.
    struct Choreography {
        Ramp cameraRamp;
        Ramp fade;
        FadeOverlay overlay;
    };

    D3DXVECTOR3 eye{0.0f, -1260.0f, 30.0f};
    D3DXVECTOR3 lookAt{0.0f, 0.0f, 0.0f};
    std::unique_ptr<ViewFrustum> frustum;
    std::unique_ptr<Camera> camera;
    std::unique_ptr<RenderList> world;
    std::unique_ptr<MeshModel> tunnelModel;
    std::array<std::unique_ptr<MeshInstance>, kSegments> segments;
    std::unique_ptr<AnimatedModel> eyeCreature;
    std::array<std::unique_ptr<AnimatedModel>, kTeeth> teeth;
    std::unique_ptr<Light> light;
    std::unique_ptr<ParticleSystem> globules;
    std::unique_ptr<Choreography> choreography;
};
