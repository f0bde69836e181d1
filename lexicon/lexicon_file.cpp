#include "lexicon/lexicon_file.h"

#include <charconv>
#include <vector>

#include "lexicon/quoted_fields.h"
#include "platform/paths/program_files.h"

namespace quova {

std::filesystem::path LexiconFilePath(const std::filesystem::path& program, std::string_view code) {
    std::string name = program.filename().string();
    // A leading dot starts a hidden name, not an extension.
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    name += '.';
    name += code;
    name += ".lex";
    return ProgramFile(program, name);
}

int ParseLexIndex(std::string_view field) {
    constexpr std::string_view kBlanks = " \t";
    const size_t first = field.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return -1;
    field = field.substr(first, field.find_last_not_of(kBlanks) - first + 1);
    if (field.front() == '+') {
        field.remove_prefix(1);
        // "+-5" and a bare sign are not numbers.
        if (field.empty() || field.front() == '-') return -1;
    }
    int value = -1;
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (ec != std::errc() || end != field.data() + field.size()) return -1;
    return value;
}

bool ReadLexiconFile(const std::filesystem::path& path, LexTable& table) {
    return ReadQuotedFieldFile(path, 2, [&table](const std::vector<std::string>& fields) {
        const int index = ParseLexIndex(fields[0]);
        if (index >= 0 && index < LexSlotCount) table.Store(index, fields[1]);
    });
}

}  // namespace quova
