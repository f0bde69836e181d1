#include "app/menu_model.h"

#include <functional>
#include <unordered_map>

#include "app/menu_design.h"

namespace quova {

std::vector<MenuTemplateItem*> MenuItem::TemplateSubItems() {
    return {children.begin(), children.end()};
}

std::string MenuItem::SetCaptionAndShortcut(const std::string& newCaption,
                                            const std::string& shortcutText) {
    caption = newCaption;
    QList<QKeySequence> keys = ParseShortcuts(shortcutText);
    shortcut = keys.isEmpty() ? QKeySequence() : keys.takeFirst();
    moreShortcuts = keys;
    if (!shortcut.isEmpty()) keys.prepend(shortcut);
    return ShortcutsText(keys);
}

QKeySequence ParseShortcut(const std::string& text) {
    if (text.empty()) return {};
    const QKeySequence sequence =
        QKeySequence::fromString(QString::fromStdString(text), QKeySequence::PortableText);
    if (sequence.count() != 1) return {};
    if (sequence[0].key() == Qt::Key_unknown || sequence[0].key() == 0) return {};
    return sequence;
}

std::string ShortcutText(const QKeySequence& shortcut) {
    return shortcut.toString(QKeySequence::PortableText).toStdString();
}

QList<QKeySequence> ParseShortcuts(const std::string& text) {
    QList<QKeySequence> keys;
    const QStringList parts = QString::fromStdString(text).split(QStringLiteral("; "));
    for (const QString& part : parts) {
        const QKeySequence key = ParseShortcut(part.trimmed().toStdString());
        if (!key.isEmpty() && !keys.contains(key)) keys.push_back(key);
    }
    return keys;
}

std::string ShortcutsText(const QList<QKeySequence>& keys) {
    std::string text;
    for (const QKeySequence& key : keys) {
        if (!text.empty()) text += "; ";
        text += ShortcutText(key);
    }
    return text;
}

MenuModel::MenuModel() {
    std::unordered_map<std::string, MenuItem*> byName;
    for (const MenuItemDesign& design : DesignedMenu()) {
        auto item = std::make_unique<MenuItem>();
        item->name = design.name;
        item->separator = std::string(design.caption) == "-";
        item->caption = item->separator ? std::string() : design.caption;
        item->shortcut = ParseShortcut(design.shortcut);
        item->handler = design.handler;
        item->tag = design.tag;
        item->hint = design.hint;
        item->visible = !(design.start & kHidden);
        item->enabled = !(design.start & kDisabled);
        const std::string parentName = design.parent;
        if (parentName.empty()) {
            topLevel_.push_back(item.get());
        } else {
            MenuItem* parent = byName.at(parentName);
            item->parent = parent;
            parent->children.push_back(item.get());
        }
        byName[item->name] = item.get();
        items_.push_back(std::move(item));
    }
    // Plain items run "<name>Click"; submenus open and separators do nothing.
    for (const auto& item : items_)
        if (item->handler.empty() && !item->separator && item->children.empty())
            item->handler = item->name + "Click";
}

std::vector<MenuTemplateItem*> MenuModel::TemplateItems() const {
    return {topLevel_.begin(), topLevel_.end()};
}

MenuItem* MenuModel::Find(const std::string& name) const {
    for (MenuItem* item : All())
        if (item->name == name) return item;
    return nullptr;
}

std::vector<MenuItem*> MenuModel::All() const {
    std::vector<MenuItem*> out;
    std::function<void(const std::vector<MenuItem*>&)> walk = [&](const auto& items) {
        for (MenuItem* item : items) {
            out.push_back(item);
            walk(item->children);
        }
    };
    walk(topLevel_);
    return out;
}

MenuItem* MenuModel::AddCopy(const MenuItem& prototype, const std::string& name) {
    auto item = std::make_unique<MenuItem>();
    item->name = name;
    item->caption = prototype.caption;
    item->handler = prototype.handler;
    item->tag = prototype.tag;
    item->parent = prototype.parent;
    MenuItem* raw = item.get();
    if (raw->parent)
        raw->parent->children.push_back(raw);
    else
        topLevel_.push_back(raw);
    items_.push_back(std::move(item));
    return raw;
}

}  // namespace quova
