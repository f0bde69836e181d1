#include "text/subtitle_tracks.h"

#include <pthread.h>

#include <QMetaObject>
#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <utility>

#include "lexicon/lexicon.h"
#include "platform/engine/queued_handover.h"
#include "platform/engine/styled_cue_renderer.h"
#include "text/dvd_subpicture.h"
#include "text/osd.h"
#include "text/pgs_subpicture.h"
#include "text/subtitle_commands.h"
#include "text/subtitle_display.h"
#include "text/subtitle_port.h"
#include "text/text_session.h"

namespace quova {

using engine::TextTrackInfo;
using engine::TextTrackKind;

// --- Deciding

namespace {

bool IsVobSubTrack(const TextTrackInfo& track) {
    return track.kind == TextTrackKind::Picture && track.caps.starts_with("subpicture/x-dvd");
}

bool IsPgsTrack(const TextTrackInfo& track) {
    return track.kind == TextTrackKind::Picture && track.caps.starts_with("subpicture/x-pgs");
}

}  // namespace

bool TrackGoesToTimetable(const TextTrackInfo& track) {
    return track.kind != TextTrackKind::Picture || IsVobSubTrack(track) || IsPgsTrack(track);
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
    // Pictures hide what lies under them and are not what a viewer who can
    // read the text expects; a film carrying nothing else shows them.
    for (const auto& t : tracks)
        if (TrackGoesToTimetable(t) && t.kind != TextTrackKind::Picture) candidates.push_back(&t);
    if (candidates.empty())
        for (const auto& t : tracks)
            if (TrackGoesToTimetable(t)) candidates.push_back(&t);
    if (candidates.empty()) return -1;
    // A flag set on every stream (muxers often set the default flag on all)
    // tells nothing; the forced flag is weighed first, as muxers that flag
    // every stream default still flag the forced one apart.
    for (const bool TextTrackInfo::*flag : {&TextTrackInfo::isForced, &TextTrackInfo::isDefault}) {
        std::vector<const TextTrackInfo*> marked;
        for (const auto* t : candidates)
            if (t->*flag) marked.push_back(t);
        if (!marked.empty() && marked.size() < candidates.size()) candidates = marked;
    }
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
    // A cue that never says when it ends lasts until the next one begins, as
    // one that says it lasts longer does in effect, since only one entry shows
    // at a time; either ends at the longest a cue may last, so that no cue
    // makes its insertion look through the whole table.
    const int64_t longest = startSlot + kLongestCueSlots;
    int64_t endSlot = longest;
    if (end >= 0.0)
        endSlot = std::min(std::max(SecondsToSlot(end) + endExtension, startSlot + 1), longest);
    // Up to the next cue that starts later, blank entries are the end marks
    // of cues that started before this one: read in file order, their end
    // would not have gone in, as this start comes first. Beyond this cue's
    // own end mark they clear what is clear already, and are left alone.
    const int64_t scanEnd = std::min(endSlot + 1, slots);
    int64_t next = startSlot + 1;
    for (; next < scanEnd && !isText(next); ++next)
        if (table.SubtitleSlots[next] >= 0) table.SubtitleSlots[next] = -1;
    MakeSubtitleEntry(table, startSlot, text);
    // A cue followed by another before its end stays until that one replaces it.
    if (endSlot < next && SlotInTable(table, endSlot) && table.SubtitleSlots[endSlot] < 0)
        MakeSubtitleEntry(table, endSlot, {});
}

// --- The open movie's streams

namespace {

constexpr int kMaxStyledWidth = 1280;
// Cues drawn ahead of the one shown.
constexpr int kStyledCuesAhead = 2;

// Draws cues on a thread of its own: libass takes tens of milliseconds for
// a large frame, and a picture unit may cover a frame of 4096 x 4096, which
// the window must never wait for. The next styled cues are drawn ahead of
// their time; the one shown is redrawn once its image is there.
constexpr const char* kCueThreadName = "quova-cues";

// Runs on the UI thread, through the session's context; a road replaced in
// the meantime finds nothing new.
void AnnounceDrawn(TextSession& session);

class CueDrawer {
  public:
    // One image to draw: `key` names what it shows (a styled event's text or
    // a picture unit's mark) for the track road's `generation`.
    struct Job {
        int generation = 0;
        std::string key;
        QSize size;
        std::function<QImage()> draw;
    };

