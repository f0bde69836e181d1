#include "text/osd.h"

#include <cmath>
#include <cstdio>

#include "lexicon/lexicon.h"
#include "text/subtitle_port.h"
#include "text/text_session.h"

namespace quova {

void ShowOsdMessage(TextSession& session, const std::string& text) {
    session.osdMessage = text;
    session.textPort.Get().PaintOsd();
}

std::string FormatSeconds(double seconds) {
    if (!std::isfinite(seconds)) seconds = 0;
    // The time of day of the fraction of a day, to the millisecond as a clock
    // keeps it: a day or more wraps, and a negative time shows its size.
    constexpr long long kDayMs = 86400LL * 1000;
    const double fraction = std::fabs(std::fmod(seconds / 86400.0, 1.0));
    long long ms = std::llround(fraction * static_cast<double>(kDayMs));
    if (ms >= kDayMs) ms -= kDayMs;
    const long long whole = ms / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                  whole % 60);
    return text;
}

std::string OsdTimeText(int timeFormat, double position, double duration, double frameRate) {
    // A stream without a length (a broadcast) has no end to show or to count
    // down to: the position alone, in the format's unit.
    const bool length = duration > 0;
    if (!length && (timeFormat == 1 || timeFormat == 2)) timeFormat = 0;
    switch (timeFormat) {
        case 0:
            return FormatSeconds(position);
        case 1:
            return FormatSeconds(position) + " / " + FormatSeconds(duration);
        case 2:
            return Lex(360) + FormatSeconds(duration - position);
        case 3: {
            const auto frames = [frameRate](double s) {
                const double n = std::trunc(s * frameRate);
                return std::isfinite(n) ? std::to_string(static_cast<long long>(n))
                                        : std::string("0");
            };
            return Lex(2400) + frames(position) + (length ? " / " + frames(duration) : "");
        }
        default:
            return {};
    }
}

std::string BufferingText(int percent) {
    return FormatLexNumber(2800, percent);
}

int NextTimeFormat(int timeFormat) {
    return timeFormat >= 3 || timeFormat < 0 ? 0 : timeFormat + 1;
}

void OsdExpiryTick(TextSession& session) {
    if (session.osdMessage == session.osdLastMessage)
        ++session.osdMessageAge;
    else
        session.osdMessageAge = 0;
    if (session.osdMessageAge > 11) session.osdMessage.clear();
    session.osdLastMessage = session.osdMessage;
}

std::vector<std::string> SplitOsdLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    for (;;) {
        const auto bar = text.find('|', start);
        lines.push_back(text.substr(start, bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return lines;
}

int StepFontPoints(int points, int step) {
    const int next = points + step;
    return next > 6 && next < 48 ? next : points;
}

}  // namespace quova
