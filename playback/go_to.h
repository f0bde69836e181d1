#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quova {

// A time of day "h:n:s" or "h:n" (hours 0..23, minutes and seconds 0..59,
// an optional fraction of a second) in seconds; nullopt when it does not convert.
std::optional<double> ParseTimeOfDay(std::string_view text);

// Seconds as "hh:nn:ss", truncated to the second; a day or more wraps around.
std::string FormatTimeOfDay(double seconds);

// The step, in seconds, that the caret's field takes: the hours before the
// first ":", the minutes before the second, the seconds after it; 0 when
// the text has no ":" where one is looked for. `caret` counts characters
// before it (0 = before the first).
int GoToStepFor(std::string_view text, int caret);

// One step up or down of the go-to text at the caret. The new text, or
// nullopt when the step is refused (below 0 or beyond `maxTime` seconds).
// A text that does not convert counts as 00:00:00.
std::optional<std::string> StepGoToText(std::string_view text, int caret, bool up, double maxTime);

// Where OK in the go-to dialog seeks to: nowhere for an empty text or one
// that does not convert.
std::optional<double> GoToTarget(std::string_view text);

}  // namespace quova
