#include "show/timeline.h"

bool SceneSelection::Contains(ShowScene scene) const {
    for (ShowScene s : *this)
        if (s == scene) return true;
    return false;
}

SceneSelection ScenesAt(float t) {
    SceneSelection selection;
    auto add = [&selection](ShowScene scene) { selection.scenes[selection.count++] = scene; };
    if (t <= 21.0f) add(ShowScene::Intro);
    if (t >= 126.1f && t <= 140.0f) add(ShowScene::Hand);
    if (t >= 83.0f && t <= 113.0f) add(ShowScene::Tunnel);
    if ((t > 21.0f && t <= 82.0f) || (t >= 114.0f && t <= 126.0f) || t > 165.0f) add(ShowScene::Main);
    if (t > 140.0f && t <= 165.0f) add(ShowScene::OrganicTunnel);
    if (t >= 226.0f) add(ShowScene::Credits);
    return selection;
}

const char* SceneName(ShowScene scene) {
    switch (scene) {
    case ShowScene::Intro: return "intro";
    case ShowScene::Hand: return "hand";
    case ShowScene::Tunnel: return "tunnel";
    case ShowScene::Main: return "main";
    case ShowScene::OrganicTunnel: return "organic_tunnel";
    case ShowScene::Credits: return "credits";
    }
    return "unknown";
}
