#pragma once

#include <string>
#include <vector>

class QWidget;

namespace quova {

// The open dialog's filter: media files, DVD volume files, all files.
extern const char* const kMediaFileFilter;

// Asks for one or more media files, starting at `current`; empty when cancelled.
std::vector<std::string> AskMediaFiles(QWidget* owner, const std::string& current);

}  // namespace quova
