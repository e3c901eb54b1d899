// DemoApp: the show's application. Its Run, on the worker thread, is the whole show: the render
// device with a letterboxed viewport, a loading caption, the six scenes, the music and then the
// frame loop, which draws the scenes whose windows hold the show time until 258 seconds.
#pragma once

#include <functional>
#include <memory>

#include "app/application.h"
#include "app/setup_dialog.h"
#include "fx/text_renderer.h"
#include "show/scene.h"
#include "show/timeline.h"

// How the six scenes are made, one maker per scene. The default makes the show's own scene
// classes (kShowScenes); tests pass recording stand-ins.
struct SceneFactory {
    using Make = std::function<std::unique_ptr<Scene>()>;
    com::EnumTable<ShowScene, Make> makers;

    Make& operator[](ShowScene scene) { return makers[com::EnumIndex(scene)]; }
    const Make& operator[](ShowScene scene) const { return makers[com::EnumIndex(scene)]; }

    static SceneFactory ShowScenes();
};

class DemoApp : public Application {
public:
    DemoApp();
    explicit DemoApp(SceneFactory factory);
    // Run uses the scenes and the font: the worker is stopped before they go.
    ~DemoApp();

    void Run() override;
    // The setup dialog fills the display settings; false when it was cancelled.
    bool Configure(DisplaySettings& displaySettings) override;
    bool AfterWindow() override;
    // Destroys each scene that exists, in the table's shutdown order: intro, main, hand, tunnel,
    // credits, organic tunnel.
    void Shutdown() override;

    // Creates and loads the scenes in the table's load order (intro, main, credits, hand, tunnel,
    // organic tunnel); returns the intro's result, the only one examined. introFailed, when
    // given, is called as soon as the intro's Load has failed, before the next scene is made,
    // while the error reporter's detail still names the intro's file. A scene that runs out of
    // memory while it is made or loaded has failed to load (E_OUTOFMEMORY); the next is made.
    HRESULT CreateScenes(const std::function<void()>& introFailed = {});
    // Draws the scenes whose windows hold t, in the timeline's order; the selection drawn.
    SceneSelection RenderScenes(float t);

    Scene* SceneOf(ShowScene which) const;
    // Written by the worker thread only: read them from there (a present handler, say).
    float ShowTime() const { return showTime; }
    float FramesPerSecond() const { return framesPerSecond; }
    // True from the first frame of the show loop on.
    bool Playing() const { return playing_; }

private:
    void DrawLoadingFrame();

    SetupChoices choices{};
    std::unique_ptr<TextRenderer> font;
    com::EnumTable<ShowScene, std::unique_ptr<Scene>> scenes;

    SceneFactory factory_;
    bool playing_ = false;
};
