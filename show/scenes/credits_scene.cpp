#include "show/scenes/credits_scene.h"

HRESULT CreditsScene::Load() { return 0; }

int CreditsScene::Render(float) { return 0; }

void CreditsScene::Unload() {
    if (font) font->Release();
    font.reset();
}

int CreditsScene::GetStatus() { return 0; }
