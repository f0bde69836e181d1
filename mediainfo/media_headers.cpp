#include "mediainfo/media_headers.h"

#include <algorithm>
#include <cctype>

namespace quova {

const StreamFigures& MediaHeaders::Figures() const {
    static const StreamFigures none;
    if (oggRead) return ogg.figures;
    if (aviRead) return avi.figures;
    return none;
}

std::string MediaHeaders::ErrorMessage() const {
    if (aviRead && avi.Failed()) return avi.ErrorMessage();
    if (oggRead && ogg.Failed()) return ogg.ErrorMessage();
    return "";
}

std::string MediaHeaders::InfoCommandCaption() const {
    if (oggRead && !ogg.streams.empty()) return "OGG Info";
    if (aviRead && !avi.text.empty()) return "AVI Info";
    return "";
}

MediaHeaders ReadMediaHeaders(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    MediaHeaders headers;
    if (ext == ".avi") {
        headers.aviRead = true;
        headers.avi = ReadAviInfo(file);
    } else if (ext.rfind(".og", 0) == 0) {
        headers.oggRead = true;
        headers.ogg = ReadOggInfo(file);
    }
    return headers;
}

}  // namespace quova
