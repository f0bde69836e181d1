#include "app/mpris.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QTimer>
#include <QUrl>
#include <cmath>

#include "app/play_list.h"
#include "app/settings.h"
#include "graph/graph_state.h"
#include "graph/open_media.h"
#include "platform/files/media_name.h"
#include "playback/player_session.h"
#include "playback/transport.h"

namespace quova {

using engine::GraphState;

namespace {

constexpr double kMicroseconds = 1e6;
constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";

bool FileOpen(PlayerSession& session) {
    const GraphSession& g = session.graph;
    return g.MediaKind != MediaKindNone && g.GraphBuilder;
}

}  // namespace

MprisService::MprisService(PlayerSession& session, CommandSink& commands, QObject* parent)
    : QObject(parent), session_(session), commands_(commands), bus_(QString()) {
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
}

MprisService::~MprisService() {
    Disconnect();
}

bool MprisService::Connect(QDBusConnection bus) {
    Disconnect();
    if (!bus.isConnected() || !bus.interface()) return false;
    if (!bus.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors)) return false;
    const auto reply =
        bus.interface()->registerService(kServiceName, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        // Another instance offers the player; it keeps the name.
        bus.unregisterObject(kObjectPath);
        return false;
    }
    bus_ = bus;
    connected_ = true;
    lastStatus_ = PlaybackStatus();
    lastMetadata_ = Metadata();
    lastRate_ = Rate();
    lastVolume_ = Volume();
    lastCanGoNext_ = CanGoNext();
    lastCanGoPrevious_ = CanGoPrevious();
    lastLoopStatus_ = LoopStatus();
    lastShuffle_ = Shuffle();
    return true;
}

void MprisService::Disconnect() {
    if (!connected_) return;
    bus_.unregisterObject(kObjectPath);
    if (bus_.interface()) bus_.interface()->unregisterService(kServiceName);
    connected_ = false;
}

void MprisService::Announce(const QString& interface, const QVariantMap& changed) {
    if (!connected_ || changed.isEmpty()) return;
    QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, "org.freedesktop.DBus.Properties",
                                                     "PropertiesChanged");
    signal << interface << changed << QStringList();
    bus_.send(signal);
}

void MprisService::Refresh() {
    if (!connected_) return;
    QVariantMap changed;
    const QString status = PlaybackStatus();
    if (status != lastStatus_) changed["PlaybackStatus"] = lastStatus_ = status;
    const QVariantMap metadata = Metadata();
    if (metadata != lastMetadata_) changed["Metadata"] = lastMetadata_ = metadata;
    const double rate = Rate();
    if (rate != lastRate_) changed["Rate"] = lastRate_ = rate;
    const double volume = Volume();
    if (volume != lastVolume_) changed["Volume"] = lastVolume_ = volume;
    if (const bool can = CanGoNext(); can != lastCanGoNext_)
        changed["CanGoNext"] = lastCanGoNext_ = can;
    if (const bool can = CanGoPrevious(); can != lastCanGoPrevious_)
        changed["CanGoPrevious"] = lastCanGoPrevious_ = can;
    if (const QString loop = LoopStatus(); loop != lastLoopStatus_)
        changed["LoopStatus"] = lastLoopStatus_ = loop;
    if (const bool shuffle = Shuffle(); shuffle != lastShuffle_)
        changed["Shuffle"] = lastShuffle_ = shuffle;
    Announce(kPlayerInterface, changed);
}

void MprisService::EmitSeeked(double seconds) {
    if (!connected_) return;
    QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, kPlayerInterface, "Seeked");
    signal << static_cast<qlonglong>(seconds * kMicroseconds);
    bus_.send(signal);
}

void MprisService::Ask(const char* method, CommandArg arg) {
    commands_.Run(BoundId(OutsideBindings(), method), std::move(arg));
    RefreshAfterCommands();
}

