#pragma once

#include <QImage>
#include <QSize>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/engine/text_tracks.h"
#include "text/subtitle_timetable.h"

namespace quova {

struct TextSession;
struct SubtitleTrackRoad;

// --- Deciding (no widgets, no pipelines)

// The subtitle streams of a file that go through the timetable: text, styled
// text and pictures (VobSub and PGS; other picture kinds are listed but not
// drawn).
bool TrackGoesToTimetable(const engine::TextTrackInfo& track);

// The menu caption of a stream: its title and language as the container tags
// them ("English [en]", "German", "Commentary"), or "Track N" (N from 1) when
// it carries neither.
std::string SubtitleTrackCaption(const engine::TextTrackInfo& track);

// The stream shown when no subtitle file lies beside the movie, or -1: among
// the timetable's text streams (its picture streams where it has none), those the container marks
// as forced when it marks some but not all of them, and among those the ones it marks as default
// when it marks some but not all of them; among those, the first in `userLanguage` (an ISO 639-1
// code) where one is tagged so, else the first.
int DefaultSubtitleTrack(const std::vector<engine::TextTrackInfo>& tracks,
                         std::string_view userLanguage);

// The user's language as an ISO 639-1 code from the locale variables; "" for
// the C locale.
std::string UserSubtitleLanguage();

// A cue as the timetable holds it: markup tags dropped and entities read,
// SSA override blocks dropped, line breaks as "|".
std::string CueTextForTable(engine::TextTrackKind kind, std::string_view raw);

// Text streams end their cues this many slots after the written end, as the
// SubRip and SubViewer grammars do; SSA events end where they say.
constexpr int kCueEndExtension = 4;

// The longest a cue from a stream shows, in slots (ten minutes): one that
// never says when it ends, or says it ends later, ends here unless the next
// cue starts first.
constexpr int kLongestCueSlots = 1200;

// Puts one cue into the table as a subtitle file's grammar would: its text at
// its start slot and an end mark `endExtension` slots after its end (`end` < 0
// when the stream gave none), at most kLongestCueSlots after its start, unless
// the next cue starts first. Cues may come in any order (the reader starts in
// the middle); the table ends up as if read in order.
void AddCueToTable(SubtitleTimetable& table, double start, double end, const std::string& text,
                   int endExtension = 0);

// --- The open movie's streams (UI thread)

// Lists the open movie's subtitle streams for the menu; called when a file
// has been opened.
void ListSubtitleTracksForMovie(TextSession& session);
// The open movie's streams, as listed.
const std::vector<engine::TextTrackInfo>& SubtitleTracks(const TextSession& session);

// The source chosen for the open movie: kSubtitleFileSource for the subtitle
// file beside it, a stream number, or kNoSubtitleSource.
constexpr int kSubtitleFileSource = -1;
constexpr int kNoSubtitleSource = -2;
int ChosenSubtitleSource(const TextSession& session);

// Decides what shows the open movie's subtitles after FindSubtitlesForMovie
// has looked for a file beside it: the choice made earlier in this run for the
// movie, else that file, else the default stream.
void ChooseSubtitleSourceForMovie(TextSession& session, bool fileFound);

// The user picks a source from the menu: the subtitle file or a stream. The
// choice is remembered for the movie until the program ends. A picture stream
// of another kind than VobSub or PGS is listed and can be chosen, but is not
// drawn: choosing it clears the text shown and says so on the OSD.
void SubtitleSourceClick(TextSession& session, int source);

// A subtitle file the user loaded shows instead of any stream.
void SubtitleFileChosen(TextSession& session);

// Stops reading a stream (subtitles off, another medium, another source).
void StopSubtitleTrack(TextSession& session);

// Moves what the reader has read into the timetable and shows what is due;
// runs on the UI thread whenever the reader has something.
void TakeSubtitleTrackCues(TextSession& session);

// Whether the chosen source is a picture stream that is drawn (VobSub, PGS):
// turning subtitles off leaves it read, for the units it forces.
bool DrawnPictureTrackChosen(const TextSession& session);

// Whether a stream is being read into the timetable now.
bool SubtitleTrackReading(const TextSession& session);
// Whether the stream being read has been read to its end (or given up on)
// and all it gave is in the timetable.
bool SubtitleTrackReadToEnd(const TextSession& session);

// Inside the picture, an SSA/ASS stream's cue is drawn with its own styles
// (and the fonts its file carries): the image to lay over a picture of
// `frame` size (the frame's own size) for the text shown, as libass draws it;
// null when the text is no styled cue of the chosen stream. Timing correction
// applies as for every cue, since the timetable decides what is shown. Frames
// wider than 1280 get an image of that width, to be stretched like the
// picture. The cues are drawn on a thread of their own, the next ones ahead of
// their time; a cue not drawn yet gives a transparent image, and is shown again
// (ShowSubtitle) once it is drawn.
QImage StyledSubtitleImage(TextSession& session, const std::string& shownText, const QSize& frame);
// The thread that drew the last styled cue or picture unit; never the UI thread.
std::thread::id StyledCueDrawingThread(TextSession& session);

// A picture stream's units (VobSub units, PGS display sets) go into the
// timetable as marks standing for their pictures, so that the timing
// correction moves them as it moves text; damaged units are left out (the OSD
// says so once). Whether the text shown is such a mark: it is drawn as a
// picture, never as text.
bool IsPictureSubtitle(const std::string& shownText);
// Whether the mark stands for a unit shown even with subtitles off (the unit
// or its stream is flagged forced).
bool IsForcedPictureSubtitle(const TextSession& session, const std::string& shownText);
// The image to lay over a picture shown at `picture` size for the mark shown:
// the unit drawn on the stream's frame (a VobSub index text's size, else the
// movie's; the size a PGS set names), stretched like the picture; null when
// the text is no unit of the chosen stream. Units are drawn on the cue
// drawing thread: one not drawn yet gives a null image, and is shown again
// (ShowSubtitle) once it is drawn.
QImage PictureSubtitleImage(TextSession& session, const std::string& shownText,
                            const QSize& picture);

// Draws a unit's bytes (a PGS display set when `pgs`, else a VobSub unit with
// `palette` on `frame`) stretched to `picture`; null when it cannot be drawn.
QImage DrawPictureSubtitle(const std::string& unit, bool pgs,
                           const std::array<std::uint32_t, 16>& palette, const QSize& frame,
                           const QSize& picture);

// Stops reading and drawing and waits for the drawing thread: called before
// the application goes, which the thread's last images would be posted to.
void EndSubtitleWork(TextSession& session);

// Stops reading and forgets every movie's streams and the choices made.
void ForgetSubtitleTracks(TextSession& session);

// The road a text session keeps its streams on; made by the session.
SubtitleTrackRoad* NewSubtitleTrackRoad(TextSession& session);

}  // namespace quova
