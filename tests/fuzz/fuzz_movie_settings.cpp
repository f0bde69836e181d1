// Arbitrary bytes read as a movie's settings file (mdvd.ini): its [CONFIG]
// section applied to a player state and its [CHAPTERS] read into a table.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/chapters.h"
#include "text/movie_config.h"
#include "text/movie_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const quova::ProfileFile file = quova::ProfileFile::Parse(bytes);

    quova::MovieConfig config;
    for (const char separator : {'.', ','})
        quova::ApplyMovieConfig(file.SectionLines("CONFIG"), config, separator);
    if (!std::isfinite(config.Aspect) || !std::isfinite(config.ZoomFactor)) __builtin_trap();
    file.Value("CONFIG", "zoom");

    quova::ChapterTable chapters;
    quova::SubtitleTimetable table;
    quova::ReadChapterLines(file.SectionLines("CHAPTERS"), 25.0, true, chapters, table);
    if (chapters.ChapterCount < 0) __builtin_trap();
    for (const std::string& title : chapters.ChapterNames)
        if (title.size() > quova::kMaxChapterTitle) __builtin_trap();
    return 0;
}
