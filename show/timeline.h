// The show's timeline: which scenes draw at a given show time, and when the show ends.
#pragma once

#include <array>
#include <cstddef>

#include "show/scenes/scene_table.h"

// The show ends with the first frame whose show time reaches this.
inline constexpr float kShowLength = 258.0f;

// The scenes to draw for one frame, in drawing order.
struct SceneSelection {
    std::array<ShowScene, kShowSceneCount> scenes{};
    std::size_t count = 0;

    bool Contains(ShowScene scene) const;
    bool Empty() const { return count == 0; }
    const ShowScene* begin() const { return scenes.data(); }
    const ShowScene* end() const { return scenes.data() + count; }
};

// The scenes whose windows (kShowScenes) hold show time t, in the order they are drawn. All
// comparisons are made in single precision. Between windows the selection is empty and the
// previous picture stays on screen.
SceneSelection ScenesAt(float t);

// True for the last frame of the show (t at or beyond its length).
inline bool ShowIsOver(float t) { return t >= kShowLength; }

// A short lower-case name ("intro", "organic_tunnel", ...) for reports.
const char* SceneName(ShowScene scene);
