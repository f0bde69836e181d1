#include "playback/go_to.h"

#include <cmath>
#include <cstdio>

#include "text/string_utils.h"

namespace quova {

namespace {

std::optional<int> Field(std::string_view text, int limit) {
    text = TrimBlanks(text);
    if (text.empty() || text.size() > 2) return std::nullopt;
    const auto value = ParseInteger(text);
    if (!value || *value < 0 || *value > limit || text.front() == '+' || text.front() == '-')
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<double> ParseTimeOfDay(std::string_view text) {
    text = TrimBlanks(text);
    const auto parts = SplitString(text, ":");
    if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
    const auto hours = Field(parts[0], 23);
    const auto minutes = Field(parts[1], 59);
    if (!hours || !minutes) return std::nullopt;
    double seconds = 0;
    if (parts.size() == 3) {
        std::string_view last = TrimBlanks(parts[2]);
        std::string_view fraction;
        if (const auto dot = last.find('.'); dot != std::string_view::npos) {
            fraction = last.substr(dot + 1);
            last = last.substr(0, dot);
            if (fraction.empty() || fraction.size() > 3) return std::nullopt;
            for (const char c : fraction)
                if (c < '0' || c > '9') return std::nullopt;
        }
        const auto whole = Field(last, 59);
        if (!whole) return std::nullopt;
        seconds = *whole;
        if (!fraction.empty())
            seconds +=
                *ParseInteger(fraction) / std::pow(10.0, static_cast<double>(fraction.size()));
    }
    return *hours * 3600.0 + *minutes * 60.0 + seconds;
}

std::string FormatTimeOfDay(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
    const auto whole = static_cast<long long>(std::fmod(std::trunc(seconds), 86400.0));
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                  whole % 60);
    return text;
}

int GoToStepFor(std::string_view text, int caret) {
    const auto first = text.find(':');
    if (first == std::string_view::npos) return 0;
    const auto p1 = static_cast<int>(first) + 1;
    if (p1 > caret) return 3600;
    const auto second = text.substr(first + 1, 19).find(':');
    if (second == std::string_view::npos) return 0;
    const int p2 = static_cast<int>(second) + 1;
    return p1 + p2 > caret ? 60 : 1;
}

std::optional<std::string> StepGoToText(std::string_view text, int caret, bool up, double maxTime) {
    const double value = ParseTimeOfDay(text).value_or(0.0);
    const int step = GoToStepFor(text, caret);
    const double next = value + (up ? step : -step);
    if (next < 0 || next > maxTime) return std::nullopt;
    return FormatTimeOfDay(next);
}

std::optional<double> GoToTarget(std::string_view text) {
    if (text.empty()) return std::nullopt;
    return ParseTimeOfDay(text);
}

}  // namespace quova
