// IntroScene: the title sequence that opens the show. For now it loads nothing and draws nothing.
#pragma once

#include <memory>

#include "fx/text_renderer.h"
#include "show/scene.h"

class IntroScene : public Scene {
public:
    HRESULT Load() override;
    int Render(float t) override;
    // Releases and deletes the scene's text renderer, when it has one.
    void Unload() override;
    int GetStatus() override;

    const TextRenderer* Font() const { return font.get(); }

private:
    std::unique_ptr<TextRenderer> font;
};
