#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/list_file.h"
#include "playback/play_list_state.h"

namespace quova {

struct PlayerSession;

// Opens one entry (the open operation, which handles missing files itself).
using EntryOpener = std::function<void(const std::string& name)>;
// A random integer from 0 to n - 1.
using RandomSource = std::function<int(int n)>;
// The C library's generator, which start-up and "Random" seed from the clock.
int LibraryRandom(int n);

// Random mode's choice of the next entry: entries played less often than a
// threshold near the smallest count are accepted, the previous one only when
// no other draw is. Sets and returns PlayListIndex.
int RandomPick(PlayListState& list, const RandomSource& random = LibraryRandom);

// Counts the start of the current entry and opens it.
void StartEntry(PlayListState& list, const EntryOpener& open);

// "Random" is on and no extraction mode is active: new lists start at a random entry.
bool RandomStartWanted(PlayerSession& session);

// Replaces the list and starts entry `startIndex`, or with a negative index
// the first (or a random) entry. An empty list just empties the play list.
void SetPlayList(PlayerSession& session, PlayListState& list, const std::vector<std::string>& names,
                 int startIndex, const EntryOpener& open,
                 const RandomSource& random = LibraryRandom);
// A local file opened alone: with "FolderAroundFile" on, the media beside it
// in its folder become the play list and it starts among them. False when
// the setting is off or the file is not among them; the caller opens it.
bool PlayFolderAround(PlayerSession& session, PlayListState& list, const std::string& name,
                      const EntryOpener& open);
// Names dropped on the window become the list, a folder among them as its
// media files; the first (or a random) one starts.
void LoadDroppedFiles(PlayerSession& session, PlayListState& list,
                      const std::vector<std::string>& names, const EntryOpener& open,
                      const RandomSource& random = LibraryRandom);

// The "Play List" commands; each does nothing on an empty list.
void First1Click(PlayListState& list, const EntryOpener& open);
// With "Random" a random pick, else the following entry (none after the last).
void Next2Click(PlayListState& list, const EntryOpener& open,
                const RandomSource& random = LibraryRandom);
// Whether Next2Click would open nothing: an empty list, or the last entry
// (or past it) without "Random".
bool NextFindsNoEntry(const PlayListState& list, bool random);
void Previous1Click(PlayListState& list, const EntryOpener& open);

// "Random": flips the option unless a DVD is open; reseeds when switched on.
void Random1Click(bool& randomList, int mediaKind);
// "Loop": only while a file is open. Flips the option and returns the OSD
// text ("loop on"/"loop off"); "" when nothing changed.
std::string Loop1Click(bool& loopOn, int mediaKind);

// The entries of a list file (ParseListFile), relative names taken relative
// to the list's folder; each line is UTF-8 or else Windows-1252, a local file
// URI standing for the bytes of a name that is neither UTF-8 nor one line
// (see FileNameLine). Only a plain file of at most kMaxListFileBytes is read;
// anything else throws ListFileError saying why.
std::vector<std::string> ReadListFile(const std::string& fileName);

// Writes the entries as UTF-8 lines ending in CR LF, replacing the file
// atomically (its permissions kept); a name no UTF-8 line can hold is
// written as a local file URI.
void WriteListFile(const std::string& fileName, const std::vector<std::string>& entries);

}  // namespace quova
