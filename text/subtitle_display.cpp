#include "text/subtitle_display.h"

#include <fstream>
#include <system_error>

#include "text/string_utils.h"
#include "text/text_session.h"

namespace quova {

std::intmax_t FileSizeOf(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return -1;
    std::ifstream in(file, std::ios::binary);
    if (!in) return -1;
    const auto size = std::filesystem::file_size(file, ec);
    return ec ? -1 : static_cast<std::intmax_t>(size);
}

bool FindSubtitlesForMovie(TextSession& session, SubtitleTimetable& table,
                           const std::filesystem::path& movie, double duration, double frameRate) {
    ResetSubtitles(table, duration);
    // The grammars' extensions in the order they are tried; .sub and .srt
    // each carry two of them.
    static const char* const kExtensions[] = {".sub", ".srt", ".sub", ".srt", ".ssa"};
    for (const char* extension : kExtensions) {
        std::filesystem::path name = movie;
        name.replace_extension(extension);
        const std::intmax_t size = FileSizeOf(name);
        // A file that cannot be read is passed over like a missing one.
        if (size >= 0 && size <= kMaxSubtitleBesideMovie) {
            table.SubtitleFileName = name;
            LoadSubtitleFile(session, table, frameRate);
            return true;
        }
    }
    std::filesystem::path offered = movie;
    offered.replace_extension(".sub");
    table.SubtitleFileName = offered;
    return false;
}

std::string CleanSubtitleText(std::string_view text, bool sounds) {
    std::string out(text);
    if (!sounds) {
        for (;;) {
            const auto open = out.find('[');
            const auto close = out.find(']');
            if (open == std::string::npos || close == std::string::npos || close < open) break;
            out.erase(open, close - open + 1);
        }
    }
    std::string_view rest = TrimBlanks(out);
    while (!rest.empty() && rest.front() == '|') rest.remove_prefix(1);
    while (!rest.empty() && rest.back() == '|') rest.remove_suffix(1);
    return std::string(TrimBlanks(rest));
}

int64_t CorrectedSlot(const SubtitleTimetable& table, double position, double duration) {
    if (!(position >= 0.0) || !(position * 2.0 < 1e15)) return -1;
    const auto positionSlot = static_cast<int64_t>(position * 2.0);
    if (!(static_cast<double>(positionSlot) <= duration * 2.0)) return -1;
    const double corrected = static_cast<double>(positionSlot) * table.SubtitleSpeed +
                             static_cast<double>(table.SubtitleOffset);
    // Truncated toward zero before the range test: a slot just below zero
    // (a negative advance near the start) is slot 0.
    if (!(corrected > -1.0) || !(corrected < static_cast<double>(table.SlotCount) + 1.0)) return -1;
    return static_cast<int64_t>(corrected);
}

std::optional<std::string> DueSubtitleText(const SubtitleTimetable& table, double position,
                                           double duration, bool sounds) {
    const int64_t s = CorrectedSlot(table, position, duration);
    if (s < 0) return std::nullopt;
    const int64_t probes[] = {s, s + 1, s - 1, s + 2, s - 2};
    for (const int64_t slot : probes) {
        if (slot < 0 || (slot < s && slot < 1) || !SlotInTable(table, slot)) continue;
        const int32_t entry = table.SubtitleSlots[static_cast<size_t>(slot)];
        if (entry < 0) continue;
        if (static_cast<size_t>(entry) >= table.SubtitleTexts.size()) return std::string();
        const std::string& text = table.SubtitleTexts[static_cast<size_t>(entry)];
        return text.empty() ? std::string() : CleanSubtitleText(text, sounds);
    }
    return std::nullopt;
}

int LongestLineLength(std::string_view text) {
    int longest = 0;
    for (const std::string& line : SplitString(text, "|")) {
        // Characters, not bytes: UTF-8 continuation bytes do not count.
        int n = 0;
        for (const char c : line)
            if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
        if (n > longest) longest = n;
    }
    return longest;
}

int FitSubtitleFontSize(std::string_view text, int size, int windowWidth,
                        const std::function<int(int size)>& xxWidthAt) {
    if (text.empty() || windowWidth <= 0 || size <= 1) return size;
    const int64_t n = LongestLineLength(text);
    auto width = [&](int at) { return static_cast<int64_t>(xxWidthAt(at)) * n / 2; };
    int64_t w = width(size);
    while (w > windowWidth && size > 1) {
        const auto next = static_cast<int>(static_cast<int64_t>(windowWidth) * size / w);
        size = next < 1 ? 1 : (next >= size ? size - 1 : next);
        w = width(size);
    }
    return size;
}

}  // namespace quova
