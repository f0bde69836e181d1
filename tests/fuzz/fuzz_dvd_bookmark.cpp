// Arbitrary bytes read as a DVD bookmark compound file, and the settings
// record it gives applied.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "playback/bookmark_format.h"
#include "playback/dvd_bookmark_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > quova::kMaxDvdBookmarkBytes) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const quova::DvdBookmarkContent content = quova::ReadDvdBookmarkBytes(bytes);
    if (content.NavigatorState.size() > quova::kMaxNavigatorStateBytes) __builtin_trap();
    if (content.Record.size() > quova::kDvdRecordSize) __builtin_trap();
    const quova::BookmarkSettings s = quova::ApplyDvdRecord(
        reinterpret_cast<const uint8_t*>(content.Record.data()), content.Record.size(), {});
    if (s.Volume < 0 || s.Volume > 100 || s.AspectFactor <= 0) __builtin_trap();
    return 0;
}
