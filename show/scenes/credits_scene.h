// CreditsScene: the closing credits, drawn over the city without clearing. It darkens the picture
// with a black overlay, scrolls the credit lines from the bottom edge to above the top between 226
// and 257 s, and deepens the overlay toward black until the show ends.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fx/fade_overlay.h"
#include "fx/ramp.h"
#include "fx/text_renderer.h"
#include "show/scene.h"

// One line of the credits, copied by value into the scene's list.
struct CreditLine {
    char text[128] = {};
    D3DCOLOR colour = 0xFFFFFFFF;
    float y = 0.0f;  // screen y before scrolling, pixels
};

class CreditsScene : public Scene {
public:
    static constexpr int kLineCount = 17;

    // Creates the font and the seventeen lines, their y taken from the back-buffer height now.
    // E_FAIL when the font cannot be initialised (the list then stays empty).
    HRESULT Load() override;
    // Darkens the picture, then draws the scrolled lines until the scroll has ended.
    int Render(float t) override;
    // Releases and deletes the scene's text renderer, when it has one.
    void Unload() override;
    int GetStatus() override;

    // x of a line of the given length: W - 6 per character, in unsigned 32-bit arithmetic, so a
    // line longer than W / 6 wraps to a position far off the right edge.
    static float LineX(int backBufferWidth, std::size_t characters);
    // A plain name written as the credits write it: one blank between letters, three between
    // words.
    static std::string LetterSpaced(std::string_view plain);

    const TextRenderer* Font() const { return font.get(); }
    const std::vector<CreditLine>& Lines() const { return lines; }
    float FirstY() const { return firstY; }
    float LastY() const { return lastY; }
    float Scroll() const { return scroll; }

private:
    // The overlay and the two ramps; made on the first Render, never reset.
    struct Choreography {
        std::unique_ptr<FadeOverlay> overlay;
        Ramp darkening;
        Ramp scrolling;
    };

    void AppendLine(const char* text, D3DCOLOR colour, float gapBefore);

    std::unique_ptr<TextRenderer> font;
    std::vector<CreditLine> lines;
    float lastY = 0.0f;
    float firstY = 0.0f;
    float scroll = 0.0f;

    std::unique_ptr<Choreography> choreography;
};
