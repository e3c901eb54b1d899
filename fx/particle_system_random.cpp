#include "fx/particle_system_random.h"

#include <cstdint>

namespace particle_random {

namespace {

std::uint32_t state = 1;  // only the show worker emits particles

}  // namespace

void Restart() { state = 1; }

unsigned Next() {
    state = state * 214013u + 2531011u;
    return (state >> 16) & 0x7FFFu;
}

}  // namespace particle_random
