// Feeds arbitrary bytes to the Blu-ray subtitle decoder as one display set of
// a PGS track; every picture it gives is as large as its pixels say.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "text/pgs_subpicture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto set =
        quova::DecodePgsDisplaySet(std::string_view(reinterpret_cast<const char*>(data), size));
    if (set)
        for (const auto& picture : set->pictures)
            if (picture.width < 1 || picture.height < 1 ||
                picture.argb.size() != static_cast<std::size_t>(picture.width) *
                                           static_cast<std::size_t>(picture.height))
                std::abort();
    return 0;
}
