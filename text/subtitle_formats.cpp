#include "text/subtitle_formats.h"

#include <charconv>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "text/string_utils.h"
#include "text/subtitle_lines.h"

namespace quova {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads a run of 1..maxDigits digits at `pos`, moving past it.
std::optional<long> ReadDigits(std::string_view text, size_t& pos, size_t maxDigits) {
    const size_t start = pos;
    long value = 0;
    while (pos < text.size() && IsDigit(text[pos]) && pos - start < maxDigits)
        value = value * 10 + (text[pos++] - '0');
    if (pos == start || (pos < text.size() && IsDigit(text[pos]))) return std::nullopt;
    return value;
}

// A clock time "h:m" or "h:m:s" in seconds. Hours are not limited to a day:
// a subtitle at 25:00:00 belongs to the 25th hour of a long recording, not to
// the start of the film.
std::optional<double> ReadClock(std::string_view text) {
    text = TrimBlanks(text);
    size_t pos = 0;
    const auto hours = ReadDigits(text, pos, 5);
    if (!hours || pos >= text.size() || text[pos] != ':') return std::nullopt;
    ++pos;
    const auto minutes = ReadDigits(text, pos, 2);
    if (!minutes || *minutes > 59) return std::nullopt;
    long seconds = 0;
    if (pos < text.size()) {
        if (text[pos] != ':') return std::nullopt;
        ++pos;
        const auto s = ReadDigits(text, pos, 2);
        if (!s || *s > 59 || pos != text.size()) return std::nullopt;
        seconds = *s;
    }
    return static_cast<double>(*hours * 3600 + *minutes * 60 + seconds);
}

int IntegerOrZero(std::string_view text) {
    return ParseInteger(text).value_or(0);
}

// The characters strictly between positions `open` and `close`, empty when
// `close` is missing or does not follow `open`.
std::string_view Between(std::string_view text, size_t open, size_t close) {
    if (open == std::string_view::npos || close == std::string_view::npos || close <= open)
        return {};
    return text.substr(open + 1, close - open - 1);
}

size_t CodePointCount(std::string_view utf8) {
    size_t n = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

// The text lines of a SubRip or SubViewer block: the first line, then every
// following one up to an empty line, joined by "|".
std::string ReadTextLines(SubtitleLineReader& lines) {
    std::string text;
    if (!lines.Next(text) || text.empty()) return {};
    std::string line;
    while (lines.Next(line) && !line.empty()) {
        text += '|';
        text += line;
    }
    return text;
}

// Skips lines up to and including the first one `isHeader` accepts; false
// when there is none.
template <typename Header>
bool SkipToHeader(SubtitleLineReader& lines, Header isHeader) {
    std::string line;
    while (lines.Next(line))
        if (isHeader(std::string_view(line))) return true;
    return false;
}

// The frame rate that MicroDVD writers put in the file's first entry, at
// frame 1, as its only text ("{1}{1}23.976"); nothing when the text is no
// rate a film could have.
std::optional<double> FrameRateEntry(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string_view::npos)
        return std::nullopt;
    double rate = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), rate);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (!(rate >= 1.0 && rate <= 1000.0)) return std::nullopt;
    return rate;
}

void ParseMicroDvd(SubtitleLineReader& lines, SubtitleTimetable& table, double frameRate) {
    PendingEnd pending;
    std::string line;
    bool first = true;
    while (!pending.BeyondTable(table) && lines.Next(line)) {
        const std::string_view view = line;
        const size_t open = view.find('{');
        const size_t close = view.find('}');
        if (open == std::string_view::npos || close == std::string_view::npos) continue;
        const int startFrame = IntegerOrZero(Between(view, open, close));
        std::string_view rest = view.substr(close + 1);
        std::optional<int> endFrame;
        const size_t endOpen = rest.find('{');
        if (endOpen != std::string_view::npos) {
            const size_t endClose = rest.find('}');
            endFrame = IntegerOrZero(Between(rest, endOpen, endClose));
            if (endClose != std::string_view::npos) rest = rest.substr(endClose + 1);
        }
        std::string text(TrimBlanks(RemoveBetween(rest, '{', '}')));
        if (std::exchange(first, false) && startFrame == 1) {
            if (const auto rate = FrameRateEntry(text)) {
                // The rate the file's frames were counted in: the medium's
                // own may differ (another cut, another encoding of it).
                frameRate = *rate;
                continue;
            }
        }
        const int64_t start = FrameToSlot(startFrame, frameRate);
        pending.BeforeStart(table, start);
        // Two seconds more than written: MicroDVD end frames are usually tight.
        pending.Set(endFrame ? FrameToSlot(*endFrame, frameRate) + 4 : 0);
        if (!text.empty() && start >= 0) MakeSubtitleEntry(table, start, std::move(text));
    }
    pending.AtEnd(table);
}

