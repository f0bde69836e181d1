#pragma once

#include <filesystem>
#include <string>

#include "mediainfo/avi_info.h"
#include "mediainfo/ogg_info.h"
#include "mediainfo/stream_figures.h"

namespace quova {

// The stream discovery the open pipeline does by a file's own headers: the AVI
// walk for ".avi" files, the Ogg walk for ".og*" files (".ogg", ".ogm", ...),
// nothing for others.
struct MediaHeaders {
    bool aviRead = false;
    bool oggRead = false;
    AviInfo avi;
    OggInfo ogg;

    // The figures of whichever reader ran; all zero when none did.
    const StreamFigures& Figures() const;
    // The warning to show when a walk ended early, "" when none did.
    std::string ErrorMessage() const;
    // The "AVI Info" command's caption: "OGG Info" when an Ogg stream was
    // read, else "AVI Info" when an AVI header was; "" leaves it disabled.
    std::string InfoCommandCaption() const;
};

MediaHeaders ReadMediaHeaders(const std::filesystem::path& file);

}  // namespace quova
