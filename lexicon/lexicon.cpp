#include "lexicon/lexicon.h"

#include <system_error>

#include "lexicon/lex_table.h"
#include "lexicon/lexicon_file.h"

namespace quova {

namespace {

LexTable& LoadedTable() {
    static LexTable table;
    return table;
}

std::filesystem::path& ProgramPathOverride() {
    static std::filesystem::path program;
    return program;
}

std::filesystem::path ProgramPath() {
    if (!ProgramPathOverride().empty()) return ProgramPathOverride();
    std::error_code ec;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : program;
}

}  // namespace

const std::string& Lex(int index) {
    const std::string& loaded = LoadedTable().Get(index);
    return loaded.empty() ? BuiltInLex(index) : loaded;
}

void LoadLexiconFile(const std::string& code) {
    const std::filesystem::path program = ProgramPath();
    // Without knowing where the program lives there is no file to read.
    if (program.empty()) return;
    ReadLexiconFile(LexiconFilePath(program, code), LoadedTable());
}

void SetLexiconProgramPath(const std::filesystem::path& program) {
    ProgramPathOverride() = program;
}

void ClearLoadedLexicon() {
    LoadedTable().Clear();
}

namespace {

// `text` with its first "%<letter>" filled with `value` and "%%" made "%".
std::string Fill(const std::string& text, char letter, const std::string& value) {
    std::string out;
    bool filled = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size()) {
            if (text[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (text[i + 1] == letter && !filled) {
                out += value;
                filled = true;
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

}  // namespace

std::string FormatLex(int index, const std::string& value) {
    return Fill(Lex(index), 's', value);
}

std::string FormatLexNumber(int index, int value) {
    return Fill(Lex(index), 'd', std::to_string(value));
}

}  // namespace quova
