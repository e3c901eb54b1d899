// The version the programs report (--version), as their version resource gives it.
#pragma once

inline constexpr const char kProgramVersion[] = "1.0.0.1";
