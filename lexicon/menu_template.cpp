#include "lexicon/menu_template.h"

#include "lexicon/quoted_fields.h"
#include "platform/paths/program_files.h"

namespace quova {

namespace {
constexpr int kTemplateFields = 4;
constexpr const char* kRule = "----------";
}  // namespace

MenuTemplateLine ToMenuTemplateLine(const std::vector<std::string>& fields) {
    MenuTemplateLine line;
    std::string* targets[] = {&line.name, &line.caption, &line.shortcut, &line.hint};
    for (size_t i = 0; i < fields.size() && i < std::size(targets); ++i) *targets[i] = fields[i];
    return line;
}

std::filesystem::path MenuTemplatePath(const std::filesystem::path& exePath,
                                       const std::string& code) {
    std::filesystem::path name = exePath.filename();
    name.replace_extension();
    name += "." + code + ".mnu";
    return ProgramFile(exePath, name.string());
}

std::string StripAmpersands(std::string_view caption) {
    std::string out;
    out.reserve(caption.size());
    for (char c : caption)
        if (c != '&') out += c;
    return out;
}

std::string MenuTemplateHint(const std::string& caption, const std::string& hint,
                             const std::string& shortcutText) {
    if (hint.empty()) return {};
    std::string text = StripAmpersands(caption) + "\n" + kRule + "\n" + hint;
    if (!shortcutText.empty()) text += std::string("\n") + kRule + "\nShortcut: " + shortcutText;
    return text;
}

bool ApplyMenuTemplateLine(const std::vector<MenuTemplateItem*>& items,
                           const MenuTemplateLine& line) {
    for (MenuTemplateItem* item : items) {
        if (item->TemplateName() == line.name) {
            const std::string shortcut = item->SetCaptionAndShortcut(line.caption, line.shortcut);
            item->SetHint(MenuTemplateHint(line.caption, line.hint, shortcut));
            return true;
        }
        const std::vector<MenuTemplateItem*> children = item->TemplateSubItems();
        if (!children.empty() && ApplyMenuTemplateLine(children, line)) return true;
    }
    return false;
}

bool LoadMenuTemplateFile(const std::vector<MenuTemplateItem*>& items,
                          const std::filesystem::path& path) {
    return ReadQuotedFieldFile(path, kTemplateFields, [&](const std::vector<std::string>& fields) {
        const MenuTemplateLine line = ToMenuTemplateLine(fields);
        // A blank or comment line names nothing; an empty name must not
        // match an unnamed item either.
        if (!line.name.empty()) ApplyMenuTemplateLine(items, line);
    });
}

void LoadMenuTemplates(const std::vector<MenuTemplateItem*>& items,
                       const std::filesystem::path& exePath, const std::string& languageCode) {
    LoadMenuTemplateFile(items, MenuTemplatePath(exePath, "en"));
    LoadMenuTemplateFile(items, MenuTemplatePath(exePath, languageCode));
}

}  // namespace quova
