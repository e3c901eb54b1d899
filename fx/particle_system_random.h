// The one random sequence of every particle emitter of the process: the classic linear
// congruential rand (state = state * 214013 + 2531011, result bits 16..30), starting from
// state 1 and never reseeded by the show, so it emits the same particles on every run.
#pragma once

namespace particle_random {

// The next value of the process-wide sequence, 0 to 32767.
unsigned Next();

// Starts the sequence over from state 1, as at process start. The show never calls it; tests
// that follow emission from the sequence's beginning do, whatever emitted before them.
void Restart();

// The factor that maps a draw onto [0, 1]: 1 / 32767 as the float the emitters use.
constexpr float kUnit = 3.0518509e-05f;

}  // namespace particle_random
