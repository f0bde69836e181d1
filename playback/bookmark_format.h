#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quova {

// The picture and sound settings a bookmark carries besides the position.
struct BookmarkSettings {
    int Volume = 50;  // percent
    double ZoomFactor = 1.0;
    double AspectFactor = 1.0;
    bool ZoomToWindow = false;
    bool ResizeToMedia = false;
    bool FullScreenMode = false;
    std::int32_t CropY = 0;
    std::int32_t CropX = 0;
};

// Bits of the flags word; every other bit is written as 0 and ignored.
inline constexpr std::int64_t kBookmarkZoomToWindow = 2;
inline constexpr std::int64_t kBookmarkResizeToMedia = 4;
inline constexpr std::int64_t kBookmarkFullScreen = 8;

std::int64_t BookmarkFlags(const BookmarkSettings& s);

inline constexpr const char* kMovieBookmark10 = "Quova1.0MovieBookmark";
inline constexpr const char* kMovieBookmark11 = "Quova1.1MovieBookmark";

// No honest movie bookmark comes near this; anything larger is refused
// unread so a hostile file cannot make us allocate without bound.
inline constexpr std::size_t kMaxMovieBookmarkBytes = 64 * 1024;

// The whole text of a movie bookmark: UTF-8, every line ended by CR LF; a
// media path no UTF-8 line can hold is written as a local file URI.
std::string FormatMovieBookmark(const std::string& mediaPath, double position,
                                const BookmarkSettings& settings);

enum class MovieBookmarkCheck {
    Ok,
    NotBookmark,  // the first line is no known signature
    WrongFormat,  // signature fine, the rest does not fit
};

// A movie bookmark's lines as read, before they are applied.
struct MovieBookmarkLines {
    MovieBookmarkCheck Check = MovieBookmarkCheck::NotBookmark;
    int Version = 11;  // 10 or 11
    std::string MediaPath;
    // Position, volume, zoom, aspect, flags, crop Y, crop X: the raw lines
    // (the crops empty for version 1.0).
    std::array<std::string, 7> Values;
};

// Checks the whole layout (signature, brackets, line count) so that a
// damaged file is refused before anything is opened or changed. Each line in
// UTF-8 or else Windows-1252, lines ended by CR LF, LF or CR.
MovieBookmarkLines ParseMovieBookmark(std::string_view bytes);

// A decimal 64-bit integer with optional sign and surrounding blanks.
std::optional<std::int64_t> ParseBookmarkNumber(std::string_view text);

// What restoring a movie bookmark does, from its lines and the current state.
struct MovieRestorePlan {
    std::optional<double> SeekTo;  // seconds
    BookmarkSettings Settings;     // the settings after the restore
    bool VolumeChanged = false;
};

MovieRestorePlan PlanMovieRestore(const MovieBookmarkLines& lines, double currentPosition,
                                  const BookmarkSettings& current);

// The settings record of a DVD bookmark: six little-endian signed 64-bit
// integers (volume, zoom x1000, aspect x1000, flags, crop Y, crop X); the
// older record stops after the flags.
inline constexpr std::size_t kDvdRecordSize = 48;
inline constexpr std::size_t kDvdRecordSize10 = 32;

std::array<std::uint8_t, kDvdRecordSize> EncodeDvdRecord(const BookmarkSettings& settings);

// The settings after applying a record of `size` bytes (48, or 32 for the
// older record whose crops count as 0) to `current`.
BookmarkSettings ApplyDvdRecord(const std::uint8_t* record, std::size_t size,
                                const BookmarkSettings& current);

}  // namespace quova
