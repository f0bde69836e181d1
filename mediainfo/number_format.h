#pragma once

#include <string>

namespace quova {

// Shortest text for `value` with at most `precision` significant digits:
// plain notation while the integer part has at most `precision` digits and the
// value is at least 0.00001, else "1.2346E5" style; trailing zeros dropped.
// 25 -> "25", 29.97002997 (5) -> "29.97", 123456 (5) -> "1.2346E5".
std::string FormatGeneral(double value, int precision);

// "hh:nn:ss.zzz" for a length in seconds, rounded to the millisecond. Hours
// keep counting past 24 instead of wrapping as a time of day would.
std::string FormatClock(double seconds);

}  // namespace quova
