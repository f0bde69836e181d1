#include "playback/dvd_navigation.h"

#include <QLocale>
#include <QString>

#include <algorithm>
#include <cmath>

#include "graph/graph_state.h"
#include "graph/message_box.h"
#include "graph/open_media.h"
#include "lexicon/lexicon.h"
#include "playback/player_session.h"
#include "text/text_session.h"

namespace quova {

using namespace engine;

void ShowOsdText(PlayerSession& session, const std::string& text) {
    session.osdMessage = text;
    OpenMediaPort& port = session.mediaPort.Get();
    if (port.Settings().OsdOn) port.PaintOsd();
}

std::string ParentalRatingText(PlayerSession& session) {
    const GraphSession& g = session.graph;
    if (!g.DvdInfo) return "";
    const Outcome<std::uint32_t> level = g.DvdInfo->GetPlayerParentalLevel();
    if (!level.ok() || level.value == kNoParentalLevel) return "";
    // The player's level is a number 1..8: map it onto the level flags,
    // testing from the lowest and keeping the last match.
    static const char* const kNames[] = {"G",         "G<->PG", "PG",    "PG-13",
                                         "PG-13<->R", "R",      "NC-17", ">NC-17"};
    const std::uint32_t flags = level.value >= 1 && level.value <= 8 ? 0x80u << level.value : 0;
    std::string text;
    for (int i = 0; i < 8; ++i)
        if (flags & (0x0100u << i)) text = kNames[i];
    return text;
}

std::string DvdLocationText(PlayerSession& session) {
    const DvdPlayState& s = session.dvd;
    return Lex(900) + " " + std::to_string(s.DvdTitle) + " " + Lex(910) + " " +
           std::to_string(s.DvdTitleCount) + ", " + Lex(920) + " " + std::to_string(s.DvdChapter) +
           " " + Lex(910) + " " + std::to_string(s.DvdChapterCount);
}

std::string LanguageName(std::uint16_t code) {
    if (code == 0) return "";
    const char letters[3] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF), 0};
    const QLocale::Language language = QLocale::codeToLanguage(QString::fromLatin1(letters));
    if (language == QLocale::AnyLanguage || language == QLocale::C) return "";
    return QLocale::languageToString(language).toStdString();
}

std::string AudioDescription(const DVD_AudioAttributes& a) {
    static const char* const kFormats[] = {"AC3 ",       "MPEG1 ", "MPEG1/DRC ", "MPEG2 ",
                                           "MPEG2/DRC ", "LPCM ",  "DTS ",       "SDDS "};
    std::string text = a.AudioFormat < 8 ? kFormats[a.AudioFormat] : "";
    return text + std::to_string(a.dwFrequency / 1000) + " KHz / " +
           std::to_string(a.bQuantization) + " bits / " + std::to_string(a.bNumberOfChannels) +
           " channels";
}

std::vector<DvdStreamItem> AudioLanguageItems(PlayerSession& session) {
    std::vector<DvdStreamItem> items;
    const GraphSession& g = session.graph;
    DvdPlayState& s = session.dvd;
    if (!g.DvdInfo) return items;
    const Outcome<DvdStreamChoice> current = g.DvdInfo->GetCurrentAudio();
    if (current.ok()) {
        s.DvdAudioCount = current.value.available;
        s.DvdCurrentAudio = current.value.current;
    }
    s.DvdEnabledAudioCount = 0;
    for (std::uint32_t i = 0; i < 8; ++i) {
        const Outcome<bool> enabled = g.DvdInfo->IsAudioStreamEnabled(i);
        if (!enabled.ok() || !enabled.value) continue;
        ++s.DvdEnabledAudioCount;
        std::uint16_t language = 0;
        std::string description;
        const Outcome<DVD_AudioAttributes> attributes = g.DvdInfo->GetAudioAttributes(i);
        if (attributes.ok()) {
            language = attributes.value.Language;
            description = AudioDescription(attributes.value);
        } else {
            const Outcome<std::uint16_t> lang = g.DvdInfo->GetAudioLanguage(i);
            if (!lang.ok()) continue;
            language = lang.value;
        }
        const std::string name = LanguageName(language);
        items.push_back({name.empty() ? description : name + " " + description, static_cast<int>(i),
                         i == s.DvdCurrentAudio});
    }
    return items;
}

std::vector<DvdStreamItem> SubpictureItems(PlayerSession& session) {
    std::vector<DvdStreamItem> items;
    const GraphSession& g = session.graph;
    DvdPlayState& s = session.dvd;
    if (!g.DvdInfo) return items;
    const Outcome<DvdStreamChoice> current = g.DvdInfo->GetCurrentSubpicture();
    if (current.ok()) {
        s.DvdSubpictureCount = current.value.available;
        s.DvdCurrentSubpicture = current.value.current;
        s.DvdSubpictureDisabled = current.value.disabled;
    }
    for (std::uint32_t i = 0; i < 32; ++i) {
        const Outcome<bool> enabled = g.DvdInfo->IsSubpictureStreamEnabled(i);
        if (!enabled.ok() || !enabled.value) continue;
        const Outcome<std::uint16_t> lang = g.DvdInfo->GetSubpictureLanguage(i);
        if (!lang.ok()) continue;
        const std::string name = LanguageName(lang.value);
        if (name.empty()) continue;
        items.push_back(
            {name, static_cast<int>(i), i == s.DvdCurrentSubpicture && !s.DvdSubpictureDisabled});
    }
    return items;
}

