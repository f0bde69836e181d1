#include "playback/folder_play_list.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <system_error>

#include "graph/open_media.h"

namespace quova {

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Compares the digit runs starting at a[i] and b[j] by value, moving both
// past them; 0 when equal.
int CompareNumbers(std::string_view a, size_t& i, std::string_view b, size_t& j) {
    // Leading zeros carry no value; a run of any length compares without
    // being converted, so no name overflows a number.
    while (i < a.size() && a[i] == '0' && i + 1 < a.size() && IsDigit(a[i + 1])) ++i;
    while (j < b.size() && b[j] == '0' && j + 1 < b.size() && IsDigit(b[j + 1])) ++j;
    size_t endA = i, endB = j;
    while (endA < a.size() && IsDigit(a[endA])) ++endA;
    while (endB < b.size() && IsDigit(b[endB])) ++endB;
    const size_t lengthA = endA - i, lengthB = endB - j;
    int order = lengthA < lengthB ? -1 : lengthA > lengthB ? 1 : 0;
    if (order == 0) order = a.substr(i, lengthA).compare(b.substr(j, lengthB));
    i = endA;
    j = endB;
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

bool OneOf(const std::string& ext, std::initializer_list<std::string_view> list) {
    return std::find(list.begin(), list.end(), ext) != list.end();
}

bool HoldsText(std::string_view head) {
    // Media containers and streams carry control bytes within their first
    // few hundred; text of any encoding carries none but tabs and breaks.
    return std::none_of(head.begin(), head.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f';
    });
}

// An MPEG audio frame's header (MP3 without a tag, MP2) or an ADTS one (AAC):
// the sync bits, then fields no stream leaves at their reserved values.
bool StartsAudioFrame(std::string_view head) {
    if (head.size() < 4) return false;
    const auto b1 = static_cast<unsigned char>(head[1]);
    const auto b2 = static_cast<unsigned char>(head[2]);
    if (static_cast<unsigned char>(head[0]) != 0xFF || (b1 & 0xE0) != 0xE0) return false;
    if ((b1 & 0xF6) == 0xF0) return ((b2 >> 2) & 0x0F) < 13;
    const int version = (b1 >> 3) & 3, layer = (b1 >> 1) & 3;
    return version != 1 && layer != 0 && (b2 >> 4) != 0x0F && ((b2 >> 2) & 3) != 3;
}

bool StartsMedium(std::string_view head) {
    const auto at = [&head](size_t offset, std::string_view magic) {
        return head.size() >= offset + magic.size() && head.substr(offset, magic.size()) == magic;
    };
    using namespace std::string_view_literals;
    return at(0, "RIFF") || at(0, "OggS") || at(0, "fLaC") || at(0, "ID3") ||
           at(0, "\x1A\x45\xDF\xA3"sv) || at(4, "ftyp") ||
           at(0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11"sv) || at(0, "\x00\x00\x01\xBA"sv) ||
           at(0, "\x00\x00\x01\xB3"sv) || (at(0, "\x47") && at(188, "\x47")) ||
           StartsAudioFrame(head);
}

std::string Head(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::array<char, 512> bytes{};
    in.read(bytes.data(), bytes.size());
    return std::string(bytes.data(),
                       static_cast<size_t>(std::max<std::streamsize>(0, in.gcount())));
}

// The media files directly in `folder`, in natural order.
std::vector<std::filesystem::path> MediaIn(const std::filesystem::path& folder,
                                           std::vector<std::filesystem::path>* folders) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code kindError;
        const std::filesystem::path& path = it->path();
        if (it->is_directory(kindError)) {
            if (folders) folders->push_back(path);
        } else if (it->is_regular_file(kindError) && LooksLikeMedia(path, Head(path))) {
            files.push_back(path);
        }
    }
    const auto byName = [](const std::filesystem::path& a, const std::filesystem::path& b) {
        return NaturalLess(a.filename().string(), b.filename().string());
    };
    std::sort(files.begin(), files.end(), byName);
    if (folders) std::sort(folders->begin(), folders->end(), byName);
    return files;
}

}  // namespace

bool NaturalLess(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            if (const int order = CompareNumbers(a, i, b, j); order != 0) return order < 0;
            continue;
        }
        const char x = LowerAscii(a[i]), y = LowerAscii(b[j]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size()) return j < b.size();
    return a < b;
}

bool LooksLikeMedia(const std::filesystem::path& name, std::string_view head) {
    // The open's own reading of an extension, without its dot.
    std::string ext = LowerExtension(name.string());
    if (!ext.empty()) ext.erase(0, 1);
    if (head.empty()) return false;
    if (OneOf(ext, {"avi", "asf",  "wmv", "wma", "mpg",  "mpeg", "mpe",  "m1v", "m2v",
                    "mp2", "mp3",  "mp4", "m4v", "m4a",  "ts",   "m2ts", "mts", "vob",
                    "ogg", "ogm",  "ogv", "oga", "opus", "wav",  "mkv",  "mka", "webm",
                    "mov", "flac", "aac", "3gp", "flv",  "ac3",  "wv"}))
        return !HoldsText(head);
    if (OneOf(ext, {"srt", "sub", "idx", "ssa",  "ass",  "smi", "txt", "nfo",  "jpg", "jpeg",
                    "png", "gif", "bmp", "webp", "ini",  "mpl", "m3u", "m3u8", "pls", "bup",
                    "ifo", "cue", "log", "htm",  "html", "pdf", "exe", "zip"}))
        return false;
    return StartsMedium(head);
}

std::vector<std::string> FolderPlayList(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> folders;
    std::vector<std::string> names;
    for (const auto& file : MediaIn(folder, &folders)) names.push_back(file.string());
    for (const auto& inner : folders)
        for (const auto& file : MediaIn(inner, nullptr)) names.push_back(file.string());
    return names;
}

MediaBesideFile MediaBeside(const std::filesystem::path& file) {
    MediaBesideFile beside;
    std::error_code ec;
    const std::filesystem::path whole = std::filesystem::absolute(file, ec).lexically_normal();
    if (ec || !std::filesystem::is_regular_file(whole, ec)) return beside;
    for (const auto& name : MediaIn(whole.parent_path(), nullptr)) {
        if (name.filename() == whole.filename())
            beside.index = static_cast<int>(beside.names.size());
        beside.names.push_back(name.string());
    }
    return beside;
}

std::vector<std::string> WithFoldersListed(const std::vector<std::string>& names) {
    std::vector<std::string> listed;
    for (const std::string& name : names) {
        std::error_code ec;
        if (!name.empty() && std::filesystem::is_directory(name, ec)) {
            for (std::string& file : FolderPlayList(name)) listed.push_back(std::move(file));
        } else {
            listed.push_back(name);
        }
    }
    return listed;
}

}  // namespace quova