    // What is drawn is announced to `session`, through its context.
    explicit CueDrawer(TextSession& session) : session_(session) {}
    CueDrawer(const CueDrawer&) = delete;
    CueDrawer& operator=(const CueDrawer&) = delete;
    ~CueDrawer() { Stop(); }

    // Ends the drawing thread once the image it draws is done; the next image
    // asked for starts it again.
    void Stop() {
        {
            std::lock_guard guard(lock_);
            stop_ = true;
            queue_.clear();
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
        std::lock_guard guard(lock_);
        stop_ = false;
    }

    // The image of `job` if drawn (null when it could not be); else queues it
    // (first when `now`) and gives nothing.
    std::optional<QImage> Image(const Job& job, bool now) {
        std::lock_guard guard(lock_);
        const auto same = [&job](const auto& other) {
            return other.generation == job.generation && other.key == job.key &&
                   other.size == job.size;
        };
        for (const auto& done : done_)
            if (same(done)) return done.image;
        for (auto it = queue_.begin(); it != queue_.end(); ++it)
            if (same(*it)) {
                if (now && it != queue_.begin()) {
                    Job moved = std::move(*it);
                    queue_.erase(it);
                    queue_.push_front(std::move(moved));
                }
                return std::nullopt;
            }
        if (busy_ && same(busyJob_)) return std::nullopt;
        if (now)
            queue_.push_front(job);
        else
            queue_.push_back(job);
        if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
        wake_.notify_all();
        return std::nullopt;
    }

    // Jobs of earlier generations are not drawn.
    void Drop(int generation) {
        std::lock_guard guard(lock_);
        std::erase_if(queue_, [generation](const Job& j) { return j.generation < generation; });
        std::erase_if(done_, [generation](const Done& d) { return d.generation < generation; });
    }

    // What has been drawn since the last call: generations and keys.
    std::vector<std::pair<int, std::string>> TakeDrawn() {
        std::lock_guard guard(lock_);
        return std::exchange(drawn_, {});
    }

    std::thread::id DrawingThread() {
        std::lock_guard guard(lock_);
        return drawnOn_;
    }

  private:
    struct Done {
        int generation;
        std::string key;
        QSize size;
        QImage image;
    };

    void Run() {
        pthread_setname_np(pthread_self(), kCueThreadName);
        std::unique_lock guard(lock_);
        for (;;) {
            wake_.wait(guard, [this] { return stop_ || !queue_.empty(); });
            if (stop_) return;
            busyJob_ = std::move(queue_.front());
            queue_.pop_front();
            busy_ = true;
            guard.unlock();
            QImage image;
            // A picture too large for the memory there is shows nothing.
            try {
                image = busyJob_.draw();
            } catch (const std::bad_alloc&) {
                image = QImage();
            }
            guard.lock();
            busy_ = false;
            drawnOn_ = std::this_thread::get_id();
            done_.push_back({busyJob_.generation, busyJob_.key, busyJob_.size, std::move(image)});
            while (done_.size() > kImagesKept) done_.pop_front();
            drawn_.emplace_back(busyJob_.generation, busyJob_.key);
            const bool announce = drawn_.size() == 1;
            guard.unlock();
            // The call carries nothing: what was drawn is handed over under
            // this drawer's lock.
            // The thread is joined before the session's context goes, so the
            // receiver is alive here; what is still queued goes with it.
            if (announce)
                QMetaObject::invokeMethod(
                    &session_.context, [session = &session_] { AnnounceDrawn(*session); },
                    Qt::QueuedConnection);
            guard.lock();
        }
    }

    // Images kept, at most a few megabytes each.
    static constexpr size_t kImagesKept = 4;

    TextSession& session_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<Job> queue_;
    std::deque<Done> done_;
    std::vector<std::pair<int, std::string>> drawn_;
    Job busyJob_;
    bool busy_ = false;
    bool stop_ = false;
    std::thread::id drawnOn_;
    std::thread thread_;
};

}  // namespace

struct SubtitleTrackRoad {
    explicit SubtitleTrackRoad(TextSession& session) : drawer(session) {}
    // The reader's calls post to the session's context too: it stops first.
    ~SubtitleTrackRoad() {
        reader.reset();
        drawer.Stop();
    }

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
    // The chosen SSA/ASS stream's script header and fonts, its events by the
    // text they show (with and without sound notes) and by their start.
    std::string styledHeader;
    std::shared_ptr<const std::vector<engine::FontAttachment>> styledFonts;
    std::map<std::string, std::string> styledEvents;
    std::multimap<double, std::string> styledStarts;
    // The size the window draws styled cues at, once it has asked for one.
    QSize styledSize;
    // The chosen picture stream's kind (VobSub or PGS); for VobSub its
    // colours and the frame its units lie on (a PGS set names its own); its
    // units by the marks standing for them in the timetable, and the last one
    // drawn. Units are kept as bytes: a film's worth of drawn pictures would
    // take hundreds of megabytes, and drawing one again takes no time.
    struct PictureUnit {
        std::string bytes;
        bool forced = false;
    };
    bool pgs = false;
    std::array<std::uint32_t, 16> palette{};
    QSize pictureFrame;
    bool pictureTrackForced = false;
    std::map<std::string, PictureUnit> pictureUnits;
    // Cues and units read but not in the timetable yet: a batch at a time,
    // so that the window never waits for a whole film's worth.
    std::deque<engine::TextCue> pendingCues;
    bool nextTurnQueued = false;
    int unitsRead = 0;
    bool reportedDamage = false;
    CueDrawer drawer;
};

void SubtitleTrackRoadDeleter::operator()(SubtitleTrackRoad* road) const {
    delete road;
}

SubtitleTrackRoad* NewSubtitleTrackRoad(TextSession& session) {
    return new SubtitleTrackRoad(session);
}

namespace {

SubtitleTrackRoad& Road(TextSession& session) {
    return *session.trackRoad;
}

const SubtitleTrackRoad& Road(const TextSession& session) {
    return *session.trackRoad;
}

const TextTrackInfo* TrackNumbered(const SubtitleTrackRoad& road, int number) {
    for (const auto& t : road.tracks)
        if (t.number == number) return &t;
    return nullptr;
}

void PublishSources(TextSession& session) {
    const SubtitleTrackRoad& road = Road(session);
    std::vector<SubtitleSourceItem> items;
    // Picture streams are offered too, so a user who knows the film has them
    // learns why they do not show instead of missing them silently.
    if (!road.tracks.empty()) {
        if (road.fileFound)
            items.push_back({session.subtitles.SubtitleFileName.filename().string(),
                             kSubtitleFileSource, road.chosen == kSubtitleFileSource});
        for (const auto& t : road.tracks)
            items.push_back({SubtitleTrackCaption(t), t.number, road.chosen == t.number});
    }
    session.textPort.Get().ShowSubtitleSources(items);
}

// The size styled cues are drawn at for a picture of `frame` size: large
// frames get the cue drawn at 1280 wide, stretched with the picture.
QSize StyledSize(const QSize& frame) {
    if (frame.width() <= kMaxStyledWidth) return frame;
    return QSize(kMaxStyledWidth, std::max(1, frame.height() * kMaxStyledWidth / frame.width()));
}

void ForgetPictureUnits(SubtitleTrackRoad& road) {
    road.pictureUnits.clear();
    road.pendingCues.clear();
    road.reportedDamage = false;
}

// The source shown before goes, with its reader, cues and styled drawings;
// the track numbered `number` is the chosen one from now on.
void LeaveSourceFor(TextSession& session, int number) {
    SubtitleTrackRoad& road = Road(session);
    StopSubtitleTrack(session);
    SubtitleTimetable& table = session.subtitles;
    const std::filesystem::path offered = table.SubtitleFileName;
    ResetSubtitles(table, session.medium.Get().Duration());
    // The load dialog still offers the name beside the movie.
    table.SubtitleFileName = offered;
    session.textPort.Get().EnableSubtitleAdjust(false);
    road.chosen = number;
    road.styledEvents.clear();
    road.styledStarts.clear();
    ForgetPictureUnits(road);
}

// Where a VobSub stream's index text gives no palette: black, white and two
// greys over and over, as units paint their fill, outline and edges with
// indexes of their own choosing.
constexpr std::array<std::uint32_t, 16> kDefaultPicturePalette = {
    0x000000, 0xFFFFFF, 0x808080, 0xC0C0C0, 0x000000, 0xFFFFFF, 0x808080, 0xC0C0C0,
    0x000000, 0xFFFFFF, 0x808080, 0xC0C0C0, 0x000000, 0xFFFFFF, 0x808080, 0xC0C0C0};

// What goes into the timetable in one turn of the window's event loop:
// picture units, which are checked code by code, by count and by their bytes;
// text cues by count.
constexpr int kUnitsPerTurn = 16;
constexpr size_t kUnitBytesPerTurn = 1 << 20;
constexpr int kTextCuesPerTurn = 256;

// The marks units stand under in the timetable: no subtitle text starts with
// a DEL, and trimming keeps it.
constexpr std::string_view kPictureMark = "\x7Fpicture ";

void StartTrack(TextSession& session, const TextTrackInfo& track) {
    SubtitleTrackRoad& road = Road(session);
    const OpenMediumView& medium = session.medium.Get();
    LeaveSourceFor(session, track.number);
    SubtitleTimetable& table = session.subtitles;
    table.SubtitleOffset = 0;
    table.SubtitleSpeed = 1.0;
    road.reportedEnd = false;
    road.styledHeader = track.kind == TextTrackKind::Styled ? engine::StyledScriptHeader(track.caps)
                                                            : std::string();
    road.styledFonts = track.fonts;
    if (IsVobSubTrack(track)) {
        const std::string index = engine::TrackCodecData(track.caps);
        road.palette = VobSubPalette(index).value_or(kDefaultPicturePalette);
        const auto [movieWidth, movieHeight] = medium.VideoSize();
        const auto frame = VobSubFrameSize(index);
        road.pictureFrame = frame                               ? QSize(frame->first, frame->second)
                            : movieWidth > 0 && movieHeight > 0 ? QSize(movieWidth, movieHeight)
                                                                : QSize(720, 576);
    }
    road.pgs = IsPgsTrack(track);
    road.pictureTrackForced = track.isForced;
    // The cues can be drawn ahead from the first on, for the picture's size.
    const auto [width, height] = medium.VideoSize();
    road.styledSize = StyledSize(QSize(width, height));
    double position = 0;
    if (!medium.Position(position) || !(position >= 0)) position = 0;
    // The cue due now may have begun a while before the position.
    const double from = position > 30 ? position - 30 : 0;
    ++road.generation;
    road.reader = std::make_unique<engine::TextTrackReader>(
        medium.MovieName(), track.number, from, [&session] {
            // The call carries nothing: the cues wait in the reader under its
            // lock, and a reader replaced meanwhile leaves nothing to take.
            QMetaObject::invokeMethod(
                &session.context, [&session] { TakeSubtitleTrackCues(session); },
                Qt::QueuedConnection);
        });
    ShowOsdMessage(session, FormatLex(2710, SubtitleTrackCaption(track)));
}

// A picture stream of a kind not drawn (neither VobSub nor PGS) is chosen:
// the subtitles of the
// source chosen before go away, so no other source's text passes for it, and
// the user is told why nothing shows.
void StopPictureTrack(TextSession& session, const TextTrackInfo& track) {
    SubtitlePort& port = session.textPort.Get();
    LeaveSourceFor(session, track.number);
    Road(session).styledHeader.clear();
    ShowOsdMessage(session, FormatLex(2770, SubtitleTrackCaption(track)));
    if (port.Option(SubtitleOption::OsdOn)) port.PaintOsd();
}

}  // namespace

namespace {

CueDrawer::Job StyledJob(const SubtitleTrackRoad& road, const std::string& event) {
    return {road.generation, event, road.styledSize,
            [event, header = road.styledHeader, fonts = road.styledFonts, size = road.styledSize] {
                static const std::vector<engine::FontAttachment> kNoFonts;
                return engine::RenderStyledCue(header, event, size, fonts ? *fonts : kNoFonts);
            }};
}

// Queues the cue in effect at `at` (seconds) and the next ones to be drawn
// before the window asks for them.
void DrawStyledCuesAhead(SubtitleTrackRoad& road, double at) {
    if (road.styledSize.isEmpty() || road.styledStarts.empty()) return;
    auto it = road.styledStarts.upper_bound(at);
    if (it != road.styledStarts.begin()) --it;
    for (int count = 0; it != road.styledStarts.end() && count <= kStyledCuesAhead; ++it, ++count)
        road.drawer.Image(StyledJob(road, it->second), false);
}

// UI thread: the session's cue drawn last is shown again if it is among the
// drawer's new images.
void AnnounceDrawn(TextSession& session) {
    SubtitleTrackRoad& road = Road(session);
    const std::vector<std::pair<int, std::string>> drawn = road.drawer.TakeDrawn();
    for (const auto& [generation, key] : drawn) {
        if (road.generation != generation) continue;
        // A picture unit shows whenever it is the one due (a forced one with
        // subtitles off too); a styled cue only with subtitles on.
        bool shown = key == session.currentSubtitleText && IsPictureSubtitle(key);
        if (!shown && session.textPort.Get().Option(SubtitleOption::SubtitlesOn)) {
            const auto event = road.styledEvents.find(session.currentSubtitleText);
            shown = event != road.styledEvents.end() && event->second == key;
        }
        if (shown) {
            ShowSubtitle(session, session.currentSubtitleText);
            return;
        }
    }
}

}  // namespace

QImage StyledSubtitleImage(TextSession& session, const std::string& shownText, const QSize& frame) {
    SubtitleTrackRoad& road = Road(session);
    if (shownText.empty() || road.styledHeader.empty() || frame.isEmpty()) return {};
    const auto event = road.styledEvents.find(shownText);
    if (event == road.styledEvents.end()) return {};
    road.styledSize = StyledSize(frame);
    QImage image = road.drawer.Image(StyledJob(road, event->second), true).value_or(QImage());
    for (const auto& [start, raw] : road.styledStarts)
        if (raw == event->second) {
            DrawStyledCuesAhead(road, start);
            break;
        }
    if (image.isNull()) {
        // Nothing shows until the drawer has the cue; it redraws it then.
        image = QImage(1, 1, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
    }
    return image;
}

std::thread::id StyledCueDrawingThread(TextSession& session) {
    return Road(session).drawer.DrawingThread();
}

void ListSubtitleTracksForMovie(TextSession& session) {
    SubtitleTrackRoad& road = Road(session);
    const std::string movie = session.medium.Get().MovieName();
    if (movie == road.listedMovie) return;
    StopSubtitleTrack(session);
    ForgetPictureUnits(road);
    road.listedMovie = movie;
    road.chosen = kNoSubtitleSource;
    road.fileFound = false;
    road.tracks = engine::ListTextTracks(movie);
    PublishSources(session);
}

const std::vector<TextTrackInfo>& SubtitleTracks(const TextSession& session) {
    return Road(session).tracks;
}

int ChosenSubtitleSource(const TextSession& session) {
    return Road(session).chosen;
}

void ChooseSubtitleSourceForMovie(TextSession& session, bool fileFound) {
    SubtitleTrackRoad& road = Road(session);
    ListSubtitleTracksForMovie(session);
    StopSubtitleTrack(session);
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
        if (const TextTrackInfo* track = TrackNumbered(road, choice)) {
            if (TrackGoesToTimetable(*track))
                StartTrack(session, *track);
            else
                StopPictureTrack(session, *track);
        }
    PublishSources(session);
}

void SubtitleSourceClick(TextSession& session, int source) {
    SubtitleTrackRoad& road = Road(session);
    SubtitlePort& port = session.textPort.Get();
    const OpenMediumView& medium = session.medium.Get();
    if (!medium.MediaFileOpen()) return;
    const TextTrackInfo* track = source >= 0 ? TrackNumbered(road, source) : nullptr;
    if (source >= 0 && !track) return;
    if (source == kSubtitleFileSource && !road.fileFound) return;
    road.remembered[road.listedMovie] = source;
    ShowSubtitle(session, {});
    if (track && !TrackGoesToTimetable(*track)) {
        StopPictureTrack(session, *track);
    } else if (track) {
        StartTrack(session, *track);
        ReadChaptersForMovie(session);
    } else {
        StopSubtitleTrack(session);
        LoadSubtitlesForMovie(session);
        ReadChaptersForMovie(session);
        ShowSubtitleDueNow(session);
    }
    PublishSources(session);
    port.LayoutVideo();
    if (port.Option(SubtitleOption::OsdOn)) port.PaintOsd();
}

void SubtitleFileChosen(TextSession& session) {
    SubtitleTrackRoad& road = Road(session);
    StopSubtitleTrack(session);
    road.fileFound = true;
    road.chosen = kSubtitleFileSource;
    PublishSources(session);
}

void StopSubtitleTrack(TextSession& session) {
    SubtitleTrackRoad& road = Road(session);
    ++road.generation;
    road.reader.reset();
    road.drawer.Drop(road.generation);
}

bool DrawnPictureTrackChosen(const TextSession& session) {
    const SubtitleTrackRoad& road = Road(session);
    const TextTrackInfo* track = TrackNumbered(road, road.chosen);
    return track && track->kind == TextTrackKind::Picture && TrackGoesToTimetable(*track);
}

bool SubtitleTrackReading(const TextSession& session) {
    return Road(session).reader != nullptr;
}

bool SubtitleTrackReadToEnd(const TextSession& session) {
    const SubtitleTrackRoad& road = Road(session);
    // Finished first: the reader leaves no cue behind once it says so.
    return road.reader && road.reader->Finished() && !road.reader->CuesWaiting() &&
           road.pendingCues.empty();
}

void EndSubtitleWork(TextSession& session) {
    StopSubtitleTrack(session);
    Road(session).drawer.Stop();
}

void ForgetSubtitleTracks(TextSession& session) {
    StopSubtitleTrack(session);
    // A fresh road but the generation: what the drawer finishes for the old
    // one must not pass for the new one's.
    const int generation = Road(session).generation;
    session.trackRoad.reset(NewSubtitleTrackRoad(session));
    Road(session).generation = generation;
}

namespace {

// Puts a picture unit into the timetable under a mark of its own: a VobSub
// unit from its packet's time plus its start to its stop, a PGS display set
// from its time. One that never says when it stops ends where the stream's
// block does, or where the next one begins (a PGS set composing nothing only
// clears).
void AddPictureUnit(TextSession& session, SubtitleTimetable& table, const engine::TextCue& cue) {
    SubtitleTrackRoad& road = Road(session);
    // An empty block only keeps the stream's time.
    if (cue.text.empty()) return;
    std::string why;
    double start = cue.start, end = cue.end;
    bool forced = road.pictureTrackForced;
    bool damaged = false;
    // Checked here, drawn only when shown and off this thread.
    if (road.pgs) {
        const auto set = CheckPgsDisplaySet(cue.text, &why);
        damaged = !set;
        if (set && !set->composes) {
            AddCueToTable(table, cue.start, -1, {});
            return;
        }
        if (set) forced = forced || set->forced;
    } else {
        const auto picture = CheckDvdSubPicture(cue.text, &why);
        damaged = !picture;
        if (picture) {
            start = cue.start + picture->start;
            if (picture->stop >= 0) end = cue.start + picture->stop;
            forced = forced || picture->forced;
        }
    }
    if (damaged) {
        // Once per stream: a badly damaged one would bury the OSD.
        if (!road.reportedDamage) {
            road.reportedDamage = true;
            ShowOsdMessage(session, FormatLex(2780, why));
        }
        return;
    }
    std::string mark = std::string(kPictureMark) + std::to_string(road.unitsRead++);
    road.pictureUnits[mark] = {cue.text, forced};
    AddCueToTable(table, start, end, mark);
}

// Lays a unit's pixels on the frame; what lies beyond it is lost.
void DrawOnFrame(QImage& frame, int x, int y, int width, int height,
                 const std::vector<std::uint32_t>& argb) {
    const QRect area = QRect(x, y, width, height).intersected(frame.rect());
    for (int row = area.top(); row <= area.bottom(); ++row) {
        const std::uint32_t* from =
            argb.data() + static_cast<size_t>(row - y) * width + (area.left() - x);
        auto* to = reinterpret_cast<QRgb*>(frame.scanLine(row)) + area.left();
        std::copy_n(from, area.width(), to);
    }
}

}  // namespace

bool IsPictureSubtitle(const std::string& shownText) {
    return shownText.starts_with(kPictureMark);
}

bool IsForcedPictureSubtitle(const TextSession& session, const std::string& shownText) {
    const SubtitleTrackRoad& road = Road(session);
    const auto unit = road.pictureUnits.find(shownText);
    return unit != road.pictureUnits.end() && unit->second.forced;
}

QImage DrawPictureSubtitle(const std::string& unit, bool pgs,
                           const std::array<std::uint32_t, 16>& palette, const QSize& frameSize,
                           const QSize& picture) {
    if (picture.isEmpty()) return {};
    QImage frame;
    if (pgs) {
        const auto set = DecodePgsDisplaySet(unit);
        if (!set) return {};
        frame = QImage(set->width, set->height, QImage::Format_ARGB32);
        if (frame.isNull()) return {};
        frame.fill(Qt::transparent);
        for (const auto& piece : set->pictures)
            DrawOnFrame(frame, piece.x, piece.y, piece.width, piece.height, piece.argb);
    } else {
        const auto drawn = DecodeDvdSubPicture(unit, palette);
        if (!drawn || frameSize.isEmpty()) return {};
        frame = QImage(frameSize, QImage::Format_ARGB32);
        if (frame.isNull()) return {};
        frame.fill(Qt::transparent);
        DrawOnFrame(frame, drawn->x, drawn->y, drawn->width, drawn->height, drawn->argb);
    }
    return frame.scaled(picture, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage PictureSubtitleImage(TextSession& session, const std::string& shownText,
                            const QSize& picture) {
    SubtitleTrackRoad& road = Road(session);
    const auto unit = road.pictureUnits.find(shownText);
    if (unit == road.pictureUnits.end() || picture.isEmpty()) return {};
    CueDrawer::Job job{road.generation, shownText, picture,
                       [bytes = unit->second.bytes, pgs = road.pgs, palette = road.palette,
                        frame = road.pictureFrame, picture] {
                           return DrawPictureSubtitle(bytes, pgs, palette, frame, picture);
                       }};
    return road.drawer.Image(job, true).value_or(QImage());
}

void TakeSubtitleTrackCues(TextSession& session) {
    SubtitleTrackRoad& road = Road(session);
    if (!road.reader) return;
    const TextTrackInfo* track = TrackNumbered(road, road.chosen);
    const TextTrackKind kind = track ? track->kind : TextTrackKind::PlainText;
    const bool hadAny = SubtitlesLoaded(session);
    SubtitleTimetable& table = session.subtitles;
    for (auto& cue : road.reader->TakeCues()) road.pendingCues.push_back(std::move(cue));
    if (kind == TextTrackKind::Picture) {
        size_t bytes = 0;
        for (int count = 0;
             count < kUnitsPerTurn && bytes < kUnitBytesPerTurn && !road.pendingCues.empty();
             ++count) {
            bytes += road.pendingCues.front().text.size();
            AddPictureUnit(session, table, road.pendingCues.front());
            road.pendingCues.pop_front();
        }
    }
    for (int count = 0;
         kind != TextTrackKind::Picture && count < kTextCuesPerTurn && !road.pendingCues.empty();
         ++count) {
        const engine::TextCue cue = std::move(road.pendingCues.front());
        road.pendingCues.pop_front();
        const std::string text = CueTextForTable(kind, cue.text);
        AddCueToTable(table, cue.start, cue.end, text,
                      kind == TextTrackKind::Styled ? 0 : kCueEndExtension);
        if (kind == TextTrackKind::Styled && !road.styledHeader.empty() && !text.empty()) {
            road.styledEvents[CleanSubtitleText(text, false)] = cue.text;
            road.styledEvents[CleanSubtitleText(text, true)] = cue.text;
            road.styledStarts.emplace(cue.start, cue.text);
        }
    }
    // One turn follows while cues wait, however many calls the reader made.
    if (!road.pendingCues.empty() && !road.nextTurnQueued) {
        road.nextTurnQueued = true;
        QMetaObject::invokeMethod(
            &session.context,
            [&session] {
                Road(session).nextTurnQueued = false;
                TakeSubtitleTrackCues(session);
            },
            Qt::QueuedConnection);
    }
    if (!road.styledStarts.empty()) {
        double position = 0;
        if (session.medium.Get().Position(position)) DrawStyledCuesAhead(road, position);
    }
    SubtitlePort& port = session.textPort.Get();
    if (!hadAny && SubtitlesLoaded(session)) port.EnableSubtitleAdjust(true);
    if (road.reader->Finished() && !road.reportedEnd) {
        road.reportedEnd = true;
        const std::string error = road.reader->Error();
        // The picture plays on whatever became of the stream; the user learns
        // why its subtitles stop or never come.
        if (!error.empty()) {
            ShowOsdMessage(session, FormatLex(2720, error));
            if (port.Option(SubtitleOption::OsdOn)) port.PaintOsd();
        }
    }
    if (SubtitlesLoaded(session) && port.Option(SubtitleOption::SubtitlesOn))
        ShowSubtitleDueNow(session);
}

}  // namespace quova
