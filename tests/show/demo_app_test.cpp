#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "show/demo_app.h"
#include "show/scenes/credits_scene.h"
#include "show/scenes/hand_scene.h"
#include "show/scenes/intro_scene.h"
#include "show/scenes/main_scene.h"
#include "show/scenes/organic_tunnel_scene.h"
#include "show/scenes/tunnel_scene.h"

namespace {

// Scenes that write what happens to them into a shared journal.
class RecordingScene : public Scene {
public:
    RecordingScene(std::string name, std::vector<std::string>& journal, HRESULT loadResult)
        : name_(std::move(name)), journal_(journal), loadResult_(loadResult) {
        journal_.push_back("new " + name_);
    }
    ~RecordingScene() override { journal_.push_back("delete " + name_); }
    HRESULT Load() override {
        journal_.push_back("load " + name_);
        if (throwsOnLoad) throw std::bad_alloc();
        return loadResult_;
    }
    int Render(float t) override {
        journal_.push_back("render " + name_ + " " + std::to_string(t));
        return 0;
    }
    void Unload() override { journal_.push_back("unload " + name_); }
    int GetStatus() override { return 0; }

    bool throwsOnLoad = false;  // Load runs out of memory

private:
    std::string name_;
    std::vector<std::string>& journal_;
    HRESULT loadResult_;
};

class DemoAppScenes : public ::testing::Test {
protected:
    SceneFactory::Make Maker(const char* name, HRESULT result = 0) {
        return [this, name, result] { return std::make_unique<RecordingScene>(name, journal, result); };
    }
    SceneFactory Factory(HRESULT introResult = 0, HRESULT othersResult = 0) {
        SceneFactory factory;
        factory[ShowScene::Intro] = Maker("intro", introResult);
        factory[ShowScene::Main] = Maker("main", othersResult);
        factory[ShowScene::Credits] = Maker("credits", othersResult);
        factory[ShowScene::Hand] = Maker("hand", othersResult);
        factory[ShowScene::Tunnel] = Maker("tunnel", othersResult);
        factory[ShowScene::OrganicTunnel] = Maker("organic", othersResult);
        return factory;
    }
    std::vector<std::string> journal;
};

TEST_F(DemoAppScenes, EachSceneIsLoadedRightAfterItIsCreatedInShowOrder) {
    DemoApp app(Factory());
    EXPECT_EQ(app.CreateScenes(), 0);
    const std::vector<std::string> expected = {"new intro",   "load intro",   "new main",    "load main",
                                               "new credits", "load credits", "new hand",    "load hand",
                                               "new tunnel",  "load tunnel",  "new organic", "load organic"};
    EXPECT_EQ(journal, expected);
}

TEST_F(DemoAppScenes, OnlyTheIntroResultIsExamined) {
    {
        DemoApp app(Factory(E_FAIL, 0));
        EXPECT_EQ(app.CreateScenes(), E_FAIL);
    }
    DemoApp app(Factory(0, E_FAIL));
    EXPECT_EQ(app.CreateScenes(), 0);
    // Scenes whose load failed are still there and still drawn in their windows.
    journal.clear();
    app.RenderScenes(230.0f);
    EXPECT_EQ(journal, (std::vector<std::string>{"render main 230.000000", "render credits 230.000000"}));
}

// The intro's failure is handled before the next scene is made, so no later scene's loader can
// overwrite the name the intro's loader left for the message; the other scenes are made after.
TEST_F(DemoAppScenes, TheIntroFailureIsHandledBeforeTheNextSceneIsMade) {
    DemoApp app(Factory(E_FAIL, E_FAIL));
    EXPECT_EQ(app.CreateScenes([this] { journal.push_back("intro failed"); }), E_FAIL);
    const std::vector<std::string> expected = {"new intro",   "load intro",   "intro failed", "new main",
                                               "load main",   "new credits",  "load credits", "new hand",
                                               "load hand",   "new tunnel",   "load tunnel",  "new organic",
                                               "load organic"};
    EXPECT_EQ(journal, expected);
    // A failure of any other scene is not handled at all.
    journal.clear();
    DemoApp others(Factory(0, E_FAIL));
    EXPECT_EQ(others.CreateScenes([this] { journal.push_back("intro failed"); }), 0);
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "intro failed"), 0);
}

// Running out of memory while a scene is made leaves its slot empty; while it loads, the scene
// keeps what it made. Either way it is a failed load and the next scene is made.
TEST_F(DemoAppScenes, OutOfMemoryInASceneIsAFailedLoadAndTheShowGoesOn) {
    SceneFactory factory = Factory();
    factory[ShowScene::Main] = []() -> std::unique_ptr<Scene> { throw std::bad_alloc(); };
    factory[ShowScene::Hand] = [this] {
        auto scene = std::make_unique<RecordingScene>("hand", journal, 0);
        scene->throwsOnLoad = true;
        return scene;
    };
    DemoApp app(factory);
    EXPECT_EQ(app.CreateScenes([this] { journal.push_back("intro failed"); }), 0);
    const std::vector<std::string> expected = {"new intro",  "load intro",  "new credits", "load credits",
                                               "new hand",   "load hand",   "new tunnel",  "load tunnel",
                                               "new organic", "load organic"};
    EXPECT_EQ(journal, expected);
    EXPECT_EQ(app.SceneOf(ShowScene::Main), nullptr);
    ASSERT_NE(app.SceneOf(ShowScene::Hand), nullptr);
    journal.clear();
    app.RenderScenes(130.0f);
    app.RenderScenes(230.0f);
    EXPECT_EQ(journal, (std::vector<std::string>{"render hand 130.000000", "render credits 230.000000"}));
}