void ParseSubRip(SubtitleLineReader& lines, SubtitleTimetable& table) {
    PendingEnd pending;
    int64_t expected = 0;
    std::string line;
    while (!pending.BeyondTable(table) && lines.Next(line)) {
        const int64_t number = static_cast<int64_t>(IntegerOrZero(line)) - 1;
        // Numbering may skip ahead but never back: a stray number inside a
        // text is not taken for the next block.
        if (number > expected) expected = number;
        if (number != expected) continue;
        if (!lines.Next(line)) break;
        const std::string timing = ReplaceAll(line, "- ", "-");
        const size_t arrow = timing.find(" --> ");
        if (arrow == std::string::npos) continue;
        const int64_t start =
            SecondsToSlot(ParseClockTime(std::string_view(timing).substr(0, arrow)));
        pending.BeforeStart(table, start);
        pending.Set(SecondsToSlot(ParseClockTime(std::string_view(timing).substr(arrow + 5, 12))) +
                    4);
        std::string text = ReadTextLines(lines);
        text = std::string(TrimBlanks(RemoveBetween(text, '{', '}')));
        text = std::string(TrimBlanks(RemoveBetween(text, '<', '>')));
        if (!text.empty() && start >= 0) {
            MakeSubtitleEntry(table, start, std::move(text));
            ++expected;
        }
    }
    pending.AtEnd(table);
}

void ParseSubViewer2(SubtitleLineReader& lines, SubtitleTimetable& table) {
    if (!SkipToHeader(lines, [](std::string_view l) { return l.substr(0, 10) == "[SUBTITLE]"; }))
        return;
    PendingEnd pending;
    std::string line;
    while (!pending.BeyondTable(table) && lines.Next(line)) {
        if (line.empty() || line.front() == '[') continue;
        const size_t comma = line.find(',');
        if (comma == std::string::npos) continue;
        const std::string_view view = line;
        const int64_t start = SecondsToSlot(ParseClockTime(view.substr(0, comma)));
        pending.BeforeStart(table, start);
        pending.Set(SecondsToSlot(ParseClockTime(view.substr(comma + 1, 12))) + 4);
        const std::string text = ReadTextLines(lines);
        if (!text.empty() && start >= 0)
            MakeSubtitleEntry(table, start, ReplaceAllIgnoreCase(text, "[br]", "|"));
    }
    pending.AtEnd(table);
}

void ParseBracketedTime(SubtitleLineReader& lines, SubtitleTimetable& table) {
    if (!SkipToHeader(lines, [](std::string_view l) { return l == "[BEGIN]"; })) return;
    PendingEnd pending;
    std::string line;
    while (!pending.BeyondTable(table) && lines.Next(line)) {
        if (line.size() < 2 || line[0] != '[' || !IsDigit(line[1])) continue;
        const size_t close = line.find(']');
        if (close == std::string::npos) continue;
        const auto clock = ReadClock(std::string_view(line).substr(1, close - 1));
        std::string text;
        if (!lines.Next(text) || CodePointCount(text) < 2) text.clear();
        // A time that cannot be read loses its text but leaves the timing of
        // the others alone: taking it for time zero would drop an end mark at
        // 15 seconds, over whatever subtitle starts there.
        if (!clock) continue;
        const int64_t slot = SecondsToSlot(*clock);
        pending.BeforeStart(table, slot);
        // Such files give no end times: a subtitle lasts at most 15 seconds.
        pending.Set(slot + 30);
        // An empty text is an entry too: it clears the display at that moment.
        MakeSubtitleEntry(table, slot, std::move(text));
    }
    pending.AtEnd(table);
}

