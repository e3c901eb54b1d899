#include "show/timeline.h"

bool SceneSelection::Contains(ShowScene scene) const {
    for (ShowScene s : *this)
        if (s == scene) return true;
    return false;
}

SceneSelection ScenesAt(float t) {
    SceneSelection selection;
    for (const ShowSceneRow& row : kShowScenes)
        if (row.Holds(t)) selection.scenes[selection.count++] = row.scene;
    return selection;
}

const char* SceneName(ShowScene scene) {
    if (com::EnumIndex(scene) >= kShowSceneCount) return "unknown";
    return SceneRow(scene).name;
}
