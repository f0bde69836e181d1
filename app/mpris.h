#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <string>

#include "app/command_gate.h"
#include "app/commands.h"

namespace quova {

struct PlayerSession;

// The player on the session bus as org.mpris.MediaPlayer2.quova: media keys,
// the desktop's sound menu and playerctl drive it. Every method runs the same
// command as the popup menu, so the OSD reports it the same way.
class MprisService : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kServiceName = "org.mpris.MediaPlayer2.quova";
    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";

    // Every call reaches the player as a command of `commands`.
    MprisService(PlayerSession& session, CommandSink& commands, QObject* parent = nullptr);
    ~MprisService() override;

    // Offers the player on `bus`. False, silently, when there is no bus or
    // another instance holds the name (it keeps it).
    bool Connect(QDBusConnection bus);
    void Disconnect();
    bool Connected() const { return connected_; }
    // What the bus asks for takes its turn with the other commands.
    CommandGate& Gate() { return commands_.Gate(); }

    // Announces what changed since the last call (status, metadata, rate,
    // volume) with PropertiesChanged.
    void Refresh();
    // Announces a new position after a seek.
    void EmitSeeked(double seconds);

    // --- org.mpris.MediaPlayer2
    void Raise();
    void Quit();

    // --- org.mpris.MediaPlayer2.Player
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next();
    void Previous();
    void Seek(qlonglong offsetUs);
    void SetPosition(const QDBusObjectPath& trackId, qlonglong positionUs);
    void OpenUri(const QString& uri);

    QString PlaybackStatus() const;
    double Rate() const;
    void SetRate(double rate);
    QVariantMap Metadata() const;
    double Volume() const;
    void SetVolume(double volume);
    qlonglong Position() const;
    bool CanSeek() const;
    bool CanPlay() const;
    // Whether Next and Previous would do anything: move in the play list or,
    // for Next with no entry to move on to, stop what plays (false when they
    // would do nothing, as Previous at the start of a list).
    bool CanGoNext() const;
    bool CanGoPrevious() const;
    // "None", or the play list ("Playlist") or the one medium ("Track")
    // played again from the start at its end.
    QString LoopStatus() const;
    void SetLoopStatus(const QString& status);
    bool Shuffle() const;
    void SetShuffle(bool on);
    // The object path naming the open medium ("/org/mpris/MediaPlayer2/TrackList/NoTrack" when
    // none).
    QDBusObjectPath TrackId() const;

  private:
    void Announce(const QString& interface, const QVariantMap& changed);
    void OpenPending();
    void RefreshAfterCommands();
    // Runs the command bound to `method`, then announces what changed.
    void Ask(const char* method, CommandArg arg = {});

    PlayerSession& session_;
    CommandSink& commands_;
    QDBusConnection bus_;
    bool connected_ = false;
    QString lastStatus_;
    QVariantMap lastMetadata_;
    double lastRate_ = 1.0;
    double lastVolume_ = -1;
    bool lastCanGoNext_ = false;
    bool lastCanGoPrevious_ = false;
    QString lastLoopStatus_;
    bool lastShuffle_ = false;
    // The medium OpenUri was last asked for, not yet opened.
    std::string pendingOpen_;
    bool opening_ = false;
};

// org.mpris.MediaPlayer2 on the service's object.
class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
  public:
    explicit MprisRootAdaptor(MprisService* service);
    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const { return "Quova"; }
    QString DesktopEntry() const { return "quova"; }
    QStringList SupportedUriSchemes() const { return {"file"}; }
    QStringList SupportedMimeTypes() const;

  public Q_SLOTS:
    void Raise() {
        service_->Gate().Run([s = service_] { s->Raise(); });
    }
    void Quit() {
        service_->Gate().Run([s = service_] { s->Quit(); });
    }

  private:
    MprisService* service_;
};

// org.mpris.MediaPlayer2.Player on the service's object.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(double MinimumRate READ MinimumRate)
    Q_PROPERTY(double MaximumRate READ MaximumRate)
    Q_PROPERTY(QString LoopStatus READ LoopStatus WRITE SetLoopStatus)
    Q_PROPERTY(bool Shuffle READ Shuffle WRITE SetShuffle)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPause)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)
  public:
    explicit MprisPlayerAdaptor(MprisService* service);
    QString PlaybackStatus() const { return service_->PlaybackStatus(); }
    double Rate() const { return service_->Rate(); }
    void SetRate(double rate) {
        service_->Gate().Run([s = service_, rate] { s->SetRate(rate); });
    }
    QVariantMap Metadata() const { return service_->Metadata(); }
    double Volume() const { return service_->Volume(); }
    void SetVolume(double volume) {
        service_->Gate().Run([s = service_, volume] { s->SetVolume(volume); });
    }
    qlonglong Position() const { return service_->Position(); }
    double MinimumRate() const { return 0.25; }
    double MaximumRate() const { return 2.0; }
    QString LoopStatus() const { return service_->LoopStatus(); }
    void SetLoopStatus(const QString& status) {
        service_->Gate().Run([s = service_, status] { s->SetLoopStatus(status); });
    }
    bool Shuffle() const { return service_->Shuffle(); }
    void SetShuffle(bool on) {
        service_->Gate().Run([s = service_, on] { s->SetShuffle(on); });
    }
    bool CanGoNext() const { return service_->CanGoNext(); }
    bool CanGoPrevious() const { return service_->CanGoPrevious(); }
    bool CanPlay() const { return service_->CanPlay(); }
    bool CanPause() const { return service_->CanPlay(); }
    bool CanSeek() const { return service_->CanSeek(); }
    bool CanControl() const { return true; }

    // Each method is answered at once and runs as a command: after the one
    // under way, when a call comes while another command waits.
  public Q_SLOTS:
    void Play() {
        service_->Gate().Run([s = service_] { s->Play(); });
    }
    void Pause() {
        service_->Gate().Run([s = service_] { s->Pause(); });
    }
    void PlayPause() {
        service_->Gate().Run([s = service_] { s->PlayPause(); });
    }
    void Stop() {
        service_->Gate().Run([s = service_] { s->Stop(); });
    }
    void Next() {
        service_->Gate().Run([s = service_] { s->Next(); });
    }
    void Previous() {
        service_->Gate().Run([s = service_] { s->Previous(); });
    }
    void Seek(qlonglong Offset) {
        service_->Gate().Run([s = service_, Offset] { s->Seek(Offset); });
    }
    void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
        service_->Gate().Run(
            [s = service_, TrackId, Position] { s->SetPosition(TrackId, Position); });
    }
    void OpenUri(const QString& Uri) {
        service_->Gate().Run([s = service_, Uri] { s->OpenUri(Uri); });
    }

  Q_SIGNALS:
    void Seeked(qlonglong Position);

  private:
    MprisService* service_;
};

}  // namespace quova
