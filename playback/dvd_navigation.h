#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/engine/dvd_types.h"
#include "playback/player_port.h"

namespace quova {

struct PlayerSession;

// What the player knows of the disc, kept by the status refresh and the
// navigator's events. Domains in the player's own numbering: the navigator's
// minus one (0 first play, 1 manager menu, 2 title menu, 3 title, 4 stop).
struct DvdPlayState {
    int DvdDomain = 0;
    std::uint32_t DvdTitle = 0, DvdChapter = 0, DvdTitleCount = 0, DvdChapterCount = 0;
    std::uint32_t DvdVolumeCount = 0, DvdVolume = 0, DvdSide = 0;
    double DvdPosition = 0, DvdTitleLength = 0;
    std::uint32_t DvdAudioCount = 0, DvdEnabledAudioCount = 0, DvdCurrentAudio = 0;
    std::uint32_t DvdSubpictureCount = 0, DvdCurrentSubpicture = 0;
    bool DvdSubpictureDisabled = true;
    std::uint32_t DvdCurrentAngle = 1, DvdAngleCount = 1;
    std::uint32_t DvdParentalLevel = engine::kNoParentalLevel;
    std::uint32_t DvdUops = 0;
    int DvdRate = 10000;  // the rate times 10000
    bool DvdStatusBusy = false;
};

// "G" .. ">NC-17" for the player's level 1..8; "" for none or no disc.
std::string ParentalRatingText(PlayerSession& session);
// "Title 2 of 5, Chapter 7 of 18", from the lexicon.
std::string DvdLocationText(PlayerSession& session);
// The English name of a two-letter language code ("" when unknown).
std::string LanguageName(std::uint16_t code);
// "AC3 48 KHz / 16 bits / 6 channels".
std::string AudioDescription(const engine::DVD_AudioAttributes& attributes);
std::vector<DvdStreamItem> AudioLanguageItems(PlayerSession& session);
std::vector<DvdStreamItem> SubpictureItems(PlayerSession& session);

// Shows `text` on the OSD.
void ShowOsdText(PlayerSession& session, const std::string& text);

// Re-reads the title, its length and the counts, shows the domain, rebuilds
// the stream submenus.
void DvdStatusRefresh(PlayerSession& session);
// Shows a disc menu, or leaves the menu showing.
void ShowDvdMenu(PlayerSession& session, std::uint32_t menu);
void PlayDvdTitle(PlayerSession& session, int title);
void SelectDvdAngle(PlayerSession& session, int angle);
// Next (+1) or previous (-1) chapter of the disc.
void StepDvdChapter(PlayerSession& session, int direction);
// The audio-language item with `tag` and `caption` was chosen; false when
// nothing changed.
bool ChooseAudioLanguage(PlayerSession& session, int tag, const std::string& caption, bool checked);
// The sub-picture item: on when it was off, off when it was on.
void ToggleSubpicture(PlayerSession& session, int tag, bool checked);
// The DVD play rate (1.0 normal; negative backwards).
engine::HResult SetDvdRate(PlayerSession& session, double rate);

bool RootButtonEnabled(std::uint32_t uops);

}  // namespace quova
