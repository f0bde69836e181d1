#include "text/chapters.h"

#include <algorithm>
#include <cmath>

#include "text/movie_settings.h"
#include "text/string_utils.h"

namespace quova {

namespace {

// The frame before the first blank: a decimal integer, -1 when unreadable.
int ReadFrame(std::string_view text) {
    return ParseInteger(text).value_or(-1);
}

std::string CutTitle(std::string title) {
    if (title.size() <= kMaxChapterTitle) return title;
    std::size_t cut = kMaxChapterTitle;
    // Back up over UTF-8 continuation bytes so the cut falls between characters.
    while (cut > 0 && (static_cast<unsigned char>(title[cut]) & 0xC0) == 0x80) --cut;
    title.resize(cut);
    return title;
}

bool HoldsEntry(const SubtitleTimetable& table, int64_t slot) {
    return SlotInTable(table, slot) && table.SubtitleSlots[static_cast<size_t>(slot)] >= 0;
}

}  // namespace

void MergeChapterTitle(SubtitleTimetable& table, double seconds, const std::string& title) {
    const int64_t s = RoundSlot(seconds * 2.0);
    int64_t first = -1;
    int64_t endMark = -1;
    for (int64_t slot = std::max<int64_t>(0, s - 2); slot <= s + 30; ++slot) {
        if (!HoldsEntry(table, slot)) continue;
        if (first < 0) first = slot;
        if (slot - first < 10) {
            auto& text = table.SubtitleTexts[static_cast<size_t>(
                table.SubtitleSlots[static_cast<size_t>(slot)])];
            text = "(" + title + ")|" + text;
        } else {
            endMark = slot;
            break;
        }
    }
    if (first < 0) {
        first = s + 10;
        MakeSubtitleEntry(table, first, "(" + title + ")");
    }
    // A subtitle that already starts where the title would end ends it
    // itself; a blank entry there would wipe that subtitle out.
    if (endMark < 0 && !HoldsEntry(table, first + 10)) MakeSubtitleEntry(table, first + 10, {});
}

void ReadChapterLines(const std::vector<std::string>& lines, double frameRate, bool onSubtitles,
                      ChapterTable& chapters, SubtitleTimetable& table) {
    if (!std::isfinite(frameRate) || frameRate <= 0.0) frameRate = 25.0;
    chapters.CurrentChapter = 1;
    chapters.ChapterCount = static_cast<int>(lines.size());
    chapters.ChapterTimes.assign(lines.size() + 1, 0.0f);
    chapters.ChapterNames.assign(lines.size() + 1, std::string());
    if (lines.empty()) return;
    // The first line of a number holds, as the first of two equal keys does.
    std::vector<bool> seen(lines.size() + 1, false);
    for (std::size_t i = 1; i <= lines.size(); ++i) {
        const auto pair = SplitProfileLine(lines[i - 1]);
        if (!pair) continue;
        const auto n = ParseInteger(pair->first);
        if (!n || *n < 1 || *n > chapters.ChapterCount) continue;
        const std::string& rest = pair->second;
        const auto blank = rest.find(' ');
        if (blank == std::string::npos) continue;
        const auto index = static_cast<std::size_t>(*n);
        if (seen[index]) continue;
        seen[index] = true;
        const int frame = ReadFrame(std::string_view(rest).substr(0, blank));
        chapters.ChapterTimes[index] = static_cast<float>(frame / frameRate);
        chapters.ChapterNames[index] = CutTitle(rest.substr(blank + 1));
        if (i <= static_cast<std::size_t>(kMaxChapterSubtitles) && onSubtitles)
            MergeChapterTitle(table, chapters.ChapterTimes[index], chapters.ChapterNames[index]);
    }
}

int ChapterStepTarget(const ChapterTable& chapters, double position, int direction) {
    const int count =
        std::min(chapters.ChapterCount, static_cast<int>(chapters.ChapterTimes.size()) - 1);
    if (direction > 0) {
        for (int i = 1; i <= count; ++i)
            if (chapters.ChapterTimes[static_cast<std::size_t>(i)] > position) return i;
        return 0;
    }
    for (int i = count; i >= 1; --i)
        if (chapters.ChapterTimes[static_cast<std::size_t>(i)] < position) return i > 1 ? i - 1 : i;
    return 0;
}

bool ReadChapters(const std::filesystem::path& movie, double frameRate, double duration,
                  bool onSubtitles, ChapterTable& chapters, SubtitleTimetable& table) {
    if (table.SubtitleCount == 0) ResetSubtitles(table, duration);
    const auto file = FindMovieSettingsFile(movie);
    if (!file) return false;
    const auto profile = ProfileFile::Load(*file);
    if (!profile) return false;
    ReadChapterLines(profile->SectionLines("CHAPTERS"), frameRate, onSubtitles, chapters, table);
    return true;
}

}  // namespace quova
