// MainScene: the night city under falling snow, with trains, cars, lamp flares, particle plumes
// and the animated characters of its shots. Rendered in (21, 82], [114, 126] and after 165 s.
#pragma once

#include <array>
#include <cstdint>
#include <iterator>
#include <memory>

#include "fx/billboard.h"
#include "fx/camera.h"
#include "fx/light.h"
#include "fx/mesh_instance.h"
#include "fx/particle_system.h"
#include "fx/render_list.h"
#include "fx/sprite.h"
#include "platform/math/d3dx8math.h"
#include "scene/animated_model.h"
#include "scene/mesh_model.h"
#include "show/scene.h"
#include "show/scenes/city_places.h"

class MainSceneShots;

class MainScene : public Scene {
public:
    static constexpr std::size_t kLampFlareCount = std::size(city_places::kLampYs);
    static constexpr std::size_t kHighFlareCount = city_places::kWarningLightCount;
    // The lamp lights, then the sun.
    static constexpr std::size_t kLightCount = std::size(city_places::kLampLights) + 1;

    // Eye, look-at point, frustum and camera; nothing else until Load.
    MainScene();
    ~MainScene() override;
    MainScene(const MainScene&) = delete;
    MainScene& operator=(const MainScene&) = delete;

    // Creates the objects and loads their files; E_FAIL at the first file that fails (the lens
    // flare excepted), with what was made so far kept.
    HRESULT Load() override;
    // Draws the city for show time t and hands the frame to the opening phases and the shots.
    int Render(float t) override;
    void Unload() override;
    int GetStatus() override;

    const D3DXVECTOR3& Eye() const { return eye; }
    const D3DXVECTOR3& LookAtPoint() const { return lookAt; }
    const RenderList* WorldList() const { return worldList.get(); }

private:
    friend class MainSceneShots;

    // Shot-started flags, in this order.
    enum Shot : std::size_t { Run1, Run2, Praise, Sprites, Accident, ChangeDir, Climb, Walk, ShotCount };

    // The sun, the fifth light (null when not created yet).
    Light* Sun() const { return lights[kLightCount - 1].get(); }

    D3DXVECTOR3 eye{-2410.0f, -860.0f, 2500.0f};
    D3DXVECTOR3 lookAt{10.0f, -850.0f, 2500.0f};
    std::unique_ptr<ViewFrustum> frustum;
    std::unique_ptr<Camera> camera;
    std::unique_ptr<RenderList> worldList;
    std::unique_ptr<ParticleSystem> snowfall;
    std::unique_ptr<ParticleSystem> plumeA;
    std::unique_ptr<ParticleSystem> sparks;
    std::unique_ptr<ParticleSystem> plumeB;
    std::unique_ptr<MeshModel> cityModel;
    std::unique_ptr<MeshInstance> city;
    std::unique_ptr<MeshModel> bloodModel;
    std::unique_ptr<MeshInstance> blood;
    std::array<std::unique_ptr<Light>, kLightCount> lights;
    std::unique_ptr<Billboard> flare;
    std::array<std::unique_ptr<BillboardInstance>, kLampFlareCount> lampFlares;
    std::array<std::unique_ptr<BillboardInstance>, kHighFlareCount> highFlares;
    std::unique_ptr<AnimatedModel> idle;
    std::unique_ptr<AnimatedModel> run1;
    std::unique_ptr<AnimatedModel> run2;
    std::unique_ptr<AnimatedModel> accident;
    std::unique_ptr<AnimatedModel> changedir;
    std::unique_ptr<AnimatedModel> climb;
    std::unique_ptr<AnimatedModel> walk;
    std::unique_ptr<AnimatedModel> praise;
    std::array<std::int32_t, ShotCount> shotStarted{};
    std::unique_ptr<AnimatedModel> trains;
    std::unique_ptr<AnimatedModel> cars;
    std::unique_ptr<Sprite> spriteA;
    std::unique_ptr<Sprite> spriteB;

    // The phases' and shots' ramps, overlays and done flags, made on the first Render.
    std::unique_ptr<MainSceneShots> shots;
};
