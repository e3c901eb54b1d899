#include "show/scenes/credits_scene.h"

#include <cstdint>
#include <cstring>

#include "render/render_device.h"

namespace {

constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr D3DCOLOR kGrey = 0xFFB4B4B4;

struct LineSpec {
    const char* text;
    D3DCOLOR colour;
    float gapBefore;
};

// Letter-spaced: one blank between letters, three between words; trailing blanks move the x.
constexpr LineSpec kCredits[CreditsScene::kLineCount] = {
    {"P r o j e c t    K a e d e  ", kWhite, 0.0f},
    {"a   K e s t r e l   L o o m   p r o d u c t i o n", kWhite, 15.0f},
    {"L e a d   p r o g r a m m e r     ", kGrey, 60.0f},
    {"T o m a s   R e n w i c k  ", kWhite, 15.0f},
    {"3 d   M o d e l i n g   &   A r t w o r k  ", kGrey, 50.0f},
    {"I l s a   M a r r o w  ", kWhite, 15.0f},
    {"3 d   A n i m a t i o n  ", kGrey, 50.0f},
    {"B e n   H a l v o r s e n  ", kWhite, 15.0f},
    {"O r i g i n a l   S o u n d t r a c k ", kGrey, 50.0f},
    {"C l a r a   F e n w i c k  ", kWhite, 15.0f},
    {"J a p a n e s e   C h a r a c t e r s   ", kGrey, 50.0f},
    {"N o r a   K i m u r a  ", kWhite, 15.0f},
    {"S p e c i a l   T h a n k s   ", kGrey, 50.0f},
    {"P e t e r   L u n d  ", kWhite, 15.0f},
    {"A n n a   W e s t b r o o k  ", kWhite, 15.0f},
    {"O s c a r   D e l a n e y  ", kWhite, 15.0f},
    {"www.kestrelloom.example         ", kWhite, 50.0f},
};

}  // namespace

float CreditsScene::LineX(int backBufferWidth, std::size_t characters) {
    const std::uint32_t x = static_cast<std::uint32_t>(backBufferWidth) - 6u * static_cast<std::uint32_t>(characters);
    return static_cast<float>(x);
}

void CreditsScene::AppendLine(const char* text, D3DCOLOR colour, float gapBefore) {
    CreditLine line;
    std::strncpy(line.text, text, sizeof(line.text) - 1);
    line.colour = colour;
    line.y = lines.empty() ? firstY : lines.back().y + gapBefore;
    lines.push_back(line);
}

HRESULT CreditsScene::Load() {
    font = std::make_unique<TextRenderer>("Arial", 11, TextRenderer::kBold);
    if (FAILED(font->Init())) return E_FAIL;

    lines.clear();
    firstY = static_cast<float>(RenderDevice::Instance().height) - 50.0f;
    for (const LineSpec& spec : kCredits) AppendLine(spec.text, spec.colour, spec.gapBefore);
    lastY = lines.back().y;
    return 0;
}

int CreditsScene::Render(float t) {
    RenderDevice& renderDevice = RenderDevice::Instance();
    if (!choreography) choreography = std::make_unique<Choreography>();
    Choreography& c = *choreography;

    // Black at alpha 170 until 256 s, then deeper toward 255 until the show ends.
    c.darkening.Start(256.0f, 258.1f, 85.0f, 170.0f);
    if (!c.darkening.IsFinished()) {
        const int alpha = static_cast<int>(c.darkening.Evaluate(t));
        if (!c.overlay) c.overlay = std::make_unique<FadeOverlay>();
        c.overlay->Render(static_cast<D3DCOLOR>(alpha & 0xFF) << 24);
    }

    const float h = static_cast<float>(renderDevice.height);
    c.scrolling.Start(226.0f, 257.0f, lastY - firstY + h, scroll);
    if (c.scrolling.IsFinished()) return 0;
    scroll = c.scrolling.Evaluate(t);

    if (!font) return 0;
    for (const CreditLine& line : lines) {
        font->DrawText(LineX(renderDevice.width, std::strlen(line.text)), line.y - scroll, line.colour, line.text, 0);
    }
    return 0;
}

void CreditsScene::Unload() {
    if (font) font->Release();
    font.reset();
}

int CreditsScene::GetStatus() { return 0; }