void MprisService::Raise() {
    Ask("Raise");
}

void MprisService::Quit() {
    Ask("Quit");
}

void MprisService::Play() {
    Ask("Play");
}

void MprisService::Pause() {
    Ask("Pause");
}

void MprisService::PlayPause() {
    // From Stopped it starts, as Play does: from the beginning.
    Ask(FileOpen(session_) && PlaybackStatus() == "Stopped" ? "Play" : "PlayPause");
}

void MprisService::Stop() {
    Ask("Stop");
}

void MprisService::Next() {
    Ask("Next");
}

void MprisService::Previous() {
    Ask("Previous");
}

void MprisService::RefreshAfterCommands() {
    // The commands asked for run after the one under way: what they change
    // is announced after them.
    commands_.Gate().Run([this] { Refresh(); });
}

bool MprisService::CanGoNext() const {
    // As the "Next" command moves: a random pick anywhere in a list of
    // several, else on to the following entry; and with no entry to move on
    // to it still stops what plays (MPRIS), which clients such as playerctl
    // only ask for while this says it may.
    const PlayListState& list = session_.playList;
    const int count = list.PlayListCount();
    return (count > 1 && (AppSettings().RandomList || list.PlayListIndex < count - 1)) ||
           FileOpen(session_);
}

bool MprisService::CanGoPrevious() const {
    const PlayListState& list = session_.playList;
    return list.PlayListCount() > 0 && list.PlayListIndex > 0;
}

QString MprisService::LoopStatus() const {
    // One option loops whatever is played: a list of several from its first
    // entry, a single medium from its start.
    if (!AppSettings().LoopOn) return "None";
    return session_.playList.PlayListCount() > 1 ? "Playlist" : "Track";
}

void MprisService::SetLoopStatus(const QString& status) {
    if (status != "None" && status != "Track" && status != "Playlist") return;
    // The menu's command: it flips the option only while a file is open,
    // and says so on the OSD.
    if ((status != "None") != AppSettings().LoopOn)
        Ask("LoopStatus");
    else
        RefreshAfterCommands();
}

bool MprisService::Shuffle() const {
    return AppSettings().RandomList;
}

void MprisService::SetShuffle(bool on) {
    if (on != AppSettings().RandomList)
        Ask("Shuffle");
    else
        RefreshAfterCommands();
}

void MprisService::Seek(qlonglong offsetUs) {
    if (!FileOpen(session_)) return;
    Ask("Seek", static_cast<double>(offsetUs) / kMicroseconds);
}

void MprisService::SetPosition(const QDBusObjectPath& trackId, qlonglong positionUs) {
    // A stale track id, or a position outside the medium, is ignored.
    if (!FileOpen(session_) || trackId.path() != TrackId().path()) return;
    const double seconds = static_cast<double>(positionUs) / kMicroseconds;
    if (seconds < 0 || (session_.graph.Duration > 0 && seconds > session_.graph.Duration)) return;
    Ask("SetPosition", seconds);
}

void MprisService::OpenUri(const QString& uri) {
    // Any program on the session bus may call this: only a local file or a
    // web address is opened, and an address reaches the player as sent.
    const std::string sent = uri.toStdString();
    std::string name;
    if (IsNetworkAddress(sent)) {
        name = sent;
    } else {
        const QUrl url(uri);
        if (!url.isLocalFile()) return;
        name = QFile::encodeName(url.toLocalFile()).toStdString();
    }
    // An escaped NUL (%00) would end the name early and open another file.
    if (name.find('\0') != std::string::npos) return;
    // The caller is answered at once: the open, which may ask the user
    // something, runs after the reply. One open waits at most, the last
    // asked for; calls sent while it waits replace it.
    const bool waiting = !pendingOpen_.empty();
    pendingOpen_ = std::move(name);
    if (!waiting && !opening_) QTimer::singleShot(0, this, &MprisService::OpenPending);
}

