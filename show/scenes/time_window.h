// TimeWindow: a stretch of show time in which a scene is drawn. Its start may be included or
// not, its end is always included; either may be open-ended. Every comparison is made in single
// precision, as the show's clock is a float.
#pragma once

#include <limits>

struct TimeWindow {
    // A default window holds no time at all: a scene with fewer windows leaves the rest so.
    float from = std::numeric_limits<float>::infinity();
    bool fromIncluded = false;
    float to = -std::numeric_limits<float>::infinity();

    // from <= t <= to
    static constexpr TimeWindow Between(float from, float to) { return {from, true, to}; }
    // from < t <= to
    static constexpr TimeWindow AfterUpTo(float from, float to) { return {from, false, to}; }
    // t <= to
    static constexpr TimeWindow UpTo(float to) { return {-std::numeric_limits<float>::infinity(), true, to}; }
    // t >= from
    static constexpr TimeWindow From(float from) { return {from, true, std::numeric_limits<float>::infinity()}; }
    // t > from
    static constexpr TimeWindow After(float from) { return {from, false, std::numeric_limits<float>::infinity()}; }

    constexpr bool HasBegun(float t) const { return fromIncluded ? t >= from : t > from; }
    constexpr bool NotOver(float t) const { return t <= to; }
    constexpr bool Holds(float t) const { return HasBegun(t) && NotOver(t); }
};