void ParseSubStationAlpha(SubtitleLineReader& lines, SubtitleTimetable& table) {
    if (!SkipToHeader(
            lines, [](std::string_view l) { return ToUpperAscii(l.substr(0, 8)) == "[EVENTS]"; }))
        return;
    const auto length = static_cast<int64_t>(table.SubtitleSlots.size());
    std::string line;
    while (lines.Next(line)) {
        if (ToUpperAscii(std::string_view(line).substr(0, 10)) != "DIALOGUE: ") continue;
        const TDynStrArray fields = SplitString(line, ",");
        if (fields.size() < 10) continue;
        const int64_t start = SecondsToSlot(ParseClockTime(fields[1]));
        const int64_t end = SecondsToSlot(ParseClockTime(fields[2]));
        std::string text(TrimBlanks(RemoveBetween(JoinStrings(fields, ",", 9, 99), '{', '}')));
        text = ReplaceAll(text, "\n", "|");
        text = ReplaceAllIgnoreCase(text, "\\n", "|");
        if (table.SubtitleCount < length && SlotInTable(table, start)) {
            const int32_t entry = table.SubtitleSlots[start];
            if (entry < 0) {
                MakeSubtitleEntry(table, start, std::move(text));
            } else {
                // Events starting in the same half second are shown together,
                // an empty one with its "|" too (the subtitle display drops a
                // "|" at either end). The entry there may be an earlier
                // event's end mark: joining onto its empty text would show a
                // blank line above this one, and an empty event keeps it blank.
                std::string& shared = table.SubtitleTexts[entry];
                if (shared.empty())
                    shared = std::move(text);
                else
                    shared += '|' + text;
            }
        }
        if (table.SubtitleCount < length && SlotInTable(table, end) && table.SubtitleSlots[end] < 0)
            MakeSubtitleEntry(table, end, {});
        if (end >= length) break;
    }
}

}  // namespace

std::string_view SubtitleKindExtension(int kind) {
    switch (kind) {
        case kMicroDvd:
        case kSubViewer2:
            return ".sub";
        case kSubRip:
        case kBracketedTime:
            return ".srt";
        case kSubStationAlpha:
            return ".ssa";
        default:
            return {};
    }
}

bool SubtitleSignatureFound(std::string_view head, int kind) {
    static constexpr std::string_view kSignatures[kSubtitleKindCount] = {"}{", "-->", "[SUBTITLE]",
                                                                         "[BEGIN]", "[EVENTS]"};
    if (kind < 0 || kind >= kSubtitleKindCount) return false;
    const std::string folded =
        ReplaceAll(ToUpperAscii(head.substr(0, kSubtitleSignatureBytes)), "- ", "-");
    return folded.find(kSignatures[kind]) != std::string::npos;
}

double ParseClockTime(std::string_view text) {
    std::string clock(text);
    const size_t dot = clock.find('.');
    if (dot != std::string::npos) clock[dot] = ',';
    double fraction = 0.0;
    const size_t comma = clock.find(',');
    if (comma != std::string::npos) {
        // The digits are a decimal fraction whatever their count: SubRip
        // writes milliseconds, SubViewer and SSA hundredths ("1.50" is a
        // second and a half, not 1.05 seconds).
        const std::string_view digits = TrimBlanks(std::string_view(clock).substr(comma + 1, 3));
        if (!digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos) {
            int value = 0;
            int scale = 1;
            for (char c : digits) {
                value = value * 10 + (c - '0');
                scale *= 10;
            }
            fraction = static_cast<double>(value) / scale;
        }
        clock.resize(comma);
    }
    return ReadClock(clock).value_or(0.0) + fraction;
}

void ParseSubtitles(int kind, std::string_view bytes, SubtitleTimetable& table, double frameRate) {
    SubtitleLineReader lines(bytes);
    switch (kind) {
        case kMicroDvd:
            ParseMicroDvd(lines, table, frameRate);
            break;
        case kSubRip:
            ParseSubRip(lines, table);
            break;
        case kSubViewer2:
            ParseSubViewer2(lines, table);
            break;
        case kBracketedTime:
            ParseBracketedTime(lines, table);
            break;
        case kSubStationAlpha:
            ParseSubStationAlpha(lines, table);
            break;
        default:
            break;
    }
}

}  // namespace quova
