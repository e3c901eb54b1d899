#include "tools/assets/music/dsp.h"

namespace assets::music {

float Adsr::Level(float t, float hold) const {
    const auto held = [this](float u) {
        if (u < attack) return u / attack;
        if (u < attack + decay) return 1.0f - (1.0f - sustain) * (u - attack) / decay;
        return sustain;
    };
    if (t < 0.0f) return 0.0f;
    if (t < hold) return held(t);
    const float x = (t - hold) / release;
    if (x >= 1.0f) return 0.0f;
    const float fall = 1.0f - x;
    return held(hold) * fall * fall;
}

}  // namespace assets::music
