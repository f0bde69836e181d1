#include "text/subtitle_timetable.h"

#include <cmath>
#include <limits>

namespace quova {

namespace {
constexpr double kDefaultFrameRate = 25.0;
// About 146 million years of half seconds: far beyond any table, far below overflow.
constexpr double kSlotLimit = 1e16;
}  // namespace

int64_t RoundSlot(double halfSeconds) {
    if (std::isnan(halfSeconds)) return -1;
    if (halfSeconds > kSlotLimit) return static_cast<int64_t>(kSlotLimit);
    if (halfSeconds < -kSlotLimit) return -static_cast<int64_t>(kSlotLimit);
    const double floor = std::floor(halfSeconds);
    const double rest = halfSeconds - floor;
    auto result = static_cast<int64_t>(floor);
    if (rest > 0.5 || (rest == 0.5 && (result % 2) != 0)) ++result;
    return result;
}

int64_t SecondsToSlot(double seconds) {
    return RoundSlot(seconds * 2.0);
}

int64_t FrameToSlot(double frame, double frameRate) {
    // The medium may report no rate (0) at all; dividing by it would put every
    // subtitle at infinity. Any real rate, however slow or fast, is the medium's.
    if (!std::isfinite(frameRate) || frameRate <= 0.0) frameRate = kDefaultFrameRate;
    return RoundSlot(frame / frameRate * 2.0);
}

void ResetSubtitles(SubtitleTimetable& table, double duration) {
    if (!(duration > 0.0)) duration = 0.0;  // also NaN
    if (duration > kMaxSubtitleDuration) duration = kMaxSubtitleDuration;
    table.SubtitleCount = 0;
    table.SlotCount = static_cast<int>(RoundSlot(duration * 1.5 * 2.0));
    const auto length = static_cast<size_t>(table.SlotCount) + 1;
    table.SubtitleSlots.assign(length, -1);
    table.SubtitleTexts.assign(length, std::string());
}

bool SlotInTable(const SubtitleTimetable& table, int64_t slot) {
    return slot >= 0 && slot < static_cast<int64_t>(table.SubtitleSlots.size());
}

void MakeSubtitleEntry(SubtitleTimetable& table, int64_t slot, std::string text) {
    const auto index = static_cast<size_t>(table.SubtitleCount);
    // An entry can only ever be reached through a slot, so there is room for
    // exactly as many entries as there are slots; the texts array keeps that
    // length so that entries added after loading (chapters) still fit.
    if (index < table.SubtitleSlots.size() && index < table.SubtitleTexts.size()) {
        table.SubtitleTexts[index] = std::move(text);
        if (SlotInTable(table, slot)) table.SubtitleSlots[slot] = table.SubtitleCount;
    }
    if (table.SubtitleCount < std::numeric_limits<int>::max()) ++table.SubtitleCount;
}

}  // namespace quova
