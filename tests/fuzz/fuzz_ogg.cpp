// Hostile Ogg pages and stream headers: the walk and the listing must end,
// without a crash, a hang or an allocation out of proportion to the input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "mediainfo/ogg_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quova::MemorySource source(std::string_view(reinterpret_cast<const char*>(data), size));
    const quova::OggInfo info = quova::ReadOggInfo(source);
    if (info.Failed()) (void)info.ErrorMessage();
    return 0;
}
