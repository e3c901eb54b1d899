#include "show/scenes/intro_scene.h"

HRESULT IntroScene::Load() { return 0; }

int IntroScene::Render(float) { return 0; }

void IntroScene::Unload() {
    if (font) font->Release();
    font.reset();
}

int IntroScene::GetStatus() { return 1; }
