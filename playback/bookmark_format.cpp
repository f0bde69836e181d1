#include "playback/bookmark_format.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "platform/encoding/file_name_line.h"
#include "platform/encoding/text_encoding.h"

namespace quova {

namespace {

// trunc(value x 1000), kept inside 64 bits whatever the double holds.
std::int64_t Thousandths(double value) {
    const double scaled = std::trunc(value * 1000.0);
    if (std::isnan(scaled)) return 0;
    if (scaled >= 9.2e18) return std::numeric_limits<std::int64_t>::max();
    if (scaled <= -9.2e18) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(scaled);
}

void PutLittleEndian(std::uint8_t* out, std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::int64_t GetLittleEndian(const std::uint8_t* in) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | in[i];
    return static_cast<std::int64_t>(bits);
}

std::int32_t Crop(const std::string& line) {
    const auto value = ParseBookmarkNumber(line);
    if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
        *value > std::numeric_limits<std::int32_t>::max())
        return 0;
    return static_cast<std::int32_t>(*value);
}

void ApplyFlags(std::int64_t flags, BookmarkSettings& s) {
    s.ZoomToWindow = (flags & kBookmarkZoomToWindow) != 0;
    s.ResizeToMedia = (flags & kBookmarkResizeToMedia) != 0;
    s.FullScreenMode = (flags & kBookmarkFullScreen) != 0;
}

}  // namespace

std::int64_t BookmarkFlags(const BookmarkSettings& s) {
    return (s.ZoomToWindow ? kBookmarkZoomToWindow : 0) |
           (s.ResizeToMedia ? kBookmarkResizeToMedia : 0) |
           (s.FullScreenMode ? kBookmarkFullScreen : 0);
}

std::string FormatMovieBookmark(const std::string& mediaPath, double position,
                                const BookmarkSettings& s) {
    const std::string lines[] = {kMovieBookmark11,
                                 "[",
                                 FileNameLine(mediaPath),
                                 std::to_string(Thousandths(position)),
                                 std::to_string(s.Volume),
                                 std::to_string(Thousandths(s.ZoomFactor)),
                                 std::to_string(Thousandths(s.AspectFactor)),
                                 std::to_string(BookmarkFlags(s)),
                                 std::to_string(s.CropY),
                                 std::to_string(s.CropX),
                                 "]"};
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::optional<std::int64_t> ParseBookmarkNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

MovieBookmarkLines ParseMovieBookmark(std::string_view bytes) {
    MovieBookmarkLines result;
    if (bytes.size() > kMaxMovieBookmarkBytes) {
        // Too large to be ours; still named by its first line when that fits.
        bytes = bytes.substr(0, 64);
        const std::vector<std::string> head = SplitLines(DecodeTextByLine(bytes));
        const bool signed_ =
            !head.empty() && (head[0] == kMovieBookmark10 || head[0] == kMovieBookmark11);
        result.Check = signed_ ? MovieBookmarkCheck::WrongFormat : MovieBookmarkCheck::NotBookmark;
        return result;
    }
    const std::vector<std::string> lines = SplitLines(DecodeTextByLine(bytes));
    // A missing line reads as the empty text.
    auto line = [&lines](std::size_t n) { return n < lines.size() ? lines[n] : std::string(); };
    if (line(0) == kMovieBookmark11) {
        result.Version = 11;
    } else if (line(0) == kMovieBookmark10) {
        result.Version = 10;
    } else {
        result.Check = MovieBookmarkCheck::NotBookmark;
        return result;
    }
    result.Check = MovieBookmarkCheck::WrongFormat;
    if (line(1) != "[") return result;
    result.MediaPath = FileNameFromLine(line(2));
    const std::size_t valueCount = result.Version == 11 ? 7 : 5;
    for (std::size_t i = 0; i < valueCount; ++i) result.Values[i] = line(3 + i);
    if (line(3 + valueCount) != "]") return result;
    result.Check = MovieBookmarkCheck::Ok;
    return result;
}

MovieRestorePlan PlanMovieRestore(const MovieBookmarkLines& lines, double currentPosition,
                                  const BookmarkSettings& current) {
    MovieRestorePlan plan;
    plan.Settings = current;
    BookmarkSettings& s = plan.Settings;
    auto value = [&lines](int i, std::int64_t fallback) {
        return ParseBookmarkNumber(lines.Values[i]).value_or(fallback);
    };
    const std::int64_t position = value(0, Thousandths(currentPosition));
    if (position >= 0) plan.SeekTo = static_cast<double>(position) / 1000.0;
    const std::int64_t volume = value(1, current.Volume);
    if (volume >= 0 && volume <= 100) {
        s.Volume = static_cast<int>(volume);
        plan.VolumeChanged = true;
    }
    const std::int64_t zoom = value(2, Thousandths(current.ZoomFactor));
    if (zoom >= 0 && zoom <= 5000) s.ZoomFactor = static_cast<double>(zoom) / 1000.0;
    const std::int64_t aspect = value(3, Thousandths(current.AspectFactor));
    if (aspect > 0) s.AspectFactor = static_cast<double>(aspect) / 1000.0;
    ApplyFlags(value(4, BookmarkFlags(current)), s);
    s.CropY = lines.Version == 11 ? Crop(lines.Values[5]) : 0;
    s.CropX = lines.Version == 11 ? Crop(lines.Values[6]) : 0;
    return plan;
}

std::array<std::uint8_t, kDvdRecordSize> EncodeDvdRecord(const BookmarkSettings& s) {
    std::array<std::uint8_t, kDvdRecordSize> record{};
    const std::int64_t fields[] = {
        s.Volume, Thousandths(s.ZoomFactor), Thousandths(s.AspectFactor), BookmarkFlags(s), s.CropY,
        s.CropX};
    for (int i = 0; i < 6; ++i) PutLittleEndian(record.data() + 8 * i, fields[i]);
    return record;
}

BookmarkSettings ApplyDvdRecord(const std::uint8_t* record, std::size_t size,
                                const BookmarkSettings& current) {
    BookmarkSettings s = current;
    if (size < kDvdRecordSize10) return s;
    const std::int64_t volume = GetLittleEndian(record);
    const std::int64_t zoom = GetLittleEndian(record + 8);
    const std::int64_t aspect = GetLittleEndian(record + 16);
    if (volume >= 0 && volume <= 100) s.Volume = static_cast<int>(volume);
    if (zoom > 0 && zoom <= 5000) s.ZoomFactor = static_cast<double>(zoom) / 1000.0;
    // A negative factor would mirror the picture into nothing: only positive ones count.
    if (aspect > 0) s.AspectFactor = static_cast<double>(aspect) / 1000.0;
    ApplyFlags(GetLittleEndian(record + 24), s);
    s.CropY = 0;
    s.CropX = 0;
    if (size >= kDvdRecordSize) {
        // Crops are 32-bit values; a record carrying more is not trusted.
        auto crop = [](std::int64_t v) {
            return v < std::numeric_limits<std::int32_t>::min() ||
                           v > std::numeric_limits<std::int32_t>::max()
                       ? 0
                       : static_cast<std::int32_t>(v);
        };
        s.CropY = crop(GetLittleEndian(record + 32));
        s.CropX = crop(GetLittleEndian(record + 40));
    }
    return s;
}

}  // namespace quova