// The intro out of memory, in its constructor or its Load, is the intro's failure.
TEST_F(DemoAppScenes, OutOfMemoryInTheIntroIsTheIntrosFailure) {
    SceneFactory factory = Factory();
    factory[ShowScene::Intro] = []() -> std::unique_ptr<Scene> { throw std::bad_alloc(); };
    {
        DemoApp app(factory);
        EXPECT_EQ(app.CreateScenes([this] { journal.push_back("intro failed"); }), E_OUTOFMEMORY);
        EXPECT_EQ(app.SceneOf(ShowScene::Intro), nullptr);
        ASSERT_GE(journal.size(), 2u);
        EXPECT_EQ(journal[0], "intro failed");
        EXPECT_EQ(journal[1], "new main");
    }
    journal.clear();
    factory[ShowScene::Intro] = [this] {
        auto scene = std::make_unique<RecordingScene>("intro", journal, 0);
        scene->throwsOnLoad = true;
        return scene;
    };
    DemoApp app(factory);
    EXPECT_EQ(app.CreateScenes([this] { journal.push_back("intro failed"); }), E_OUTOFMEMORY);
    EXPECT_NE(app.SceneOf(ShowScene::Intro), nullptr);
    ASSERT_GE(journal.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(journal.begin(), journal.begin() + 4),
              (std::vector<std::string>{"new intro", "load intro", "intro failed", "new main"}));
}

TEST_F(DemoAppScenes, ShutdownDeletesInItsOwnOrderAndOnlyOnce) {
    DemoApp app(Factory());
    app.CreateScenes();
    journal.clear();
    app.Shutdown();
    const std::vector<std::string> expected = {"delete intro",  "delete main",    "delete hand",
                                               "delete tunnel", "delete credits", "delete organic"};
    EXPECT_EQ(journal, expected);
    app.Shutdown();  // nothing left to delete
    EXPECT_EQ(journal, expected);
    for (ShowScene s : {ShowScene::Intro, ShowScene::Main, ShowScene::Credits}) EXPECT_EQ(app.SceneOf(s), nullptr);
}

TEST_F(DemoAppScenes, RenderDrawsTheTimelineSelectionWithTheShowTime) {
    DemoApp app(Factory());
    app.CreateScenes();
    journal.clear();
    EXPECT_TRUE(app.RenderScenes(82.5f).Empty());
    EXPECT_TRUE(journal.empty());
    app.RenderScenes(21.0f);
    app.RenderScenes(130.0f);
    app.RenderScenes(150.0f);
    EXPECT_EQ(journal, (std::vector<std::string>{"render intro 21.000000", "render hand 130.000000",
                                                 "render organic 150.000000"}));
}

TEST_F(DemoAppScenes, AMissingSceneIsSkippedNotCalled) {
    SceneFactory factory = Factory();
    factory[ShowScene::Main] = [] { return std::unique_ptr<Scene>(); };  // could not be made
    DemoApp app(factory);
    EXPECT_EQ(app.CreateScenes(), 0);
    EXPECT_EQ(app.SceneOf(ShowScene::Main), nullptr);
    journal.clear();
    app.RenderScenes(240.0f);
    EXPECT_EQ(journal, (std::vector<std::string>{"render credits 240.000000"}));
}

TEST(ShowScenes, DefaultFactoryMakesTheSixSceneClassesWithTheirConstants) {
    DemoApp app;
    // Whether the scenes find their files depends on the folder the test runs in; the classes
    // are made either way.
    app.CreateScenes();
    EXPECT_NE(dynamic_cast<IntroScene*>(app.SceneOf(ShowScene::Intro)), nullptr);
    EXPECT_NE(dynamic_cast<MainScene*>(app.SceneOf(ShowScene::Main)), nullptr);
    EXPECT_NE(dynamic_cast<CreditsScene*>(app.SceneOf(ShowScene::Credits)), nullptr);
    EXPECT_NE(dynamic_cast<HandScene*>(app.SceneOf(ShowScene::Hand)), nullptr);
    EXPECT_NE(dynamic_cast<TunnelScene*>(app.SceneOf(ShowScene::Tunnel)), nullptr);
    EXPECT_NE(dynamic_cast<OrganicTunnelScene*>(app.SceneOf(ShowScene::OrganicTunnel)), nullptr);
    const std::pair<ShowScene, int> status[] = {{ShowScene::Intro, 1}, {ShowScene::Main, 1},
                                                {ShowScene::Credits, 0}, {ShowScene::Hand, 0},
                                                {ShowScene::Tunnel, 0}, {ShowScene::OrganicTunnel, 0}};
    for (const auto& [scene, value] : status) EXPECT_EQ(app.SceneOf(scene)->GetStatus(), value) << SceneName(scene);
    // Without a device the scenes' Unload has nothing to switch off and must not fail.
    for (const auto& [scene, value] : status) app.SceneOf(scene)->Unload();
    EXPECT_EQ(app.SceneOf(ShowScene::Intro)->Render(1.0f), 0);
}

}  // namespace
