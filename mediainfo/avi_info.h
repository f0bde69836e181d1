#pragma once

#include <filesystem>
#include <string>

#include "mediainfo/byte_reader.h"
#include "mediainfo/stream_figures.h"

namespace quova {

// What one walk of a RIFF AVI file's headers found. The walk reads headers
// only and never enters the "movi" list.
struct AviInfo {
    StreamFigures figures;
    // The header chunks with their fields, one per line, each line ending in
    // CR LF. Empty when the file is not a RIFF AVI file.
    std::string text;
    // Why the walk stopped early ("Read beyond end of file", ...); empty when
    // it ran to the end. What was gathered before stays in figures and text.
    std::string error;

    bool Failed() const { return !error.empty(); }
    // The warning to show the user when Failed(): the error's own text, a line
    // break and "error getting AVI information".
    std::string ErrorMessage() const;
};

// A file that cannot be opened gives an empty result without an error.
AviInfo ReadAviInfo(const std::filesystem::path& file);
AviInfo ReadAviInfo(ByteSource& source);

}  // namespace quova
