// The large Japanese captions that slide across the screen: light glyphs with a dark outline
// and glow in alpha, and speed lines trailing behind the direction they move in.
#pragma once

#include <optional>
#include <string>

#include "tools/assets/core/image.h"

namespace assets::images {

struct CaptionStyle {
    std::u32string text;
    std::string family = "Noto Sans CJK JP";
    int width = 256;
    int height = 64;
    bool trailRight = true;  // speed lines to the right of the text (it moves leftward)
};

// Nothing, with a message on stderr, when the face is missing or lacks one of the characters.
std::optional<Image> MakeCaption(const CaptionStyle& style);

// "脱出せよ" (escape!) and "実験開始" (the experiment begins).
CaptionStyle EscapeCaption();
CaptionStyle ExperimentCaption();

}  // namespace assets::images