void DvdStatusRefresh(PlayerSession& session) {
    DvdPlayState& s = session.dvd;
    if (s.DvdStatusBusy) return;
    s.DvdStatusBusy = true;
    GraphSession& g = session.graph;
    OpenMediaPort& port = session.mediaPort.Get();
    PlayerPort& ui = session.playbackPort.Get();
    try {
        g.Duration = 0;
        if (g.DvdInfo) {
            const Outcome<DVD_PLAYBACK_LOCATION2> location = g.DvdInfo->GetCurrentLocation();
            if (location.ok() && s.DvdDomain == 3) {
                s.DvdTitle = location.value.TitleNum;
                s.DvdChapter = location.value.ChapterNum;
                s.DvdPosition = TimecodeSeconds(location.value.TimeCode);
            }
            const Outcome<DVD_HMSF_TIMECODE> total = g.DvdInfo->GetTotalTitleTime();
            if (total.ok()) {
                s.DvdTitleLength = TimecodeSeconds(total.value);
                g.Duration = s.DvdTitleLength;
            }
            const Outcome<DvdVolumeInfo> volume = g.DvdInfo->GetDVDVolumeInfo();
            s.DvdVolumeCount = volume.value.volumes;
            s.DvdVolume = volume.value.volume;
            s.DvdSide = volume.value.side;
            s.DvdTitleCount = volume.value.titles;
            s.DvdChapterCount = g.DvdInfo->GetNumberOfChapters(s.DvdTitle).value;
        }
        if (s.DvdDomain == 3) {
            port.SetTimer1(true);
            ui.HidePointer(true);
        } else if (g.VideoWindow) {
            port.SetTimer1(false);
            ui.HidePointer(false);
        }
        static const int kDomainTexts[] = {200, 210, 220, 230, 240};
        if (s.DvdDomain >= 0 && s.DvdDomain <= 4) {
            session.osdMessage = Lex(kDomainTexts[s.DvdDomain]);
            if (s.DvdDomain == 3) session.osdMessage += ParentalRatingText(session);
        } else {
            session.osdMessage.clear();
        }
        ShowOsdText(session, session.osdMessage);
        ui.ShowDvdSubpictureItems(SubpictureItems(session));
        ui.ShowDvdAudioItems(AudioLanguageItems(session));
    } catch (...) {
        // The last texts and items stay.
    }
    // The seek bar takes the title's length.
    port.PrepareSeekBar();
    s.DvdStatusBusy = false;
}

void ShowDvdMenu(PlayerSession& session, std::uint32_t menu) {
    const GraphSession& g = session.graph;
    if (!g.DvdControl) return;
    const int domain = session.dvd.DvdDomain;
    if (domain == 1 || domain == 2) {
        g.DvdControl->Resume(DVD_CMD_FLAG_Flush);
        return;
    }
    const HResult hr = g.DvdControl->ShowMenu(menu, DVD_CMD_FLAG_Flush);
    if (Failed(hr)) ShowMessage("error activating menu, " + ResultText(hr), MbIconStop);
}

void PlayDvdTitle(PlayerSession& session, int title) {
    const GraphSession& g = session.graph;
    if (!g.DvdControl) return;
    const int count = static_cast<int>(session.dvd.DvdTitleCount);
    const HResult hr =
        g.DvdControl->PlayTitle(static_cast<std::uint32_t>(std::max(1, std::min(title, count))));
    if (Failed(hr)) ShowOsdText(session, ResultText(hr));
}

void SelectDvdAngle(PlayerSession& session, int angle) {
    const GraphSession& g = session.graph;
    if (!g.DvdControl) return;
    const int count = static_cast<int>(session.dvd.DvdAngleCount);
    const HResult hr =
        g.DvdControl->SelectAngle(static_cast<std::uint32_t>(std::max(1, std::min(angle, count))));
    if (Failed(hr)) ShowOsdText(session, ResultText(hr));
}

void StepDvdChapter(PlayerSession& session, int direction) {
    const GraphSession& g = session.graph;
    if (g.MediaKind != MediaKindDvd || !g.DvdControl) return;
    if (direction > 0)
        g.DvdControl->PlayNextChapter();
    else
        g.DvdControl->PlayPrevChapter();
}

bool ChooseAudioLanguage(PlayerSession& session, int tag, const std::string& caption,
                         bool checked) {
    const GraphSession& g = session.graph;
    if (!g.DvdControl || checked) return false;
    const HResult hr = g.DvdControl->SelectAudioStream(static_cast<std::uint32_t>(tag));
    if (Failed(hr)) {
        std::string plain = caption;
        plain.erase(std::remove(plain.begin(), plain.end(), '&'), plain.end());
        ShowMessage("error selecting " + plain + " language, " + ResultText(hr), MbIconStop);
        return false;
    }
    session.dvd.DvdCurrentAudio = static_cast<std::uint32_t>(tag);
    return true;
}

void ToggleSubpicture(PlayerSession& session, int tag, bool checked) {
    const GraphSession& g = session.graph;
    if (!g.DvdControl) return;
    if (!checked) {
        g.DvdControl->SelectSubpictureStream(static_cast<std::uint32_t>(tag));
        g.DvdControl->SetSubpictureState(true);
        session.dvd.DvdCurrentSubpicture = static_cast<std::uint32_t>(tag);
    } else {
        g.DvdControl->SetSubpictureState(false);
    }
}

HResult SetDvdRate(PlayerSession& session, double rate) {
    const GraphSession& g = session.graph;
    session.dvd.DvdRate = static_cast<int>(std::trunc(rate * 10000));
    if (!g.DvdControl) return E_POINTER;
    return rate < 0 ? g.DvdControl->PlayBackwards(-rate) : g.DvdControl->PlayForwards(rate);
}

bool RootButtonEnabled(std::uint32_t uops) {
    return !(uops & UOP_FLAG_ShowMenu_Root);
}

}  // namespace quova
