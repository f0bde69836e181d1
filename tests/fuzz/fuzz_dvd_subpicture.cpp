// Feeds arbitrary bytes to the DVD sub-picture decoder as one unit of a
// VobSub track, and as the track's index text; a picture it gives never
// reaches past its own area, a frame never past the largest side.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "text/dvd_subpicture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::array<std::uint32_t, 16> palette{};
    for (std::size_t k = 0; k < palette.size(); ++k)
        palette[k] = static_cast<std::uint32_t>(k * 0x111111u);
    const auto picture = quova::DecodeDvdSubPicture(
        std::string_view(reinterpret_cast<const char*>(data), size), palette);
    if (picture && picture->argb.size() != static_cast<std::size_t>(picture->width) *
                                               static_cast<std::size_t>(picture->height))
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
