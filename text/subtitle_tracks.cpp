#include "text/subtitle_tracks.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>

#include "lexicon/lexicon.h"
#include "platform/engine/styled_cue_renderer.h"
#include "text/osd.h"
#include "text/subtitle_commands.h"
#include "text/subtitle_display.h"
#include "text/subtitle_port.h"

namespace quova {

using engine::TextTrackInfo;
using engine::TextTrackKind;

// --- Deciding

bool TrackGoesToTimetable(const TextTrackInfo& track) {
    return track.kind != TextTrackKind::Picture;
}

std::string SubtitleTrackCaption(const TextTrackInfo& track) {
    if (!track.title.empty() && !track.language.empty())
        return track.title + " [" + track.language + "]";
    if (!track.title.empty()) return track.title;
    if (!track.language.empty()) return track.language;
    return FormatLex(2700, std::to_string(track.number + 1));
}

int DefaultSubtitleTrack(const std::vector<TextTrackInfo>& tracks, std::string_view userLanguage) {
    std::vector<const TextTrackInfo*> candidates;
    for (const auto& t : tracks)
        if (TrackGoesToTimetable(t)) candidates.push_back(&t);
    if (candidates.empty()) return -1;
    // A flag set on every stream (muxers often do so) tells nothing.
    std::vector<const TextTrackInfo*> marked;
    for (const auto* t : candidates)
        if (t->isDefault) marked.push_back(t);
    if (!marked.empty() && marked.size() < candidates.size()) candidates = marked;
    if (!userLanguage.empty())
        for (const auto* t : candidates)
            if (t->language == userLanguage) return t->number;
    return candidates.front()->number;
}

std::string UserSubtitleLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (!value || !*value) continue;
        std::string language(value);
        language = language.substr(0, language.find_first_of("_.@"));
        for (char& c : language)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (language == "c" || language == "posix") return {};
        return language;
    }
    return {};
}

