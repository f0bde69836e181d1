#include "playback/bookmarks.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "graph/dvd_graph.h"
#include "graph/graph_state.h"
#include "graph/message_box.h"
#include "graph/open_media.h"
#include "lexicon/lexicon.h"
#include "platform/files/atomic_file.h"
#include "platform/files/whole_file.h"
#include "playback/dvd_bookmark_file.h"
#include "playback/dvd_bookmark_state.h"
#include "playback/player_port.h"
#include "playback/player_session.h"
#include "playback/transport.h"

namespace quova {

namespace {

BookmarkSettings CurrentSettings(PlayerSession& session) {
    return session.playbackPort.Get().BookmarkOptions();
}

void Stop(const std::string& text) {
    ShowMessage(text, MbIconStop);
}

std::string WithoutFolder(const std::string& name) {
    const std::size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

bool SameFileName(const std::string& a, const std::string& b) {
    const std::string x = WithoutFolder(a), y = WithoutFolder(b);
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(x[i])) !=
            std::tolower(static_cast<unsigned char>(y[i])))
            return false;
    return true;
}

// Takes restored settings over and applies what changed.
void Apply(PlayerSession& session, const BookmarkSettings& restored, bool volumeChanged) {
    PlayerPort& ui = session.playbackPort.Get();
    const bool fullScreenWas = CurrentSettings(session).FullScreenMode;
    BookmarkSettings s = restored;
    // Full screen is switched by its own routine, which flips the flag.
    s.FullScreenMode = fullScreenWas;
    ui.StoreBookmarkOptions(s);
    if (volumeChanged) ui.ApplyVolume();
    ui.ApplyCropAndLayout();
    if (restored.FullScreenMode != fullScreenWas) {
        s.FullScreenMode = restored.FullScreenMode;
        ui.StoreBookmarkOptions(s);
        ui.ApplyFullScreen();
    }
}

bool WriteDvdBookmarkQuietly(PlayerSession& session, const std::string& name,
                             std::string* message) {
    DvdStateStore& dvd = DvdStates(session);
    if (!dvd.CanSave()) return false;
    std::string state;
    const std::int32_t got = dvd.GetState(state);
    if (got < 0) {
        if (message) *message = Lex(1520) + Lex(850) + ResultText(got);
        return false;
    }
    const auto record = EncodeDvdRecord(CurrentSettings(session));
    std::string step;
    const std::int32_t hr = WriteDvdBookmarkFile(
        name, state, std::string_view(reinterpret_cast<const char*>(record.data()), record.size()),
        &step);
    if (hr >= 0) return true;
    if (message) {
        if (step == "state")
            *message = Lex(1520) + Lex(760) + ResultText(hr);
        else if (step == "extension")
            *message = Lex(1520) + Lex(830) + ResultText(hr);
        else if (step == "write")
            *message = Lex(1520) + Lex(790) + ResultText(hr);
        else
            *message = Lex(1520) + FormatLex(1460, name) + ", " + ResultText(hr);
    }
    return false;
}

}  // namespace

std::string CurrentMovieBookmarkText(PlayerSession& session) {
    return FormatMovieBookmark(session.graph.CurrentMediaName, CurrentPosition(session),
                               CurrentSettings(session));
}

void WriteMovieBookmark(PlayerSession& session, const std::string& name) {
    std::string error;
    if (!WriteFileAtomically(name, CurrentMovieBookmarkText(session), &error))
        Stop(Lex(1520) + FormatLex(1460, name));
}

void ReadMovieBookmark(PlayerSession& session, const std::string& name) {
    std::string bytes;
    bool tooLarge = false;
    if (!ReadWholeFile(name, kMaxMovieBookmarkBytes, bytes, &tooLarge) && !tooLarge) {
        Stop(Lex(1430) + FormatLex(1460, name));
        return;
    }
    // A huge file is judged by its first line: a bookmark signature on it
    // makes it a damaged bookmark, anything else is not ours.
    if (tooLarge) bytes.resize(kMaxMovieBookmarkBytes + 1);
    const MovieBookmarkLines lines = ParseMovieBookmark(bytes);
    if (lines.Check == MovieBookmarkCheck::NotBookmark) {
        if (session.graph.MediaKind == MediaKindFile) Stop(Lex(1430) + FormatLex(1450, name));
        return;
    }
    if (lines.Check == MovieBookmarkCheck::WrongFormat) {
        Stop(Lex(1430) + FormatLex(1440, name));
        return;
    }
    if (session.graph.MediaKind == MediaKindNone &&
        !SameFileName(lines.MediaPath, session.graph.CurrentMediaName))
        session.playbackPort.Get().OpenMedia(lines.MediaPath);
    if (session.graph.MediaKind != MediaKindFile ||
        !SameFileName(lines.MediaPath, session.graph.CurrentMediaName)) {
        Stop(Lex(1430) + FormatLex(1440, name));
        return;
    }
    const MovieRestorePlan plan =
        PlanMovieRestore(lines, CurrentPosition(session), CurrentSettings(session));
    if (plan.SeekTo) SeekTo(session, *plan.SeekTo);
    Apply(session, plan.Settings, plan.VolumeChanged);
}

