#include "app/play_list.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "app/settings.h"
#include "graph/graph_state.h"
#include "graph/open_media.h"
#include "lexicon/lexicon.h"
#include "platform/encoding/file_name_line.h"
#include "platform/files/atomic_file.h"
#include "platform/files/media_name.h"
#include "platform/files/whole_file.h"
#include "playback/folder_play_list.h"
#include "playback/player_session.h"

namespace quova {

int LibraryRandom(int n) {
    return n > 0 ? std::rand() % n : 0;
}

int RandomPick(PlayListState& list, const RandomSource& random) {
    const int prev = list.PlayListIndex;
    int lo = 9999;
    int hi = 0;
    for (int count : list.PlayCounts) {
        if (count < lo) lo = count;
        if (count > hi) hi = count;
    }
    if (hi == lo) hi = hi + 1;
    for (int i = 0; i < 2; ++i)
        if (lo < hi - 1) hi = hi - 1;
    const int n = list.PlayListCount();
    for (int attempt = 0; attempt < n; ++attempt) {
        list.PlayListIndex = random(n);
        if (list.PlayCounts[list.PlayListIndex] < hi && list.PlayListIndex != prev) break;
    }
    return list.PlayListIndex;
}

void StartEntry(PlayListState& list, const EntryOpener& open) {
    const int index = list.PlayListIndex;
    if (index < 0 || index >= list.PlayListCount()) return;
    ++list.PlayCounts[index];
    // A copy: the open may replace the list (an entry that is itself a list).
    const std::string name = list.PlayList[index];
    open(name);
}

bool RandomStartWanted(PlayerSession& session) {
    return AppSettings().RandomList && !session.flags.ExtractionMode;
}

namespace {

void Replace(PlayListState& list, const std::vector<std::string>& names) {
    list.PlayList = names;
    list.PlayCounts.assign(names.size(), 0);
}

}  // namespace

void SetPlayList(PlayerSession& session, PlayListState& list, const std::vector<std::string>& names,
                 int startIndex, const EntryOpener& open, const RandomSource& random) {
    Replace(list, names);
    list.PlayListIndex = 0;
    if (names.empty()) return;
    if (startIndex >= 0)
        list.PlayListIndex = std::min(startIndex, list.PlayListCount() - 1);
    else if (RandomStartWanted(session))
        RandomPick(list, random);
    StartEntry(list, open);
}

bool PlayFolderAround(PlayerSession& session, PlayListState& list, const std::string& name,
                      const EntryOpener& open) {
    if (!AppSettings().FolderAroundFile || IsNetworkAddress(name)) return false;
    const MediaBesideFile beside = MediaBeside(name);
    if (beside.index < 0) return false;
    SetPlayList(session, list, beside.names, beside.index, open);
    return true;
}

void LoadDroppedFiles(PlayerSession& session, PlayListState& list,
                      const std::vector<std::string>& names, const EntryOpener& open,
                      const RandomSource& random) {
    if (names.size() == 1 && PlayFolderAround(session, list, names.front(), open)) return;
    list.PlayListIndex = -1;
    Replace(list, WithFoldersListed(names));
    if (list.PlayList.empty()) return;
    list.PlayListIndex = 0;
    if (RandomStartWanted(session)) RandomPick(list, random);
    StartEntry(list, open);
}

void First1Click(PlayListState& list, const EntryOpener& open) {
    if (list.PlayList.empty()) return;
    list.PlayListIndex = 0;
    StartEntry(list, open);
}

void Next2Click(PlayListState& list, const EntryOpener& open, const RandomSource& random) {
    if (list.PlayList.empty()) return;
    if (AppSettings().RandomList) {
        RandomPick(list, random);
        StartEntry(list, open);
    } else if (list.PlayListIndex < list.PlayListCount() - 1) {
        ++list.PlayListIndex;
        StartEntry(list, open);
    }
}

bool NextFindsNoEntry(const PlayListState& list, bool random) {
    return list.PlayList.empty() || (!random && list.PlayListIndex >= list.PlayListCount() - 1);
}

void Previous1Click(PlayListState& list, const EntryOpener& open) {
    if (list.PlayList.empty() || list.PlayListIndex <= 0) return;
    // An index left beyond the end by an edited list still steps back inside it.
    list.PlayListIndex = std::min(list.PlayListIndex, list.PlayListCount()) - 1;
    StartEntry(list, open);
}

void Random1Click(bool& randomList, int mediaKind) {
    if (mediaKind == MediaKindDvd) return;
    randomList = !randomList;
    if (randomList) std::srand(static_cast<unsigned>(std::time(nullptr)));
}

std::string Loop1Click(bool& loopOn, int mediaKind) {
    if (mediaKind != MediaKindFile) return {};
    loopOn = !loopOn;
    return loopOn ? "loop on" : "loop off";
}

std::vector<std::string> ReadListFile(const std::string& fileName) {
    std::string bytes, why;
    bool tooLarge = false;
    if (!ReadWholeFile(fileName, kMaxListFileBytes, bytes, &tooLarge, &why)) {
        if (tooLarge)
            throw ListFileError(FormatLex(2600, std::to_string(kMaxListFileBytes)) + "\"" +
                                fileName + "\"");
        throw ListFileError("Cannot open list file \"" + fileName + "\": " + why);
    }
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::absolute(fileName, ec).parent_path();
    if (ec) folder = std::filesystem::path(fileName).parent_path();
    return ParseListFile(bytes, folder, LowerExtension(fileName) != ".mpl", fileName);
}

void WriteListFile(const std::string& fileName, const std::vector<std::string>& entries) {
    std::string text;
    for (const std::string& entry : entries) text += FileNameLine(entry) + "\r\n";
    std::string error;
    if (!WriteFileAtomically(fileName, text, &error))
        throw ListFileError("Cannot write list file \"" + fileName + "\": " + error);
}

}  // namespace quova
