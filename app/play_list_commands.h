#pragma once

#include <string>

#include "app/play_list.h"

class QWidget;

namespace quova {

struct PlayerSession;

// The open dialog: the chosen files become the play list and the first (or
// a random) one starts. A cancelled dialog changes nothing.
void ShowOpenDialog(PlayerSession& session, QWidget* owner, PlayListState& list,
                    const EntryOpener& open);
// Asks for the address of a medium; what is typed becomes the play list, and
// the open decides whether it is an address it takes.
void ShowOpenUrlDialog(PlayerSession& session, QWidget* owner, PlayListState& list,
                       const EntryOpener& open);

// The play-list editor, created the first time: with OK the edited entries
// become the play list.
void Edit1Click(PlayerSession& session, QWidget* owner, PlayListState& list,
                const EntryOpener& open);

// A list file opened like a medium: its entries become the play list and the
// first (or a random) one starts. A file that cannot be read is reported
// naming it, and the play list stays. A folder is a list of its media files;
// one without any is reported the same way. A list whose entry to start is itself
// a list is not followed further (it would open itself for ever).
void LoadPlayList(PlayerSession& session, const std::string& fileName, PlayListState& list,
                  const EntryOpener& open);

}  // namespace quova
