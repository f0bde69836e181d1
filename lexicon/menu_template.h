#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quova {

// Menu template files re-caption the popup menu and re-assign its shortcuts
// and hints: quova.<code>.mnu beside the program, one item a line, four
// quoted fields: item name, caption ("&" marks the accelerator), shortcut
// text ("Ctrl+O", "F11", or several keys as "Ctrl+N; PgDown"; empty or unknown
// means none), hint.

struct MenuTemplateLine {
    std::string name;
    std::string caption;
    std::string shortcut;
    std::string hint;
};

// The four fields of a line; missing fields are empty.
MenuTemplateLine ToMenuTemplateLine(const std::vector<std::string>& fields);

// The template file for `code` beside the program: the program's path with
// its extension (if any) replaced by ".<code>.mnu".
std::filesystem::path MenuTemplatePath(const std::filesystem::path& exePath,
                                       const std::string& code);

// The caption with every "&" removed, as it reads in a hint.
std::string StripAmpersands(std::string_view caption);

// The hint an item gets from a template line: empty when the line has no
// hint; otherwise the caption without "&", a rule, the hint, and when the item
// has a shortcut, another rule and "Shortcut: " with its text.
std::string MenuTemplateHint(const std::string& caption, const std::string& hint,
                             const std::string& shortcutText);

// The menu a template is applied to, seen as a tree of named items.
class MenuTemplateItem {
  public:
    virtual ~MenuTemplateItem() = default;
    virtual const std::string& TemplateName() const = 0;
    virtual std::vector<MenuTemplateItem*> TemplateSubItems() = 0;
    // Sets the caption and the shortcut parsed from its text; returns the text
    // of the shortcut the item now has, "" when it has none.
    virtual std::string SetCaptionAndShortcut(const std::string& caption,
                                              const std::string& shortcutText) = 0;
    virtual void SetHint(const std::string& hint) = 0;
};

// Applies one line to the first item of that name, depth first in menu order;
// false when no item has the name.
bool ApplyMenuTemplateLine(const std::vector<MenuTemplateItem*>& items,
                           const MenuTemplateLine& line);

// Applies every line of one file; false when the file cannot be read.
bool LoadMenuTemplateFile(const std::vector<MenuTemplateItem*>& items,
                          const std::filesystem::path& path);

// Applies the "en" file, then the file of `languageCode`, both beside the
// program; missing files are skipped.
void LoadMenuTemplates(const std::vector<MenuTemplateItem*>& items,
                       const std::filesystem::path& exePath, const std::string& languageCode);

}  // namespace quova
