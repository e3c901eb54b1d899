#include "platform/dialog/dialog_template.h"

#include <cstdint>
#include <limits>

namespace platform {

namespace {
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;
}  // namespace

const DialogControl* DialogTemplate::Find(int id) const {
    for (const DialogControl& control : controls)
        if (control.id == id && id != -1) return &control;
    return nullptr;
}

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t half = (c < 0 ? -static_cast<std::int64_t>(c) : c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t magnitude = ((product < 0 ? -product : product) + half) / (c < 0 ? -std::int64_t{c} : c);
    if (magnitude > std::numeric_limits<int>::max()) return -1;  // does not fit
    return static_cast<int>(negative ? -magnitude : magnitude);
}

int DialogUnitsToPixelsX(int x) { return MulDiv(x, kBaseUnitX, 4); }
int DialogUnitsToPixelsY(int y) { return MulDiv(y, kBaseUnitY, 8); }

}  // namespace platform
