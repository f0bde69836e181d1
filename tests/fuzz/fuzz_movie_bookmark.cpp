// Arbitrary bytes read as a movie bookmark and, when they pass, planned
// against a player state.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "playback/bookmark_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const quova::MovieBookmarkLines lines = quova::ParseMovieBookmark(bytes);
    if (lines.Check == quova::MovieBookmarkCheck::Ok) {
        const quova::MovieRestorePlan plan = quova::PlanMovieRestore(lines, 12.5, {});
        if (plan.Settings.Volume < 0 || plan.Settings.Volume > 100) __builtin_trap();
        if (plan.Settings.ZoomFactor < 0 || plan.Settings.ZoomFactor > 5) __builtin_trap();
        if (plan.SeekTo && *plan.SeekTo < 0) __builtin_trap();
    }
    return 0;
}
