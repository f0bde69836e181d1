#pragma once

#include <string>

class QWidget;

namespace quova {

// The bookmark dialogs: "Quova bookmarks|*.mpk|All files|*.*", extension
// "mpk" added when none is typed. The chosen name, "" when cancelled.
std::string AskBookmarkSaveName(QWidget* owner, const std::string& title,
                                const std::string& proposed);
std::string AskBookmarkOpenName(QWidget* owner, const std::string& title, const std::string& start);

}  // namespace quova
