#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/audio_device_menu.h"
#include "app/commands.h"
#include "app/edge_controls.h"
#include "app/menu_model.h"
#include "app/play_list.h"
#include "app/polling_tick.h"
#include "app/program_observer.h"
#include "app/settings.h"
#include "app/subtitle_view.h"
#include "app/video_window.h"
#include "playback/transport.h"
#include "text/osd_commands.h"
#include "text/subtitle_commands.h"
#include "text/subtitle_display.h"

class QLabel;
class QPainter;
class QPushButton;
class QSlider;
class QSystemTrayIcon;
class QTimer;

namespace quova {

struct PlayerSession;

class MprisService;
class PlayerPorts;
class PopupMenu;
class ResumePrompt;
class ProcessPriority;
class ScreenSaverControl;
class SeekBarControl;
class SessionSaver;
struct MenuInputs;
class TQuovaAboutBox;
class TQuovaHintWindow;
class VideoWindowLayout;
class XRandrDisplay;

// The main window: borderless and black, its only menu the popup menu. It
// runs start-up (InitializeApp) when the splash first ticks and shutdown
// (FinalizeApp) after it has closed.
class TQuovaForm : public QWidget,
                   public SettingsHost,
                   public OsdCommandHost,
                   private VideoWindowHost {
    Q_OBJECT
  public:
    // FormCreate. `params` is the command line without the program's name;
    // `exePath` the program's full path.
    TQuovaForm(PlayerSession& session, std::vector<std::string> params, std::string exePath,
               QWidget* parent = nullptr);
    // The player session the window shows and commands.
    PlayerSession& session() const { return session_; }
    ~TQuovaForm() override;

    // The About box, created after the window; it doubles as the splash.
    void SetAboutBox(TQuovaAboutBox* box);
    TQuovaAboutBox* aboutBox() const { return aboutBox_; }

    void InitializeApp();
    // Saves the settings and the recent files, provided start-up loaded them.
    void FinalizeApp();

    // Menu commands.
    void Exit1Click();
    void About1Click();
    void Help1Click();
    void Hide1Click() { ToggleVisible(); }

    // The polling tick (475 ms).
    void Timer1Timer();
    // The notification-area icon's tip follows the caption.
    void UpdateTrayTip();

    StartupTip& startupTip() { return startupTip_; }
    EdgeControls& edgeControls() const { return *edgeControls_; }
    const EdgeState& edges() const { return edgeControls_->edges(); }
    const WindowDrag& drag() const { return edgeControls_->drag(); }
    // The minimise button: minimised, not hidden to the notification area.
    void MinimiseByButton();
    bool timerBusy() const { return tick_.TimerBusy(); }
    TQuovaHintWindow* hintWindow() const { return hintWindow_; }
    // The offer to resume a medium, over the picture while it is up.
    ResumePrompt& resumePrompt() const { return *resumePrompt_; }
    // The application lost the focus.
    void AppDeactivate();

    // A termination signal or the end of the desktop session: close without
    // the quit question; FinalizeApp still runs.
    void SessionEnd();

    // Opens a medium; does nothing while the program is starting.
    void OpenMedia(const std::string& name);
    void Open1Click();
    // Shows tip `tip` before an option acts, unless the user skipped it.
    void ShowTip(int tip) override;
    // Opens the clicked recent file; the play list stays.
    void recentn1Click(const MenuItem& item);
    // A graph event was announced: the queue is drained.
    void MediaEvent();
    // Told of each start-up step and asked first for each open (tests); null
    // for none.
    void SetObserver(ProgramObserver* observer) { observer_ = observer; }
    // A name passed on by a second start.
    void HandOverReceived(const std::string& name);
    // Shows the window, from the notification area too, in front.
    void Raise();
    // Names dropped on the window: the new play list, its first entry opened.
    void DroppedFiles(const std::vector<std::string>& names);
    const std::vector<std::string>& PlayList() const;
    // How play-list entries are opened: the window's open.
    EntryOpener Opener() {
        return [this](const std::string& name) { OpenMedia(name); };
    }
    // The polling tick's extraction part: progress, the end of each file, the
    // next entry, and "audio extraction complete" after the last.
    void ExtractionTimerTick();

    // 1 while the window is shown, 0 while it is hidden to the notification area.
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }
    void ToggleVisible();
    void SetTopmost(bool on);
    // The window was moved or resized: it is kept on top only while playing
    // in full screen or with "Always On Top".
    void WindowPositionChanged();
    // The graph runs (its state read with `timeoutMs`).
    bool GraphRunning(int timeoutMs) const;
    bool highPriority() const { return highPriority_; }
    ScreenSaverControl& screenSaver() const { return *screenSaver_; }

    // Draws the OSD line now, when the OSD is on.
    void PaintOsdNow();
    // The rows the OSD line and its message lines take at the top.
    int OsdBandHeight() const;

