// Feeds arbitrary bytes to the DVD sub-picture decoder as one unit of a
// VobSub track, and as the track's index text; a picture it gives never
// reaches past its own area, a frame never past the largest side, and the
// check made without drawing agrees with the drawing.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/dvd_subpicture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::array<std::uint32_t, 16> palette{};
    for (std::size_t k = 0; k < palette.size(); ++k)
        palette[k] = static_cast<std::uint32_t>(k * 0x111111u);
    const std::string_view unit(reinterpret_cast<const char*>(data), size);
    std::string drawWhy, checkWhy;
    const auto picture = quova::DecodeDvdSubPicture(unit, palette, &drawWhy);
    if (picture && picture->argb.size() != static_cast<std::size_t>(picture->width) *
                                               static_cast<std::size_t>(picture->height))
        std::abort();
    const auto check = quova::CheckDvdSubPicture(unit, &checkWhy);
    if (picture.has_value() != check.has_value() || drawWhy != checkWhy ||
        (check && (!check->argb.empty() || check->start != picture->start ||
                   check->stop != picture->stop || check->forced != picture->forced)))
        std::abort();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    quova::VobSubPalette(text);
    if (const auto frame = quova::VobSubFrameSize(text);
        frame &&
        (frame->first < 1 || frame->second < 1 || frame->first > quova::kMaxSubPictureSide ||
         frame->second > quova::kMaxSubPictureSide))
        std::abort();
    return 0;
}
