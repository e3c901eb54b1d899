#include "show/scenes/main_scene.h"

HRESULT MainScene::Load() { return 0; }

int MainScene::Render(float) { return 0; }

void MainScene::Unload() {}

int MainScene::GetStatus() { return 1; }
