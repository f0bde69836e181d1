// Feeds arbitrary bytes to the Blu-ray subtitle decoder as one display set of
// a PGS track: every picture it gives is as large as its pixels say and lies
// on the set's frame, together no larger than the frame, and the check made
// without drawing agrees with the drawing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/pgs_subpicture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string drawWhy, checkWhy;
    const auto set = quova::DecodePgsDisplaySet(bytes, &drawWhy);
    const auto check = quova::CheckPgsDisplaySet(bytes, &checkWhy);
    if (set.has_value() != check.has_value() || drawWhy != checkWhy) std::abort();
    if (!set) return 0;
    if (check->composes == set->pictures.empty()) std::abort();
    std::size_t area = 0;
    for (const auto& picture : set->pictures) {
        if (picture.width < 1 || picture.height < 1 || picture.x < 0 || picture.y < 0 ||
            picture.x + picture.width > set->width || picture.y + picture.height > set->height ||
            picture.argb.size() !=
                static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height))
            std::abort();
        area += picture.argb.size();
    }
    if (area > static_cast<std::size_t>(set->width) * static_cast<std::size_t>(set->height))
        std::abort();
    return 0;
}
