#include "text/subtitle_loading.h"

#include <fstream>
#include <system_error>

#include "platform/encoding/text_encoding.h"
#include "text/osd.h"
#include "text/string_utils.h"
#include "text/subtitle_formats.h"
#include "text/subtitle_port.h"
#include "text/text_session.h"

namespace quova {

namespace {

// Only plain files: a FIFO or device under a subtitle's name would block or
// never end.
bool IsPlainFile(const std::filesystem::path& file) {
    std::error_code ec;
    return std::filesystem::is_regular_file(file, ec);
}

std::string ReadHead(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::string head(kSubtitleSignatureBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    return head;
}

// The whole file, or nothing when it cannot be read or is far too large.
bool ReadWholeFile(const std::filesystem::path& file, std::string& bytes) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec || size > kMaxSubtitleFileBytes) return false;
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    bytes.resize(static_cast<size_t>(size));
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    // The file may have shrunk since its size was taken.
    bytes.resize(static_cast<size_t>(in.gcount()));
    return true;
}

std::string LowerExtension(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

}  // namespace

int LoadSubtitleFile(TextSession& session, SubtitleTimetable& table, double frameRate) {
    table.SubtitleOffset = 0;
    table.SubtitleSpeed = 1.0;
    const std::filesystem::path& file = table.SubtitleFileName;
    if (IsPlainFile(file)) {
        const std::string extension = LowerExtension(file);
        std::string head = ReadHead(file);
        std::string bytes;
        bool whole = false;
        // The signatures and grammars are ASCII text, which UTF-16 and UTF-32
        // interleave with zero bytes: such a file is looked at decoded.
        if (StartsWithWideByteOrderMark(head)) {
            whole = ReadWholeFile(file, bytes);
            bytes = whole ? WideUnicodeToUtf8(bytes) : std::string();
            head = bytes.substr(0, kSubtitleSignatureBytes);
        }
        int kind = -1;
        for (int k = 0; k < kSubtitleKindCount && kind < 0; ++k)
            if (SubtitleKindExtension(k) == extension && SubtitleSignatureFound(head, k)) kind = k;
        if (kind >= 0 && (whole || ReadWholeFile(file, bytes)) && !bytes.empty())
            ParseSubtitles(kind, bytes, table, frameRate);
    }
    session.textPort.Get().EnableSubtitleAdjust(table.SubtitleCount >= 1);
    ShowOsdMessage(session, "Subtitles: " + std::to_string(table.SubtitleCount));
    return table.SubtitleCount;
}

}  // namespace quova
