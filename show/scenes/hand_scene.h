// HandScene: a still hand lit with specular highlights, circled by three small coloured lamps,
// each marked by a star, while a stream of star particles falls past. The picture fades to black
// over the last two seconds; the camera never moves.
#pragma once

#include <array>
#include <memory>

#include "fx/billboard.h"
#include "fx/camera.h"
#include "fx/fade_overlay.h"
#include "fx/light.h"
#include "fx/mesh_instance.h"
#include "fx/particle_system.h"
#include "fx/ramp.h"
#include "fx/render_list.h"
#include "platform/math/d3dx8math.h"
#include "scene/mesh_model.h"
#include "show/scene.h"

class HandScene : public Scene {
public:
    static constexpr int kLamps = 3;

    // Switches specular highlights on for the hand's lighting.
    HandScene();
    HRESULT Load() override;
    int Render(float t) override;
    // Switches D3DRS_SPECULARENABLE off.
    void Unload() override;
    int GetStatus() override;

    // Where lamp i (0 to 2) is at show time t; the paths use t as an angle in radians.
    static D3DXVECTOR3 LampPath(int i, float t);

    const Light* Lamp(int i) const { return lamps[i].get(); }
    const BillboardInstance* StarMarker(int i) const { return starMarkers[i].get(); }
    const MeshInstance* Hand() const { return hand.get(); }

private:
    // Carried from frame to frame from the first Render on; never reset.
    struct Choreography {
        Ramp fade;
        FadeOverlay overlay;
    };

    D3DXVECTOR3 eye{0.0f, -32.0f, 15.0f};
    D3DXVECTOR3 lookAt{0.0f, 0.0f, 0.0f};
    std::unique_ptr<ViewFrustum> frustum;
    std::unique_ptr<Camera> camera;
    std::unique_ptr<RenderList> world;
    std::unique_ptr<MeshModel> handModel;
    std::unique_ptr<MeshInstance> hand;
    std::array<std::unique_ptr<Light>, kLamps> lamps;
    D3DXVECTOR3 lampPosition{0.0f, 0.0f, 0.0f};
    std::unique_ptr<Billboard> starFlare;
    std::array<std::unique_ptr<BillboardInstance>, kLamps> starMarkers;
    std::unique_ptr<ParticleSystem> stars;
    std::unique_ptr<Choreography> choreography;
};