namespace {

// Drops "<...>" tags and reads the five XML entities of Pango markup.
std::string StripMarkup(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '<') {
            const auto close = raw.find('>', i);
            if (close != std::string_view::npos) {
                i = close;
                continue;
            }
        }
        if (c == '&') {
            static const std::pair<std::string_view, char> kEntities[] = {
                {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
            bool matched = false;
            for (const auto& [entity, ch] : kEntities)
                if (raw.substr(i, entity.size()) == entity) {
                    out += ch;
                    i += entity.size() - 1;
                    matched = true;
                    break;
                }
            if (matched) continue;
        }
        out += c;
    }
    return out;
}

// The text field of an SSA/ASS event: Matroska keeps "ReadOrder, Layer,
// Style, Name, MarginL, MarginR, MarginV, Effect, Text"; a whole
// "Dialogue:" line has the start and end times in place of ReadOrder.
std::string_view SsaEventText(std::string_view raw) {
    int fields = 8;
    if (raw.starts_with("Dialogue:")) fields = 9;
    size_t at = 0;
    for (int k = 0; k < fields; ++k) {
        const auto comma = raw.find(',', at);
        if (comma == std::string_view::npos) return raw;
        at = comma + 1;
    }
    return raw.substr(at);
}

std::string SsaPlainText(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '{') {
            const auto close = text.find('}', i);
            if (close != std::string_view::npos) {
                i = close;
                continue;
            }
        }
        if (c == '\\' && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (next == 'N' || next == 'n') {
                out += '|';
                ++i;
                continue;
            }
            if (next == 'h') {
                out += ' ';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::string LinesAsBars(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += '|';
        } else if (c == '\n') {
            out += '|';
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string CueTextForTable(TextTrackKind kind, std::string_view raw) {
    if (kind == TextTrackKind::Styled) return LinesAsBars(SsaPlainText(SsaEventText(raw)));
    return LinesAsBars(StripMarkup(raw));
}

void AddCueToTable(SubtitleTimetable& table, double start, double end, const std::string& text,
                   int endExtension) {
    const int64_t startSlot = SecondsToSlot(start);
    if (!SlotInTable(table, startSlot)) return;
    const auto slots = static_cast<int64_t>(table.SubtitleSlots.size());
    const auto isText = [&table](int64_t slot) {
        const int32_t entry = table.SubtitleSlots[slot];
        return entry >= 0 && static_cast<size_t>(entry) < table.SubtitleTexts.size() &&
               !table.SubtitleTexts[entry].empty();
    };
    if (text.empty()) {
        // An empty cue only clears, like an end mark.
        if (table.SubtitleSlots[startSlot] < 0) MakeSubtitleEntry(table, startSlot, {});
        return;
    }
    int64_t endSlot = -1;
    if (end >= 0.0) endSlot = std::max(SecondsToSlot(end) + endExtension, startSlot + 1);
    // Up to the next cue that starts later, blank entries are the end marks
    // of cues that started before this one: read in file order, their end
    // would not have gone in, as this start comes first. Beyond this cue's
    // own end mark they clear what is clear already, and are left alone.
    const int64_t scanEnd = endSlot >= 0 ? std::min(endSlot + 1, slots) : slots;
    int64_t next = startSlot + 1;
    for (; next < scanEnd && !isText(next); ++next)
        if (table.SubtitleSlots[next] >= 0) table.SubtitleSlots[next] = -1;
    MakeSubtitleEntry(table, startSlot, text);
    // A cue followed by another before its end stays until that one replaces it.
    if (endSlot >= 0 && endSlot < next && SlotInTable(table, endSlot) &&
        table.SubtitleSlots[endSlot] < 0)
        MakeSubtitleEntry(table, endSlot, {});
}

// --- The open movie's streams

namespace {

constexpr int kMaxStyledWidth = 1280;

struct TrackRoad {
    std::string listedMovie;
    std::vector<TextTrackInfo> tracks;
    int chosen = kNoSubtitleSource;
    bool fileFound = false;
    // The choice the user made per movie in this run.
    std::map<std::string, int> remembered;
    std::unique_ptr<engine::TextTrackReader> reader;
    // Calls from a reader that has been replaced find another generation.
    int generation = 0;
    bool reportedEnd = false;
    // The chosen SSA/ASS stream's script header, and its events by the text
    // they show (with and without sound notes).
    std::string styledHeader;
    std::map<std::string, std::string> styledEvents;
    // The image drawn last, kept for redraws of the same text.
    std::string imageText;
    QSize imageFrame;
    QImage image;
};

TrackRoad& Road() {
    static TrackRoad road;
    return road;
}

const TextTrackInfo* TrackNumbered(int number) {
    for (const auto& t : Road().tracks)
        if (t.number == number) return &t;
    return nullptr;
}

void PublishSources() {
    TrackRoad& road = Road();
    std::vector<SubtitleSourceItem> items;
    bool anyTrack = false;
    for (const auto& t : road.tracks) anyTrack = anyTrack || TrackGoesToTimetable(t);
    if (anyTrack) {
        if (road.fileFound)
            items.push_back({Subtitles().SubtitleFileName.filename().string(), kSubtitleFileSource,
                             road.chosen == kSubtitleFileSource});
        for (const auto& t : road.tracks)
            if (TrackGoesToTimetable(t))
                items.push_back({SubtitleTrackCaption(t), t.number, road.chosen == t.number});
    }
    TextPort().ShowSubtitleSources(items);
}

void StartTrack(const TextTrackInfo& track) {
    TrackRoad& road = Road();
    SubtitlePort& port = TextPort();
    StopSubtitleTrack();
    SubtitleTimetable& table = Subtitles();
    const std::filesystem::path offered = table.SubtitleFileName;
    ResetSubtitles(table, port.Duration());
    // The load dialog still offers the name beside the movie.
    table.SubtitleFileName = offered;
    table.SubtitleOffset = 0;
    table.SubtitleSpeed = 1.0;
    port.EnableSubtitleAdjust(false);
    road.chosen = track.number;
    road.reportedEnd = false;
    road.styledEvents.clear();
    road.image = QImage();
    road.imageText.clear();
    road.styledHeader = track.kind == TextTrackKind::Styled ? engine::StyledScriptHeader(track.caps)
                                                            : std::string();
    double position = 0;
    if (!port.Position(position) || !(position >= 0)) position = 0;
    // The cue due now may have begun a while before the position.
    const double from = position > 30 ? position - 30 : 0;
    const int generation = ++road.generation;
    road.reader = std::make_unique<engine::TextTrackReader>(
        port.MovieName(), track.number, from, [generation] {
            if (QCoreApplication* app = QCoreApplication::instance())
                QMetaObject::invokeMethod(
                    app,
                    [generation] {
                        if (Road().generation == generation) TakeSubtitleTrackCues();
                    },
                    Qt::QueuedConnection);
        });
    ShowOsdMessage(FormatLex(2710, SubtitleTrackCaption(track)));
}

}  // namespace

QImage StyledSubtitleImage(const std::string& shownText, const QSize& frame) {
    TrackRoad& road = Road();
    if (shownText.empty() || road.styledHeader.empty()) return {};
    const auto event = road.styledEvents.find(shownText);
    if (event == road.styledEvents.end()) return {};
    if (road.imageText != shownText || road.imageFrame != frame || road.image.isNull()) {
        // Drawing happens on the UI thread and grows with the pixels: large
        // frames get the cue drawn at 1280 wide and stretched with the picture.
        QSize size = frame;
        if (size.width() > kMaxStyledWidth)
            size =
                QSize(kMaxStyledWidth, std::max(1, size.height() * kMaxStyledWidth / size.width()));
        road.image = engine::RenderStyledCue(road.styledHeader, event->second, size);
        road.imageText = shownText;
        road.imageFrame = frame;
    }
    return road.image;
}

void ListSubtitleTracksForMovie() {
    TrackRoad& road = Road();
    const std::string movie = TextPort().MovieName();
    if (movie == road.listedMovie) return;
    StopSubtitleTrack();
    road.listedMovie = movie;
    road.chosen = kNoSubtitleSource;
    road.fileFound = false;
    road.tracks = engine::ListTextTracks(movie);
    PublishSources();
}

const std::vector<TextTrackInfo>& SubtitleTracks() {
    return Road().tracks;
}

int ChosenSubtitleSource() {
    return Road().chosen;
}

void ChooseSubtitleSourceForMovie(bool fileFound) {
    TrackRoad& road = Road();
    ListSubtitleTracksForMovie();
    StopSubtitleTrack();
    road.fileFound = fileFound;
    int choice = fileFound ? kSubtitleFileSource : kNoSubtitleSource;
    if (const auto it = road.remembered.find(road.listedMovie); it != road.remembered.end()) {
        if (it->second != kSubtitleFileSource || fileFound) choice = it->second;
    } else if (!fileFound) {
        const int track = DefaultSubtitleTrack(road.tracks, UserSubtitleLanguage());
        if (track >= 0) choice = track;
    }
    road.chosen = choice;
    if (choice >= 0)
        if (const TextTrackInfo* track = TrackNumbered(choice)) StartTrack(*track);
    PublishSources();
}

void SubtitleSourceClick(int source) {
    TrackRoad& road = Road();
    SubtitlePort& port = TextPort();
    if (!port.MediaFileOpen()) return;
    const TextTrackInfo* track = source >= 0 ? TrackNumbered(source) : nullptr;
    if (source >= 0 && (!track || !TrackGoesToTimetable(*track))) return;
    if (source == kSubtitleFileSource && !road.fileFound) return;
    road.remembered[road.listedMovie] = source;
    ShowSubtitle({});
    if (track) {
        StartTrack(*track);
        ReadChaptersForMovie();
    } else {
        StopSubtitleTrack();
        LoadSubtitlesForMovie();
        ReadChaptersForMovie();
        ShowSubtitleDueNow();
    }
    PublishSources();
    port.LayoutVideo();
    if (port.Option(SubtitleOption::OsdOn)) port.PaintOsd();
}

void SubtitleFileChosen() {
    TrackRoad& road = Road();
    StopSubtitleTrack();
    road.fileFound = true;
    road.chosen = kSubtitleFileSource;
    PublishSources();
}

void StopSubtitleTrack() {
    TrackRoad& road = Road();
    ++road.generation;
    road.reader.reset();
}

bool SubtitleTrackReading() {
    return Road().reader != nullptr;
}

bool SubtitleTrackReadToEnd() {
    return Road().reader && Road().reader->Finished();
}

void ForgetSubtitleTracks() {
    StopSubtitleTrack();
    const int generation = Road().generation;
    Road() = TrackRoad{};
    Road().generation = generation;
}

void TakeSubtitleTrackCues() {
    TrackRoad& road = Road();
    if (!road.reader) return;
    const TextTrackInfo* track = TrackNumbered(road.chosen);
    const TextTrackKind kind = track ? track->kind : TextTrackKind::PlainText;
    const bool hadAny = SubtitlesLoaded();
    SubtitleTimetable& table = Subtitles();
    for (const auto& cue : road.reader->TakeCues()) {
        const std::string text = CueTextForTable(kind, cue.text);
        AddCueToTable(table, cue.start, cue.end, text,
                      kind == TextTrackKind::Styled ? 0 : kCueEndExtension);
        if (kind == TextTrackKind::Styled && !road.styledHeader.empty() && !text.empty()) {
            road.styledEvents[CleanSubtitleText(text, false)] = cue.text;
            road.styledEvents[CleanSubtitleText(text, true)] = cue.text;
        }
    }
    SubtitlePort& port = TextPort();
    if (!hadAny && SubtitlesLoaded()) port.EnableSubtitleAdjust(true);
    if (road.reader->Finished() && !road.reportedEnd) {
        road.reportedEnd = true;
        const std::string error = road.reader->Error();
        // The picture plays on whatever became of the stream; the user learns
        // why its subtitles stop or never come.
        if (!error.empty()) {
            ShowOsdMessage(FormatLex(2720, error));
            if (port.Option(SubtitleOption::OsdOn)) port.PaintOsd();
        }
    }
    if (SubtitlesLoaded() && port.Option(SubtitleOption::SubtitlesOn)) ShowSubtitleDueNow();
}

}  // namespace quova
