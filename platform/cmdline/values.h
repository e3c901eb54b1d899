// Values of options, each read whole from its word: whole numbers and decimals within a range,
// sizes WxH, vectors x,y,z, text. Each parse stores only a value it accepts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/cmdline/command_line.h"

namespace cmdline {

// Decimal digits with an optional '-', nothing else, from low to high.
bool ParseInt(std::string_view text, int low, int high, int& value);
// A finite decimal number (as std::from_chars reads it) from low to high.
bool ParseDecimal(std::string_view text, double low, double high, double& value);
// WxH, both sides whole numbers from low to high.
bool ParseSize(std::string_view text, int low, int high, int& width, int& height);
// x,y,z, three finite numbers as scanf reads them.
bool ParseVector(std::string_view text, float& x, float& y, float& z);

TakeValue IntIn(int low, int high, int& value);
TakeValue DecimalIn(double low, double high, double& value);
// Repeatable: each value is added after the earlier ones.
TakeValue DecimalsIn(double low, double high, std::vector<double>& values);
TakeValue SizeIn(int low, int high, int& width, int& height);
TakeValue VectorXyz(float& x, float& y, float& z);
// Any text but the empty one.
TakeValue Text(std::string& value);

}  // namespace cmdline
