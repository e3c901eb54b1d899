// The show's music: every note, hit and sweep, placed by show time, and the master level curve
// that follows the picture's fades. 120 beats a minute: a bar is two seconds, a step (a
// sixteenth) an eighth of a second; each section counts its bars from its own start.
#pragma once

#include "tools/assets/music/mix.h"

namespace assets::music {

constexpr double kShowSeconds = 258.0;

// The white flashes (and the red one at 193) land on a hit after a rise.
constexpr double kFlashes[] = {12, 40, 98, 193};

// Writes the whole arrangement into the mix (whatever lies beyond the mix's end is dropped).
void WriteScore(Mix& mix);
// Master gain at show time t: dips under the fades to black, silence at the very end.
float MasterLevel(double t);

}  // namespace assets::music
