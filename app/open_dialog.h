#pragma once

#include <string>
#include <vector>

class QWidget;

namespace quova {

// The open dialog's filter: media files, DVD volume files, all files.
extern const char* const kMediaFileFilter;

// Asks for one or more media files, starting at `current`; empty when
// cancelled. `title` defaults to the open dialog's ("Open media file").
std::vector<std::string> AskMediaFiles(QWidget* owner, const std::string& current,
                                       const std::string& title = std::string());

// Asks for a folder whose media become the play list, starting at `current`
// (a folder, or a file in the folder to start in); "" when cancelled.
std::string AskMediaFolder(QWidget* owner, const std::string& current);

}  // namespace quova
