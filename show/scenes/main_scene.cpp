#include "show/scenes/main_scene.h"

#include "app/frame_timer.h"
#include "render/render_device.h"
#include "show/scenes/city_places.h"
#include "show/scenes/main_scene_shots.h"
#include "show/scenes/scene_table.h"

namespace {

// The show draws this scene in three windows; the last runs to the end, under the credits.
constexpr const TimeWindow& kCityWindow = SceneWindow(ShowScene::Main, 0);
constexpr const TimeWindow& kBetweenTunnelAndHand = SceneWindow(ShowScene::Main, 1);
constexpr const TimeWindow& kStreetsWindow = SceneWindow(ShowScene::Main, 2);
constexpr const TimeWindow& kCredits = SceneWindow(ShowScene::Credits);

std::unique_ptr<MeshInstance> StandardInstance(MeshModelBase& model) {
    // Diffuse and ambient white, no specular, no emission.
    return std::make_unique<MeshInstance>(model, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f,
                                          0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
}

// Creates the model in slot and loads the file; false when the load failed.
bool LoadCharacter(std::unique_ptr<AnimatedModel>& slot, const char* fileName) {
    slot = std::make_unique<AnimatedModel>();
    return slot->Load(fileName) >= 0;
}

}  // namespace

MainScene::MainScene()
    : frustum(std::make_unique<ViewFrustum>()),
      camera(std::make_unique<Camera>(eye.x, eye.y, eye.z, lookAt.x, lookAt.y, lookAt.z, 0.0f, 0.0f, 1.0f,
                                      *frustum)) {}

MainScene::~MainScene() = default;

HRESULT MainScene::Load() {
    snowfall = std::make_unique<ParticleSystem>(500, 20.0f, 0.0f, 0.0f, 970.0f, 0.8f, 0.0f, -2.9f, 1355.0f, 1, 24.0f,
                                                0, -9.8f, 0, 0);
    if (snowfall->Load("snowflake.jpg") < 0) return E_FAIL;
    const city_places::Place& steam = city_places::kVentSteam;
    plumeA = std::make_unique<ParticleSystem>(100, 50.0f, steam.x, steam.y, steam.z, 0.0f, 0.0f, 0.0f, 75.0f, 0, 38.0f,
                                              1, -9.8f, 0, 0);
    if (plumeA->Load("particle3.jpg") < 0) return E_FAIL;
    const city_places::Place& smoke = city_places::kChimneySmoke;
    plumeB = std::make_unique<ParticleSystem>(100, 50.0f, smoke.x, smoke.y, smoke.z, 0.0f, 0.0f, 0.0f, 70.0f, 1, 55.0f,
                                              1, -9.8f, 0, 0);
    if (plumeB->Load("particle3.jpg") < 0) return E_FAIL;
    const city_places::Place& spark = city_places::kSparks;
    sparks = std::make_unique<ParticleSystem>(70, 22.0f, spark.x, spark.y, spark.z, 0.0f, 0.0f, 0.0f, 19.0f, 1, 36.0f,
                                              1, -9.8f, 0, 0);
    if (sparks->Load("particle1.jpg") < 0) return E_FAIL;

    worldList = std::make_unique<RenderList>();

    cityModel = std::make_unique<MeshModel>();
    if (cityModel->Load("demo.x") < 0) return E_FAIL;
    bloodModel = std::make_unique<MeshModel>();
    if (bloodModel->Load("blood.x") < 0) return E_FAIL;

    trains = std::make_unique<AnimatedModel>();
    if (trains->Load("trains_anim.x") < 0) return E_FAIL;

    city = StandardInstance(*cityModel);
    worldList->AddInstance(city.get());
    blood = StandardInstance(*bloodModel);  // joins the list at the walk shot

    for (std::size_t i = 0; i < std::size(city_places::kLampLights); ++i) {
        const city_places::Place& p = city_places::kLampLights[i];
        lights[i] = std::make_unique<Light>(0.2f, 0.2f, 0.0f, 1.0f, p.x, p.y, p.z, city_places::kLampLightRange);
    }
    lights[kLightCount - 1] = std::make_unique<Light>(1.0f, 1.0f, 1.0f, 1.0f, -1.2f, 10.8f, 0.0f);
    for (const auto& light : lights) worldList->AddLight(light.get());

    flare = std::make_unique<Billboard>();
    flare->Load("lens_flare.jpg", 250.0f);  // a missing flare image leaves the flares dark

    for (std::size_t i = 0; i < kLampFlareCount; ++i) {
        lampFlares[i] = std::make_unique<BillboardInstance>(*flare);
        lampFlares[i]->position = D3DXVECTOR3(city_places::kLampX, city_places::kLampYs[i], city_places::kLampHeadZ);
    }
    for (std::size_t j = 0; j < kHighFlareCount; ++j) {
        highFlares[j] = std::make_unique<BillboardInstance>(*flare);
        const city_places::Place& first = city_places::kFirstWarningLight;
        const float step = city_places::kWarningLightStep * static_cast<float>(j);
        highFlares[j]->position = D3DXVECTOR3(first.x - step, first.y + step, first.z);
    }

    if (!LoadCharacter(cars, "cars.x") || !LoadCharacter(idle, "idle.x") || !LoadCharacter(run1, "run1.x") ||
        !LoadCharacter(run2, "run2.x") || !LoadCharacter(accident, "accident.x") ||
        !LoadCharacter(changedir, "changedir.x") || !LoadCharacter(climb, "climb.x") ||
        !LoadCharacter(walk, "walk.x") || !LoadCharacter(praise, "praise.x")) {
        return E_FAIL;
    }

    spriteA = std::make_unique<Sprite>();
    if (spriteA->Load("jap_escape.tga") < 0) return E_FAIL;
    spriteB = std::make_unique<Sprite>();
    return spriteB->Load("jap_exp.tga") >= 0 ? 0 : E_FAIL;
}

int MainScene::Render(float t) {
    RenderDevice::Instance().Clear(0xFF252839);
    if (worldList) worldList->EnableFog(0xFF000000, 0.00029f);

    // Snow falls around where the camera stood last frame.
    if (snowfall) {
        D3DXVECTOR3 d;
        D3DXVec3Normalize(&d, &lookAt);
        const D3DXVECTOR3& e = camera->eye;
        snowfall->SetOrigin(D3DXVECTOR3(e.x + 70.0f * d.x - 570.0f, e.y + 70.0f * d.y - 570.0f, e.z + d.z + 355.0f));
    }
    camera->LookAt(eye.x, eye.y, eye.z, lookAt.x, lookAt.y, lookAt.z, 0.0f, 0.0f, 1.0f);

    const float s = static_cast<float>(FrameTimer(ElapsedTime));
    if (snowfall) snowfall->Update(s * 0.14285715f);
    if (plumeA) plumeA->Update(s * 0.2f);
    if (sparks) sparks->Update(s);
    if (plumeB) plumeB->Update(s);

    if (worldList) worldList->Render(*camera);

    if (trains && t >= 3.5f && (t <= 72.0f || t >= 83.0f)) {
        trains->AdvanceTime(s * 0.8f);
        trains->Render();
    }

    for (ParticleSystem* system : {snowfall.get(), plumeA.get(), sparks.get(), plumeB.get()}) {
        if (system) system->Render(*camera);
    }

    // Flares need the quad buffer; a flare that never loaded has none.
    if (flare && flare->VertexBuffer()) {
        for (const auto& instance : lampFlares) {
            if (instance) instance->Render(*camera, 1, 1.0f, 1.0f, 1.0f, 1.0f);
        }
        for (const auto& instance : highFlares) {
            if (instance) instance->Render(*camera, 1, 1.0f, 1.0f, 1.0f, 1.0f);
        }
    }

    if (!shots) shots = std::make_unique<MainSceneShots>(*this);
    shots->RunPhases(t, s);
    if (t > 55.0f && t <= 70.0f) shots->SpritesShot(t);
    if (kCredits.HasBegun(t)) shots->PraiseShot(t, s);
    if (t >= 71.0f && kCityWindow.NotOver(t)) shots->Run1Shot(t, s);
    if (kBetweenTunnelAndHand.Holds(t)) shots->Run2Shot(t, s);
    if (kStreetsWindow.HasBegun(t) && t <= kCredits.from) shots->StreetShots(t, s);
    return 0;
}

void MainScene::Unload() {}

int MainScene::GetStatus() { return 1; }
