#pragma once

#include <functional>
#include <string>

namespace quova {

// Where the session bookmark lives: beside the program (its name with ".mpk"
// for its extension) when `besideProgram` (its folder takes new files);
// else <state home>/quova/quova.mpk, the state home being an absolute
// `xdgStateHome` or `home`/.local/state. "" without either: a shared folder
// such as /tmp would let another user plant or read it.
std::string SessionBookmarkPath(const std::string& exePath, bool besideProgram,
                                const std::string& xdgStateHome, const std::string& home);
// The same for the running program, its environment and the user's home
// (from the user database when $HOME is unset). Whether the program's folder
// takes files is asked once per run.
std::string SessionBookmarkPath();

// From now on the session bookmark stays out of the program's folder, as
// when that folder takes no files: a program its tests run from a build
// tree writes only into the folders the tests give it.
void KeepSessionOutOfProgramFolder();

// Writes the session bookmark at `path` through `write`, after making its
// folder (private, refused when another user controls it). When the
// program's folder turns out not to take the file after all, the state
// folder is used from then on, this write included. False when nothing was
// written; a "" path writes nothing.
bool WriteSessionFile(const std::string& path,
                      const std::function<bool(const std::string& path)>& write);

}  // namespace quova
