#include "platform/cmdline/values.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/com/decimal.h"

namespace cmdline {

bool ParseInt(std::string_view text, int low, int high, int& value) {
    int parsed = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

bool ParseDecimal(std::string_view text, double low, double high, double& value) {
    double parsed = 0.0;
    // Not std::from_chars: the browser build's library has none for floating point.
    if (!com::ParseDecimalDouble(text.data(), text.data() + text.size(), parsed) || !std::isfinite(parsed))
        return false;
    if (parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

bool ParseSize(std::string_view text, int low, int high, int& width, int& height) {
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos) return false;
    int w = 0, h = 0;
    if (!ParseInt(text.substr(0, x), low, high, w) || !ParseInt(text.substr(x + 1), low, high, h)) return false;
    width = w;
    height = h;
    return true;
}

bool ParseVector(std::string_view text, float& x, float& y, float& z) {
    const std::string terminated(text);
    float v[3] = {};
    char trailing = 0;
    if (std::sscanf(terminated.c_str(), "%f,%f,%f%c", &v[0], &v[1], &v[2], &trailing) != 3) return false;
    if (!std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2])) return false;
    x = v[0];
    y = v[1];
    z = v[2];
    return true;
}

TakeValue IntIn(int low, int high, int& value) {
    return [low, high, &value](std::string_view text) { return ParseInt(text, low, high, value); };
}

TakeValue DecimalIn(double low, double high, double& value) {
    return [low, high, &value](std::string_view text) { return ParseDecimal(text, low, high, value); };
}

TakeValue DecimalsIn(double low, double high, std::vector<double>& values) {
    return [low, high, &values](std::string_view text) {
        double value = 0.0;
        if (!ParseDecimal(text, low, high, value)) return false;
        values.push_back(value);
        return true;
    };
}

TakeValue SizeIn(int low, int high, int& width, int& height) {
    return [low, high, &width, &height](std::string_view text) { return ParseSize(text, low, high, width, height); };
}

TakeValue VectorXyz(float& x, float& y, float& z) {
    return [&x, &y, &z](std::string_view text) { return ParseVector(text, x, y, z); };
}

TakeValue Text(std::string& value) {
    return [&value](std::string_view text) {
        if (text.empty()) return false;
        value = text;
        return true;
    };
}

}  // namespace cmdline