void WriteDvdBookmark(PlayerSession& session, const std::string& name) {
    std::string message;
    if (!WriteDvdBookmarkQuietly(session, name, &message) && !message.empty()) Stop(message);
}

void ReadDvdBookmark(PlayerSession& session, const std::string& name) {
    DvdStateStore& dvd = DvdStates(session);
    // With nothing open, the disc in the default drive.
    if (session.graph.MediaKind == MediaKindNone) OpenDvd(session, "");
    if (session.graph.MediaKind != MediaKindDvd || !dvd.Ready()) return;

    const DvdBookmarkContent content = ReadDvdBookmarkFile(name);
    if (content.OpenResult < 0) {
        Stop(Lex(1430) + FormatLex(1460, name) + ", " + ResultText(content.OpenResult));
        return;
    }
    if (content.StateResult < 0) {
        Stop(Lex(1430) + Lex(780) + ResultText(content.StateResult));
    } else {
        std::uint64_t savedDisc = 0;
        const std::int32_t loaded = dvd.StateDiscId(content.NavigatorState, savedDisc);
        if (loaded < 0) {
            Stop(Lex(1430) + Lex(1480) + ResultText(loaded));
        } else if (savedDisc != dvd.CurrentDiscId()) {
            Stop(Lex(1430) + Lex(1470));
        } else {
            const std::int32_t set = dvd.SetState(content.NavigatorState);
            if (set < 0) Stop(Lex(1430) + ResultText(set));
        }
    }
    if (content.ExtensionOpenResult < 0) {
        Stop(Lex(1430) + Lex(800) + ResultText(content.ExtensionOpenResult));
        return;
    }
    if (content.ExtensionReadResult < 0) {
        Stop(Lex(1430) + Lex(1500) + ResultText(content.ExtensionReadResult));
        return;
    }
    const std::size_t wanted = content.ExtensionVersion == 11 ? kDvdRecordSize : kDvdRecordSize10;
    if (content.Record.size() < wanted) return;
    const BookmarkSettings current = CurrentSettings(session);
    const BookmarkSettings restored = ApplyDvdRecord(
        reinterpret_cast<const std::uint8_t*>(content.Record.data()), wanted, current);
    // Applying an unchanged volume is harmless; the record's is valid or kept.
    Apply(session, restored, true);
}

void Save1Click(PlayerSession& session) {
    try {
        const GraphSession& g = session.graph;
        if (g.MediaKind == MediaKindNone) return;
        const bool dvd = g.MediaKind == MediaKindDvd;
        std::string proposed = Lex(860);
        if (!dvd) {
            std::filesystem::path file(WithoutFolder(g.CurrentMediaName));
            proposed = file.replace_extension(".mpk").string();
        }
        std::string name;
        {
            ModalDialogScope modal;
            name = session.playbackPort.Get().AskSaveName(Lex(dvd ? 1410 : 1400), proposed);
        }
        if (name.empty()) return;
        session.lastBookmarkName = name;
        if (dvd)
            WriteDvdBookmark(session, name);
        else
            WriteMovieBookmark(session, name);
    } catch (...) {
        // A failed save must leave playback alone.
    }
}

void Restore1Click(PlayerSession& session) {
    try {
        std::string name;
        {
            ModalDialogScope modal;
            name = session.playbackPort.Get().AskOpenName(Lex(1420), session.lastBookmarkName);
        }
        if (name.empty()) return;
        switch (session.graph.MediaKind) {
            case MediaKindNone:
                ReadMovieBookmark(session, name);
                if (session.graph.MediaKind == MediaKindNone) ReadDvdBookmark(session, name);
                break;
            case MediaKindFile:
                ReadMovieBookmark(session, name);
                break;
            default:
                ReadDvdBookmark(session, name);
        }
    } catch (...) {
        // A failed restore must leave the player usable.
    }
}

void RestoreSessionBookmark1Click(PlayerSession& session) {
    const std::string path = session.playbackPort.Get().SessionBookmarkFile();
    if (path.empty()) return;
    ReadMovieBookmark(session, path);
    if (session.graph.MediaKind == MediaKindNone) ReadDvdBookmark(session, path);
}

void SaveSessionBookmark(PlayerSession& session) {
    const std::string path = session.playbackPort.Get().SessionBookmarkFile();
    switch (session.graph.MediaKind) {
        case MediaKindFile: {
            const std::string text = CurrentMovieBookmarkText(session);
            WriteSessionFile(path, [&](const std::string& where) {
                return WriteFileAtomically(where, text, nullptr);
            });
            break;
        }
        case MediaKindDvd:
            WriteSessionFile(path, [&session](const std::string& where) {
                return WriteDvdBookmarkQuietly(session, where, nullptr);
            });
            break;
        default:
            break;
    }
}

}  // namespace quova
