#include "show/scenes/credits_scene.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "render/render_device.h"
#include "resources/credit_names.h"

namespace {

constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr D3DCOLOR kGrey = 0xFFB4B4B4;

struct LineSpec {
    const char* text;  // as drawn, or a person's plain name
    D3DCOLOR colour;
    float gapBefore;
    bool name = false;  // drawn letter-spaced, with two trailing blanks
};

// Letter-spaced: one blank between letters, three between words; trailing blanks move the x.
constexpr LineSpec kCredits[CreditsScene::kLineCount] = {
    {"P r o j e c t    K a e d e  ", kWhite, 0.0f},
    {"a   K e s t r e l   L o o m   p r o d u c t i o n", kWhite, 15.0f},
    {"L e a d   p r o g r a m m e r     ", kGrey, 60.0f},
    {credit_names::kLeadProgrammer, kWhite, 15.0f, true},
    {"3 d   M o d e l i n g   &   A r t w o r k  ", kGrey, 50.0f},
    {credit_names::kModeling, kWhite, 15.0f, true},
    {"3 d   A n i m a t i o n  ", kGrey, 50.0f},
    {credit_names::kAnimation, kWhite, 15.0f, true},
    {"O r i g i n a l   S o u n d t r a c k ", kGrey, 50.0f},
    {credit_names::kSoundtrack, kWhite, 15.0f, true},
    {"J a p a n e s e   C h a r a c t e r s   ", kGrey, 50.0f},
    {credit_names::kJapaneseCharacters, kWhite, 15.0f, true},
    {"S p e c i a l   T h a n k s   ", kGrey, 50.0f},
    {credit_names::kSpecialThanks[0], kWhite, 15.0f, true},
    {credit_names::kSpecialThanks[1], kWhite, 15.0f, true},
    {credit_names::kSpecialThanks[2], kWhite, 15.0f, true},
    {"www.kestrelloom.example         ", kWhite, 50.0f},
};

}  // namespace

std::string CreditsScene::LetterSpaced(std::string_view plain) {
    std::string spaced;
    bool wordBreak = false;
    for (char c : plain) {
        if (c == ' ') {
            wordBreak = true;
            continue;
        }
        if (!spaced.empty()) spaced += wordBreak ? "   " : " ";
        spaced += c;
        wordBreak = false;
    }
    return spaced;
}

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
    font = std::make_unique<TextRenderer>("Arial", 11, FontFlags::kBold);
    if (FAILED(font->Init())) return E_FAIL;

    lines.clear();
    firstY = static_cast<float>(RenderDevice::Instance().height) - 50.0f;
    for (const LineSpec& spec : kCredits) {
        const std::string text = spec.name ? LetterSpaced(spec.text) + "  " : std::string(spec.text);
        AppendLine(text.c_str(), spec.colour, spec.gapBefore);
    }
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
