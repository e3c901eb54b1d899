#include "tools/assets/music/soundtrack.h"

#include "tools/assets/music/dsp.h"
#include "tools/assets/music/effects.h"
#include "tools/assets/music/mix.h"
#include "tools/assets/music/score.h"

namespace assets::music {

std::vector<float> SynthesiseSoundtrack(double seconds) {
    if (!(seconds > 0.0)) return {};
    Mix mix(static_cast<std::size_t>(FrameAt(seconds)));
    WriteScore(mix);
    return MasterMix(mix, MasterLevel, kPeak);
}

}  // namespace assets::music
