#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace quova::testing {

struct MadeCue {
    double start = 0, end = 0;
    // Plain UTF-8, or for a styled track the event's text field (override
    // blocks allowed).
    std::string text;
};

struct MadeSubtitleTrack {
    std::string language;  // "" untagged
    std::string title;     // "" untagged
    // An ASS track whose one style "Default" draws in `assColour`
    // (&HAABBGGRR) at the bottom centre; otherwise plain UTF-8 text.
    bool ass = false;
    std::string assColour = "&H0000FF00";
    std::vector<MadeCue> cues;
    // A VobSub track (subpicture/x-dvd) whose cues' text are the sub-picture
    // units' bytes as written, with `index` (the .idx text) as its private
    // data where given.
    bool picture = false;
    std::string index{};
};

// One DVD sub-picture unit as a DVD's authoring tool writes it: a `width` x
// `height` block at (`x`, `y`) filled with the track's palette entry
// `paletteIndex` (opaque) and clear around it, shown `startDelay` after the
// packet's time, and stopped `stopDelay` after it when that is >= 0; each in
// units of 1024 ticks of the 90 kHz clock. `forced` asks for it to be shown
// with subtitles off. Each line is one run "to the end of the line".
std::string DvdSubPictureUnit(int x, int y, int width, int height, int paletteIndex, int startDelay,
                              int stopDelay, bool forced = false);

// The script header of the ASS tracks made here: one style "Default" drawing
// in `colour` (&HAABBGGRR) with `font`, bold, 48 px at the bottom centre of a
// 320x240 play area.
std::string AssScriptHeader(const std::string& colour, const std::string& font = "Sans");

// One Blu-ray subtitle display set as Matroska keeps it (segments without
// the .sup headers): on a `frameWidth` x `frameHeight` frame, a `width` x
// `height` block at (`x`, `y`) in the colour (`luma`, `cr`, `cb`), opaque,
// each line one run and an end of line; `forced` flags its composition.
// With `width` 0 the set composes nothing and clears what was shown.
std::string PgsDisplaySetBytes(int frameWidth, int frameHeight, int x, int y, int width, int height,
                               int luma, int cr, int cb, bool forced = false);

// One display set as above whose one object, `objectWidth` x `objectHeight`
// in pure green (Y 173, Cr 26, Cb 42), is composed at each of `places` on
// the frame, as often as they are given.
std::string PgsSetComposingOneObject(int frameWidth, int frameHeight, int objectWidth,
                                     int objectHeight,
                                     const std::vector<std::pair<int, int>>& places);

// Writes a Matroska file by hand with one subtitle track of `codecId`
// (e.g. "S_HDMV/PGS", which matroskamux 1.22 does not take) and `cues` whose
// text are the blocks' bytes as written; a cue whose end is below 0 gets no
// duration. The header gives `seconds` as the length where it is given, else
// the last end. With `tracks` above 1, as many tracks of the same codec follow
// the first, without blocks.
void WriteMatroskaWithSubtitleTrack(const std::filesystem::path& out, const std::string& codecId,
                                    const std::vector<MadeCue>& cues, double seconds = 0,
                                    int tracks = 1);

// Writes a Matroska file by hand (matroskamux 1.22 writes no attachments): one
// ASS track with `header` as its script and `cues` (event text fields), and
// `font` attached as `fontName` (application/x-truetype-font) before the
// first cluster, as mkvmerge places attachments. With `tracks` above 1, as
// many ASS tracks with the same script follow the first, without events.
void WriteMatroskaWithAttachedFont(const std::filesystem::path& out, const std::string& header,
                                   const std::vector<MadeCue>& cues, const std::string& fontName,
                                   const std::string& font, int tracks = 1);

// Writes a Matroska file: MJPEG video (320x240, black, `framerate` as
// GStreamer writes it, "10/1") `seconds` long and the subtitle tracks in the
// order given. Returns "" or GStreamer's error text.
std::string MakeMatroskaWithSubtitles(const std::filesystem::path& out, double seconds,
                                      const std::vector<MadeSubtitleTrack>& tracks,
                                      const std::string& framerate = "10/1");

// The same as an MP4 file with H.264 video and 3GPP timed-text tracks (plain
// tracks only).
std::string MakeMp4WithSubtitles(const std::filesystem::path& out, double seconds,
                                 const std::vector<MadeSubtitleTrack>& tracks);

}  // namespace quova::testing
