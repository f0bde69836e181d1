#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quova {

// One object of a Blu-ray subtitle (PGS) display set as it is composed:
// where it lies on the frame and its pixels.
struct PgsObjectPicture {
    int x = 0, y = 0, width = 0, height = 0;
    // width * height pixels, row by row, as 0xAARRGGBB (not premultiplied).
    std::vector<std::uint32_t> argb;
    // The composition asks for it to be shown even when subtitles are off.
    bool forced = false;
};

// What a display set shows from its time on: the frame its objects lie on
// and the objects; none clears what the set before showed.
struct PgsDisplaySet {
    int width = 0, height = 0;
    std::vector<PgsObjectPicture> pictures;
};

// What a display set does, read without drawing it.
struct PgsSetSummary {
    // It shows something; a set that does not only clears.
    bool composes = false;
    // Something it shows asks to be shown even when subtitles are off.
    bool forced = false;
};

// Draws one display set (the segments Matroska keeps in one block: PCS 0x16,
// WDS 0x17, PDS 0x14, ODS 0x15 and END 0x80, each a type, a 16-bit length
// and its bytes; a .sup stream's "PG" headers are read too). Objects and
// palettes come from the set itself. Every read is checked against the
// set's bytes: a segment that runs past its end, an object whose pixels do
// not fill it, a composed object the set does not carry, or a set without a
// composition gives nothing and the reason in `error`. Only what lies on
// the frame is drawn, clipped to it; a set showing more than its frame holds
// is damaged, as is one too large for the memory there is.
std::optional<PgsDisplaySet> DecodePgsDisplaySet(std::string_view data,
                                                 std::string* error = nullptr);

// Checks a display set as DecodePgsDisplaySet does, every code of every
// object shown included, and says what it does, without allocating one pixel.
std::optional<PgsSetSummary> CheckPgsDisplaySet(std::string_view data,
                                                std::string* error = nullptr);

}  // namespace quova
