#include "mediainfo/number_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quova {

namespace {

std::string StripFraction(std::string text) {
    const size_t point = text.find('.');
    if (point == std::string::npos) return text;
    size_t end = text.size();
    while (end > point + 1 && text[end - 1] == '0') --end;
    if (end == point + 1) end = point;
    return text.substr(0, end);
}

}  // namespace

std::string FormatGeneral(double value, int precision) {
    if (precision < 1) precision = 1;
    if (precision > 17) precision = 17;
    if (!std::isfinite(value)) return std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
    if (value == 0) return "0";
    const std::string sign = value < 0 ? "-" : "";
    const double magnitude = std::fabs(value);

    // Round to the wanted digits first: the exponent may move up (9.99996 -> 10).
    char scientific[64];
    std::snprintf(scientific, sizeof scientific, "%.*e", precision - 1, magnitude);
    const char* e = std::strchr(scientific, 'e');
    const int exponent = std::atoi(e + 1);
    const std::string mantissa(scientific, static_cast<size_t>(e - scientific));

    if (exponent + 1 <= precision && magnitude >= 0.00001) {
        char fixed[64];
        const int decimals = precision - (exponent + 1);
        std::snprintf(fixed, sizeof fixed, "%.*f", decimals > 0 ? decimals : 0, magnitude);
        return sign + StripFraction(fixed);
    }
    return sign + StripFraction(mantissa) + "E" + std::to_string(exponent);
}

std::string FormatClock(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
    // A hostile granule position can claim billions of years; keep the
    // millisecond count inside its integer.
    constexpr double kMaxSeconds = 1e15;
    const long long totalMs = std::llround(std::min(seconds, kMaxSeconds) * 1000.0);
    const long long hours = totalMs / 3600000;
    const int minutes = static_cast<int>(totalMs / 60000 % 60);
    const int secs = static_cast<int>(totalMs / 1000 % 60);
    const int ms = static_cast<int>(totalMs % 1000);
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02d:%02d.%03d", hours, minutes, secs, ms);
    return text;
}

}  // namespace quova
