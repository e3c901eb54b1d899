#include "tools/assets/images/captions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/assets/images/canvas.h"
#include "tools/assets/images/text_draw.h"

namespace assets::images {

CaptionStyle EscapeCaption() {
    CaptionStyle style;
    style.text = U"\u8131\u51fa\u305b\u3088";
    style.trailRight = true;
    return style;
}

CaptionStyle ExperimentCaption() {
    CaptionStyle style;
    style.text = U"\u5b9f\u9a13\u958b\u59cb";
    style.trailRight = false;
    return style;
}

std::optional<Image> MakeCaption(const CaptionStyle& style) {
    const int margin = 6;
    const float lean = 0.18f;
    // Fit the line to the picture: the em fills most of its height, narrowed if too wide.
    TextStyle text{style.family, style.height - 2 * margin - 4, 700, 0.0f, lean};
    auto writer = TextWriter::Open(text);
    if (!writer) return std::nullopt;
    if (!writer->Covers(style.text)) {
        std::fprintf(stderr, "caption: \"%s\" lacks glyphs for the caption\n", writer->Raster().Family().c_str());
        return std::nullopt;
    }
    const float room = float(style.width - 2 * margin) - lean * float(text.pixels) - 24.0f;
    if (writer->Width(style.text) > room) {
        text.pixels = int(float(text.pixels) * room / writer->Width(style.text));
        writer = TextWriter::Open(text);
        if (!writer) return std::nullopt;
    }
    text.tracking = 1.0f;

    Plane glyphs(style.width, style.height);
    const float width = writer->Width(style.text) + lean * float(text.pixels);
    const float x = style.trailRight ? float(margin + 2) : float(style.width - margin - 2) - width;
    const float baseline = float(style.height) * 0.5f + float(text.pixels) * 0.38f;
    if (!writer->Draw(glyphs, style.text, x, baseline)) return std::nullopt;

    // Speed lines: three tapering strokes on the trailing side, at different heights and lengths.
    Plane lines(style.width, style.height);
    const float lineStart = style.trailRight ? x + width + 4.0f : x - 4.0f;
    const float rows[3] = {0.34f, 0.55f, 0.74f};
    const float lengths[3] = {34.0f, 52.0f, 24.0f};
    for (int k = 0; k < 3; ++k) {
        const float cy = float(style.height) * rows[k];
        for (int px = 0; px < style.width; ++px) {
            const float d = style.trailRight ? float(px) - lineStart : lineStart - float(px);
            if (d < 0 || d > lengths[k]) continue;
            const float thickness = 1.6f * (1.0f - d / lengths[k]) + 0.3f;
            for (int py = int(cy - 3); py <= int(cy + 3); ++py) {
                const float v = 1.0f - SmoothStep(thickness - 0.7f, thickness + 0.7f, std::abs(float(py) + 0.5f - cy));
                lines.At(px, py) = std::max(lines.At(px, py), v * (1.0f - 0.5f * d / lengths[k]));
            }
        }
    }

    // Dark outline around the glyphs, a wider soft shadow-glow beyond it.
    const Plane outline = Blur(Dilate(glyphs, 2), 0.7f);
    const Plane glow = Blur(Dilate(glyphs, 3), 3.0f);
    const Rgb dark{0.05f, 0.03f, 0.1f};
    Canvas canvas(style.width, style.height, dark, 0.0f);
    for (int py = 0; py < style.height; ++py) {
        // Fill from white at the top to a pale maple pink at the foot of the glyphs.
        const float t = std::clamp((float(py) - (baseline - float(text.pixels) * 0.85f)) / float(text.pixels), 0.0f, 1.0f);
        const Rgb fill = Mix(Rgb{1.0f, 1.0f, 1.0f}, Rgb{1.0f, 0.72f, 0.7f}, t);
        for (int px = 0; px < style.width; ++px) {
            const float g = glyphs.At(px, py);
            const float l = lines.At(px, py);
            canvas.At(px, py) = Mix(Mix(dark, Rgb{1.0f, 0.45f, 0.4f}, l), fill, g);
            const float a = std::max({g, 0.92f * outline.At(px, py), 0.55f * glow.At(px, py), 0.8f * l});
            canvas.alpha.At(px, py) = a;
        }
    }
    FadeBorder(canvas, 2);
    return ToImage(canvas);
}

}  // namespace assets::images
