#pragma once

#include <QKeySequence>
#include <QList>
#include <memory>
#include <string>
#include <vector>

#include "lexicon/menu_template.h"

namespace quova {

// One item of the popup menu: what the Qt menu shows and what its command
// runs. Items are addressed by name; copies made at run time (recent files,
// filters) may have none.
class MenuItem : public MenuTemplateItem {
  public:
    std::string name;
    std::string caption;
    QKeySequence shortcut;
    // Further keys that run the item too, given by a template.
    QList<QKeySequence> moreShortcuts;
    // The command run when the item is chosen; "" for a submenu or separator.
    std::string handler;
    int tag = 0;
    std::string hint;
    bool separator = false;
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    MenuItem* parent = nullptr;
    std::vector<MenuItem*> children;

    // MenuTemplateItem
    const std::string& TemplateName() const override { return name; }
    std::vector<MenuTemplateItem*> TemplateSubItems() override;
    std::string SetCaptionAndShortcut(const std::string& caption,
                                      const std::string& shortcutText) override;
    void SetHint(const std::string& hint) override { this->hint = hint; }
};

// A shortcut from its portable text ("Ctrl+L", "F11"); empty for an empty,
// unknown or multi-key text.
QKeySequence ParseShortcut(const std::string& text);
// The portable text of a shortcut, "" for none.
std::string ShortcutText(const QKeySequence& shortcut);
// The keys of a template's shortcut text: one key, or several separated by
// "; " ("Ctrl+N; PgDown"), as the platform writes a list of keys. Keys that
// cannot be read are left out.
QList<QKeySequence> ParseShortcuts(const std::string& text);
// The portable text of several keys, separated by "; ".
std::string ShortcutsText(const QList<QKeySequence>& keys);

// The popup menu's items, built from the designed menu.
class MenuModel {
  public:
    MenuModel();

    const std::vector<MenuItem*>& TopLevel() const { return topLevel_; }
    std::vector<MenuTemplateItem*> TemplateItems() const;
    // The first item of that name, depth first in menu order; null when none.
    MenuItem* Find(const std::string& name) const;
    // Every item, depth first in menu order.
    std::vector<MenuItem*> All() const;

    // Appends a copy of `prototype` (caption, handler, tag) to its parent.
    MenuItem* AddCopy(const MenuItem& prototype, const std::string& name = {});

  private:
    std::vector<std::unique_ptr<MenuItem>> items_;
    std::vector<MenuItem*> topLevel_;
};

}  // namespace quova
