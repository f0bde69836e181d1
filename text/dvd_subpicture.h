#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quova {

// One DVD sub-picture unit (a VobSub packet) drawn: where its picture lies in
// the frame, its pixels, and when it shows relative to the packet's time.
struct DvdSubPicture {
    int x = 0, y = 0, width = 0, height = 0;
    // width * height pixels, row by row, as 0xAARRGGBB (not premultiplied).
    std::vector<std::uint32_t> argb;
    // Seconds after the packet's time; stop < 0 when the unit never says.
    double start = 0;
    double stop = -1;
    // The unit asks to be shown even when subtitles are off.
    bool forced = false;
};

// The largest picture a unit may describe; anything bigger is taken as damage.
constexpr int kMaxSubPictureSide = 4096;

// Draws one unit with `palette` (the track's 16 colours as 0xRRGGBB). Every
// read is checked against the unit's bytes: a unit whose lengths or offsets
// point past its end, whose commands are cut off or unknown, or that never
// says where its picture lies gives nothing and the reason in `error`.
std::optional<DvdSubPicture> DecodeDvdSubPicture(std::string_view unit,
                                                 const std::array<std::uint32_t, 16>& palette,
                                                 std::string* error = nullptr);

// Reads a unit as DecodeDvdSubPicture does, checking every run of its
// picture data, without drawing it: `argb` stays empty. Its cost is that of
// the unit's bytes, whatever area it claims.
std::optional<DvdSubPicture> CheckDvdSubPicture(std::string_view unit,
                                                std::string* error = nullptr);

// The 16 colours (0xRRGGBB) of a VobSub track from its index text, which
// Matroska keeps as the track's private data: the "palette:" line's 16
// comma-separated hex values. Nothing when the line is missing or malformed.
std::optional<std::array<std::uint32_t, 16>> VobSubPalette(std::string_view index);

// The frame a VobSub track's units place their pictures on, from the index
// text's "size: WxH" line. Nothing when the line is missing, malformed or
// names a side outside 1..kMaxSubPictureSide.
std::optional<std::pair<int, int>> VobSubFrameSize(std::string_view index);

}  // namespace quova
