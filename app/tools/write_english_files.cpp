// Writes the English lexicon file and menu template file that are installed
// with the program, from the built-in texts and the designed menu (with the
// extra keys the English template ships), so a translator starts from files
// that match the program exactly.
//   write_english_files <folder>   writes <folder>/quova.en.lex and quova.en.mnu
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/menu_design.h"
#include "app/shipped_keys.h"
#include "lexicon/builtin_texts.h"

namespace {

// A quoted field: a double quote inside is written twice.
std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        out += c;
        if (c == '"') out += '"';
    }
    return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);

    std::ofstream lex(folder / "quova.en.lex", std::ios::binary | std::ios::trunc);
    for (const quova::LexEntry& entry : quova::kBuiltInTexts)
        lex << Quoted(std::to_string(entry.index)) << "," << Quoted(entry.text) << "\r\n";

    std::ofstream mnu(folder / "quova.en.mnu", std::ios::binary | std::ios::trunc);
    for (const quova::MenuItemDesign& item : quova::DesignedMenu()) {
        if (std::string(item.caption) == "-") continue;
        mnu << Quoted(item.name) << "," << Quoted(item.caption) << ","
            << Quoted(quova::ShippedShortcut(item.name, item.shortcut)) << "," << Quoted(item.hint)
            << "\r\n";
    }
    lex.flush();
    mnu.flush();
    if (!lex || !mnu) {
        std::fprintf(stderr, "cannot write the English files into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
