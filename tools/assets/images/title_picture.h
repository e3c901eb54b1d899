// The title picture: "Project Kaede" beside a glowing maple leaf over a night city skyline.
#pragma once

#include <optional>

#include "tools/assets/core/image.h"
#include "tools/assets/images/canvas.h"

namespace assets::images {

// Nothing, with a message on stderr, when a face cannot be opened.
std::optional<Image> MakeTitlePicture(int width, int height);

// Coverage of a seven-lobed maple leaf (stem included) centred at (cx, cy), `radius` pixels to
// its top tip, turned by `angle` radians; veins in a second plane.
void DrawMapleLeaf(Plane& leaf, Plane& veins, float cx, float cy, float radius, float angle);

}  // namespace assets::images