    MenuModel& menuModel() { return menuModel_; }
    const MenuModel& menuModel() const { return menuModel_; }
    // The player on the desktop's media-player bus.
    MprisService& mpris() const { return *mpris_; }
    PopupMenu& popup() const { return *popup_; }
    // Every command, whichever way it arrives.
    CommandRegistry& commands() const { return *commands_; }
    QTimer* timer1() const { return timer1_; }
    const QFont& osdFont() const { return osdFont_; }
    bool showHints() const { return showHints_; }
    VideoWindowLayout& videoLayout() const { return *layout_; }

    // The observer hears each start-up step by name as it completes
    // ("settings", "shell registration", "templates", "hints", "switches",
    // "first placement", "command line").

    // SettingsHost
    ScreenSize Screen() const override;
    WindowBounds Bounds() const override;
    void ApplyBounds(const WindowBounds& bounds) override;
    std::pair<int, int> ApplyFont(const OsdFont& font) override;
    void ApplyShowHints(bool on) override;
    void RebuildRecentMenu() override;
    void KeyOpened() override;

    // OsdCommandHost
    bool& OsdOn() override;
    int& TimeFormat() override;
    QFont& CanvasFont() override { return osdFont_; }
    bool DvdOpen() const override;
    QWidget* DialogParent() override { return this; }
    void SetModalDialogOpen(bool open) override;
    void FontChanged() override;
    void LayoutVideo() override;
    void PaintOsd() override { PaintOsdNow(); }
    void ClearOsdStrip() override;
    void ClearClientArea() override;
    void RedrawSubtitle() override;
    void RedrawId3() override {}

  Q_SIGNALS:
    // The close was accepted: the program's message loop ends.
    void Closed();

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  public:
    // The window's parts the commands and the ports work with.
    AudioDeviceMenu& audioDevices() { return audioDevices_; }
    // Null while the window is being built.
    MprisService* mprisService() const { return mpris_; }
    const std::string& exePath() const { return exePath_; }
    // "High Priority": empty when the priority changed, else why not.
    std::string ToggleHighPriority();
    // The disc menu's pointer: the hand over a button; the next selection
    // waits 200 ms over a button, 100 ms beside one.
    void ShowDvdPointer(bool overButton);
    // A button took a click: the wait pointer for 500 ms, clicks meanwhile dropped.
    void HoldDiscClick();
    // Draws a subtitle text in the place the options choose.
    void DrawSubtitle(const std::string& text);
    // Applies the settings' font and measures the OSD's line and character from it.
    void MeasureFont();
    // The end of a file was handled: the next list entry, a rewind, or the
    // end of polling.
    void ContinuePlayList();

  private:
    void CreateControls();
    void InstallHandlers();
    // The session bookmark is written in the background while a file plays.
    void StartSessionSaver();
    void InstallLayoutHandlers();
    // What the picture's placement asks of the window (it shares painting
    // the OSD and the subtitle with the OSD commands).
    SubtitlePlace SubtitlePlacement() const override;
    void ClearOsdLine() override;
    void ClearSubtitleArea() override { update(); }
    void StepOsdFont(int points) override;
    std::pair<int, int> HeaderSize() const override;
    void SplashTick();
    bool InDiscMenu() const;
    void Step(const std::string& name);
    bool InFullScreen() const;
    void TimerBlockA(const TransportTick& tick);

    PlayerSession& session_;
    std::vector<std::string> params_;
    std::string exePath_;
    MenuModel menuModel_;
    PopupMenu* popup_;
    AudioDeviceMenu audioDevices_{session_};
    TQuovaAboutBox* aboutBox_ = nullptr;
    QSystemTrayIcon* trayIcon_ = nullptr;
    QTimer* timer1_;
    MprisService* mpris_ = nullptr;
    QFont osdFont_;
    SubtitleView subtitleView_{*this, session_};
    bool showHints_ = true;
    int tag_ = 1;
    int splashTicks_ = 0;
    bool closing_ = false;
    // Set while a close queued behind a busy command runs.
    bool closeNow_ = false;
    // What the next paint does to the whole client area (a font change
    // clears it, as the strip is cleared when the OSD goes off).
    bool clearClientArea_ = false;
    bool settingsLoaded_ = false;
    std::unique_ptr<VideoWindowLayout> layout_;
    std::unique_ptr<XRandrDisplay> display_;
    bool commandLineOpened_ = false;
    std::unique_ptr<ScreenSaverControl> screenSaver_;
    std::unique_ptr<ProcessPriority> priority_;
    std::unique_ptr<SessionSaver> sessionSaver_;
    std::unique_ptr<PlayerPorts> ports_;
    std::unique_ptr<CommandRegistry> commands_;
    QTimer* sessionTimer_ = nullptr;
    bool highPriority_ = false;
    QTimer* displayTimer_;
    QTimer* dvdPointerHold_ = nullptr;
    std::optional<QPoint> dvdPointerPending_;
    QTimer* discClickHold_ = nullptr;
    ProgramObserver* observer_ = nullptr;

    TQuovaHintWindow* hintWindow_ = nullptr;
    ResumePrompt* resumePrompt_ = nullptr;
    EdgeControls* edgeControls_ = nullptr;
    PollingTick tick_;
    StartupTip startupTip_;
    bool ownMinimize_ = false;
};

}  // namespace quova
