// Hashing for the small keys of the back end's caches: each field is mixed into a running value
// in turn, so keys that differ in one field, or hold the same values in other fields, part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace gpu {

// Mixes one value into `seed`.
inline void HashCombine(std::size_t& seed, std::uint64_t value) {
    constexpr auto kGolden = static_cast<std::size_t>(0x9E3779B97F4A7C15ull);
    seed ^= static_cast<std::size_t>(value ^ (value >> 32)) + kGolden + (seed << 6) + (seed >> 2);
}

// The hash of the fields given, in order (integers, enums and bools).
template <class... Fields>
std::size_t HashFields(const Fields&... fields) {
    std::size_t seed = 0;
    (HashCombine(seed, static_cast<std::uint64_t>(fields)), ...);
    return seed;
}

// The hash of an object's bytes, for keys compared byte for byte (no padding left unset).
inline std::size_t HashBytes(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::size_t seed = size;
    for (; size >= 8; bytes += 8, size -= 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes, 8);
        HashCombine(seed, word);
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, bytes, size);
    HashCombine(seed, tail);
    return seed;
}

}  // namespace gpu