void MprisService::OpenPending() {
    if (pendingOpen_.empty()) return;
    const std::string name = std::move(pendingOpen_);
    pendingOpen_.clear();
    opening_ = true;
    commands_.Run(BoundId(OutsideBindings(), "OpenUri"), name);
    opening_ = false;
    Refresh();
    // Asked for while this one opened.
    if (!pendingOpen_.empty()) QTimer::singleShot(0, this, &MprisService::OpenPending);
}

QString MprisService::PlaybackStatus() const {
    if (!FileOpen(session_)) return "Stopped";
    switch (GraphStateOf(session_, 100)) {
        case GraphState::Running:
            return "Playing";
        case GraphState::Paused:
            return "Paused";
        default:
            return "Stopped";
    }
}

double MprisService::Rate() const {
    return PlayRate(session_);
}

void MprisService::SetRate(double rate) {
    // MPRIS: a client should not write 0.0, and a player that is given it
    // acts as though Pause was called.
    if (rate == 0.0)
        Ask("Pause");
    else
        Ask("Rate", rate);
}

QDBusObjectPath MprisService::TrackId() const {
    if (!FileOpen(session_)) return QDBusObjectPath("/org/mpris/MediaPlayer2/TrackList/NoTrack");
    // One medium at a time: the track is named by a hash of its file name.
    const auto hash = qHash(QString::fromStdString(session_.graph.CurrentMediaName));
    return QDBusObjectPath(QString("/org/quova/track/%1").arg(hash));
}

QVariantMap MprisService::Metadata() const {
    QVariantMap metadata;
    metadata["mpris:trackid"] = QVariant::fromValue(TrackId());
    if (!FileOpen(session_)) return metadata;
    const GraphSession& g = session_.graph;
    const QString name = QFile::decodeName(g.CurrentMediaName.c_str());
    metadata["mpris:length"] = static_cast<qlonglong>(g.Duration * kMicroseconds);
    // A URL proper, its blanks and letters beyond ASCII escaped: clients
    // hand it on to programs that take nothing else.
    metadata["xesam:url"] = IsNetworkAddress(g.CurrentMediaName)
                                ? name
                                : QUrl::fromLocalFile(name).toString(QUrl::FullyEncoded);
    engine::MediumTags tags;
    if (g.GraphBuilder) tags = g.GraphBuilder->Tags();
    metadata["xesam:title"] = QString::fromStdString(
        tags.title.empty() ? NameWithoutFolder(g.CurrentMediaName) : tags.title);
    if (!tags.artists.empty()) {
        QStringList artists;
        for (const std::string& artist : tags.artists) artists << QString::fromStdString(artist);
        metadata["xesam:artist"] = artists;
    }
    if (!tags.album.empty()) metadata["xesam:album"] = QString::fromStdString(tags.album);
    return metadata;
}

double MprisService::Volume() const {
    return std::clamp(AppSettings().Volume, 0, 100) / 100.0;
}

void MprisService::SetVolume(double volume) {
    if (!std::isfinite(volume)) return;
    Ask("Volume", static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
}

qlonglong MprisService::Position() const {
    return static_cast<qlonglong>(CurrentPosition(session_) * kMicroseconds);
}

bool MprisService::CanSeek() const {
    return FileOpen(session_) && session_.graph.Duration > 0;
}

bool MprisService::CanPlay() const {
    return FileOpen(session_);
}

MprisRootAdaptor::MprisRootAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(service) {}

QStringList MprisRootAdaptor::SupportedMimeTypes() const {
    return {"video/x-msvideo", "video/x-ms-asf", "video/x-ms-wmv",   "video/mpeg",
            "video/ogg",       "video/x-ogm",    "video/x-matroska", "video/mp4",
            "audio/x-wav",     "audio/mpeg",     "audio/ogg",        "audio/x-vorbis+ogg"};
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(service) {}

}  // namespace quova
