#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quova {

// The subtitle timetable: one slot per half second of one and a half times the
// medium's length, so that the timer tick finds the entry due now by direct
// indexing. Subtitle starts, their end marks (blank entries) and chapter titles
// are all entries.
struct SubtitleTimetable {
    // Half-second slots covered; both arrays hold SlotCount + 1 elements.
    int SlotCount = 0;
    // Slot i stands for movie time i / 2 seconds: the entry that begins then, or -1.
    std::vector<int32_t> SubtitleSlots;
    // Entry index -> text; lines are separated by "|", an empty text clears.
    std::vector<std::string> SubtitleTexts;
    // Entries made so far, also those that found no room and were not stored.
    int SubtitleCount = 0;
    // The user's timing correction: slots added and speed factor.
    int SubtitleOffset = 0;
    double SubtitleSpeed = 1.0;
    std::filesystem::path SubtitleFileName;
};

// Media longer than this get a table that covers only this much; a broken or
// hostile duration must not decide how much memory the table takes.
constexpr double kMaxSubtitleDuration = 48.0 * 3600.0;

// Empties the table and sizes it for a medium of `duration` seconds.
void ResetSubtitles(SubtitleTimetable& table, double duration);

// Rounds half to even, clamped far enough inside 64 bits that slot arithmetic
// (+4, +30) cannot overflow; NaN gives -1 (no slot).
int64_t RoundSlot(double halfSeconds);

// A movie time in seconds as a slot.
int64_t SecondsToSlot(double seconds);

// A frame number as a slot at `frameRate` (25 when the medium gives none).
int64_t FrameToSlot(double frame, double frameRate);

// Whether `slot` lies inside the table.
bool SlotInTable(const SubtitleTimetable& table, int64_t slot);

// Makes entry number SubtitleCount: stores the text and points the slot at it
// where there is room, and counts it in any case.
void MakeSubtitleEntry(SubtitleTimetable& table, int64_t slot, std::string text);

// The end marks shared by the line-based grammars: the end slot of the
// subtitle just read waits until the next one shows whether it is needed.
class PendingEnd {
  public:
    // A subtitle starts at `startSlot`: the previous one's end mark goes in first
    // when it falls before this start.
    void BeforeStart(SubtitleTimetable& table, int64_t startSlot) {
        if (slot_ >= 1 && startSlot > slot_) MakeSubtitleEntry(table, slot_, {});
    }
    // After the file's last subtitle.
    void AtEnd(SubtitleTimetable& table) {
        if (slot_ > 0) MakeSubtitleEntry(table, slot_, {});
    }
    void Set(int64_t slot) { slot_ = slot; }
    int64_t Slot() const { return slot_; }
    // The rest of the file lies beyond the table once an end does.
    bool BeyondTable(const SubtitleTimetable& table) const {
        return slot_ >= static_cast<int64_t>(table.SubtitleSlots.size());
    }

  private:
    int64_t slot_ = 0;
};

}  // namespace quova
