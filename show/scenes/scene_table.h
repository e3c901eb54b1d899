// The show's six scenes, written once: the order a frame draws them in (the enum's order), their
// names, their time windows, the orders in which they are made and deleted, and how each is made.
// The timeline, the demo application and the scenes that test their own windows all read it.
#pragma once

#include <array>
#include <cstddef>
#include <memory>

#include "platform/com/enum_table.h"
#include "show/scene.h"
#include "show/scenes/credits_scene.h"
#include "show/scenes/hand_scene.h"
#include "show/scenes/intro_scene.h"
#include "show/scenes/main_scene.h"
#include "show/scenes/organic_tunnel_scene.h"
#include "show/scenes/time_window.h"
#include "show/scenes/tunnel_scene.h"

// In drawing order.
enum class ShowScene { Intro, Hand, Tunnel, Main, OrganicTunnel, Credits, kCount };

inline constexpr std::size_t kShowSceneCount = com::kEnumCount<ShowScene>;

template <class SceneClass>
std::unique_ptr<Scene> MakeShowScene() {
    return std::make_unique<SceneClass>();
}

struct ShowSceneRow {
    static constexpr std::size_t kMaxWindows = 3;

    ShowScene scene;
    const char* name;  // short and lower-case, for reports
    std::array<TimeWindow, kMaxWindows> windows;
    std::size_t loadPosition;      // where it comes in the order the scenes are made and loaded
    std::size_t shutdownPosition;  // where it comes in the order Shutdown deletes them
    std::unique_ptr<Scene> (*make)();

    constexpr bool Holds(float t) const {
        for (const TimeWindow& window : windows)
            if (window.Holds(t)) return true;
        return false;
    }
};

inline constexpr com::EnumTable<ShowScene, ShowSceneRow> kShowScenes = {{
    {ShowScene::Intro, "intro", {TimeWindow::UpTo(21.0f)}, 0, 0, MakeShowScene<IntroScene>},
    {ShowScene::Hand, "hand", {TimeWindow::Between(126.1f, 140.0f)}, 3, 2, MakeShowScene<HandScene>},
    {ShowScene::Tunnel, "tunnel", {TimeWindow::Between(83.0f, 113.0f)}, 4, 3, MakeShowScene<TunnelScene>},
    {ShowScene::Main, "main",
     {TimeWindow::AfterUpTo(21.0f, 82.0f), TimeWindow::Between(114.0f, 126.0f), TimeWindow::After(165.0f)}, 1, 1,
     MakeShowScene<MainScene>},
    {ShowScene::OrganicTunnel, "organic_tunnel", {TimeWindow::AfterUpTo(140.0f, 165.0f)}, 5, 5,
     MakeShowScene<OrganicTunnelScene>},
    {ShowScene::Credits, "credits", {TimeWindow::From(226.0f)}, 2, 4, MakeShowScene<CreditsScene>},
}};
static_assert(com::RowsInEnumOrder(kShowScenes, &ShowSceneRow::scene));

constexpr const ShowSceneRow& SceneRow(ShowScene scene) { return kShowScenes[com::EnumIndex(scene)]; }
constexpr const TimeWindow& SceneWindow(ShowScene scene, std::size_t which = 0) {
    return SceneRow(scene).windows[which];
}

// The scenes in the order one of the position columns gives. A place that no row takes, because
// two rows share a place or one lies beyond the last, stays kCount.
constexpr std::array<ShowScene, kShowSceneCount> ScenesInOrder(std::size_t ShowSceneRow::*position) {
    std::array<ShowScene, kShowSceneCount> order{};
    order.fill(ShowScene::kCount);
    for (const ShowSceneRow& row : kShowScenes) {
        const std::size_t place = row.*position;
        if (place < kShowSceneCount && order[place] == ShowScene::kCount) order[place] = row.scene;
    }
    return order;
}

constexpr bool NamesEveryScene(const std::array<ShowScene, kShowSceneCount>& order) {
    for (ShowScene scene : order)
        if (scene == ShowScene::kCount) return false;
    return true;
}

inline constexpr std::array<ShowScene, kShowSceneCount> kLoadOrder = ScenesInOrder(&ShowSceneRow::loadPosition);
inline constexpr std::array<ShowScene, kShowSceneCount> kShutdownOrder =
    ScenesInOrder(&ShowSceneRow::shutdownPosition);
static_assert(NamesEveryScene(kLoadOrder) && NamesEveryScene(kShutdownOrder), "each scene needs its own place");
