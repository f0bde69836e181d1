#include "app/tips.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "app/settings.h"
#include "graph/message_box.h"
#include "lexicon/lexicon.h"
#include "platform/registry/registry.h"
#include "text/string_utils.h"

namespace quova {

namespace {

constexpr const char* kTipsKey = "SOFTWARE\\Dorvane\\Quova\\Tips";

std::uint32_t WordAt(const std::string& s, size_t offset) {
    std::uint32_t word = 0;
    for (size_t k = 0; k < 4; ++k)
        word |= static_cast<std::uint32_t>(static_cast<unsigned char>(s[offset + k])) << (8 * k);
    return word;
}

}  // namespace

std::uint32_t TextHash(std::string_view text) {
    std::string s = std::to_string(text.size());
    s.append(text);
    s.append(3, '\xff');
    // At least four bytes (one length digit and the padding), so n >= 0.
    const size_t n = s.size() / 4 - 1;
    s.append(3, '\xff');
    std::uint32_t h = 0;
    for (size_t offset : {0u, 1u, 3u})
        for (size_t i = 0; i <= n; ++i) h ^= WordAt(s, 4 * i + offset);
    return h;
}

std::string TipValueName(const std::string& programVersion, const std::string& text) {
    char name[9];
    std::snprintf(name, sizeof name, "%08X",
                  static_cast<unsigned>(TextHash(programVersion + text)));
    return name;
}

bool ShowTip(int lexiconIndex) {
    const std::string text = Lex(lexiconIndex);
    if (text == "?") return false;
    const std::string name = TipValueName(AppSettings().ProgramVersion, text);
    registry::KeyHandle key;
    bool shown = false;
    try {
        key = registry::OpenUserKey(kTipsKey);
        if (registry::ReadIntValue(key.get(), name, 0) == 0) {
            const std::string message =
                ReplaceAll(text, "|", "\n") + "\n\n" + Lex(600) + "\n" + Lex(610);
            shown = true;
            const int answer = ShowCaptionedMessage(message, "Quova " + Lex(620),
                                                    MbYesNo | MbDefButton2 | MbIconInformation);
            if (answer == IdNo) registry::WriteIntValue(key.get(), name, 1);
        }
    } catch (const std::exception& e) {
        ShowCaptionedMessage(e.what(), "Quova:ShowTip", MbIconExclamation);
    }
    registry::CloseKey(key);
    return shown;
}

void ShowRandomTip() {
    ShowTip(11 + std::rand() % 20);
}

}  // namespace quova
