#include "app/main_window.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <filesystem>

#include "app/about_box.h"
#include "app/app_icon.h"
#include "app/app_state.h"
#include "app/command_gate.h"
#include "app/command_line.h"
#include "app/commands.h"
#include "app/display_mode.h"
#include "app/documentation.h"
#include "app/dvd_menu_input.h"
#include "app/generated_submenu.h"
#include "app/hint_window.h"
#include "app/menu_inputs.h"
#include "app/menu_state.h"
#include "app/mpris.h"
#include "app/open_dialog.h"
#include "app/play_list_commands.h"
#include "app/player_ports.h"
#include "app/popup_menu.h"
#include "app/process_priority.h"
#include "app/recent_files.h"
#include "app/resume_prompt.h"
#include "app/screen_saver.h"
#include "app/subtitle_box.h"
#include "app/text_dialog.h"
#include "app/tips.h"
#include "app/topmost.h"
#include "app/tray_tip.h"
#include "app/video_commands.h"
#include "app/video_window.h"
#include "app/xrandr_display.h"
#include "graph/filter_chooser.h"
#include "graph/filter_commands.h"
#include "graph/graph_state.h"
#include "graph/message_box.h"
#include "graph/open_media.h"
#include "mediainfo/id3_tag.h"
#include "platform/engine/video_output.h"
#include "platform/engine/video_widget.h"
#include "platform/files/media_name.h"
#include "playback/audio_output.h"
#include "playback/dvd_navigation.h"
#include "playback/media_events.h"
#include "playback/player_session.h"
#include "playback/power_events.h"
#include "playback/session_saver.h"
#include "playback/transport.h"
#include "playback/volume.h"
#include "text/osd.h"
#include "text/osd_paint.h"
#include "text/subtitle_commands.h"
#include "text/subtitle_display.h"
#include "text/subtitle_overlay.h"
#include "text/subtitle_tracks.h"
#include "text/text_session.h"

namespace quova {

namespace {

constexpr int kDesignWidth = 478;
constexpr int kDesignHeight = 340;
// The caption the notification-area tip shows until something is opened.
constexpr const char* kDesignCaption = "Quova Media Player";

// A display mode that cannot be set is the user's to know about.
class DisplayModeMessage : public DisplayModeReporter {
  public:
    void DisplayModeFailed(const std::string& text) const override {
        ShowMessage(text, MbIconExclamation);
    }
};
const DisplayModeMessage kDisplayModeMessage;

}  // namespace

TQuovaForm::TQuovaForm(PlayerSession& session, std::vector<std::string> params, std::string exePath,
                       QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      session_(session),
      params_(std::move(params)),
      exePath_(std::move(exePath)) {
    setObjectName("TQuovaForm");
    setWindowIcon(AppIcon());
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
    setFocusPolicy(Qt::StrongFocus);
    // The edge controls follow the pointer without a button held.
    setMouseTracking(true);

    resize(kDesignWidth, kDesignHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - kDesignWidth) / 2,
             area.top() + (area.height() - kDesignHeight) / 2);
    }
    osdFont_ = QFont("Arial");
    osdFont_.setPixelSize(15);
    osdFont_.setBold(true);
    FontChanged();

    CreateControls();
    layout_ = std::make_unique<VideoWindowLayout>(session_, this, timer1_,
                                                  static_cast<VideoWindowHost&>(*this));
    screenSaver_ = std::make_unique<ScreenSaverControl>();
    priority_ = std::make_unique<ProcessPriority>();
    displayTimer_ = new QTimer(this);
    displayTimer_->setInterval(1000);
    connect(displayTimer_, &QTimer::timeout, this,
            [this] { screenSaver_->KeepDisplayOn(GraphRunning(0)); });
    commands_ = std::make_unique<CommandRegistry>(session_, *this);
    dvdPointerHold_ = new QTimer(this);
    dvdPointerHold_->setSingleShot(true);
    connect(dvdPointerHold_, &QTimer::timeout, this, [this] {
        const std::optional<QPoint> p = std::exchange(dvdPointerPending_, std::nullopt);
        if (p && InDiscMenu()) commands_->Run(BoundId(WindowBindings(), "DiscPointer"), *p);
    });
    discClickHold_ = new QTimer(this);
    discClickHold_->setSingleShot(true);
    connect(discClickHold_, &QTimer::timeout, this, [this] { unsetCursor(); });
    popup_ = new PopupMenu(menuModel_, this, commands_->Gate());
    InstallHandlers();
    InstallLayoutHandlers();
    layout_->FormCanResize();
    ports_ = std::make_unique<PlayerPorts>(*this);
    StartSessionSaver();
    new PowerWatcher(session_, this);
    mpris_ = new MprisService(session_, *commands_, this);
    // Without a session bus the player simply is not offered there.
    mpris_->Connect(QDBusConnection::sessionBus());

    // FormCreate
    timer1_->setInterval(475);
    connect(timer1_, &QTimer::timeout, this, &TQuovaForm::Timer1Timer);
    hintWindow_ = new TQuovaHintWindow(this);
    resumePrompt_ = new ResumePrompt(this, *commands_);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s != Qt::ApplicationActive) AppDeactivate();
    });
    Settings& settings = AppSettings();
    settings.TrayIconAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    setWindowTitle(kDesignCaption);
    if (settings.TrayIconAvailable) {
        trayIcon_ = new QSystemTrayIcon(AppIcon(), this);
        trayIcon_->setToolTip(windowTitle());
        trayIcon_->setContextMenu(popup_->menu());
        connect(trayIcon_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    // The context menu opens by itself on a right click.
                    if (reason == QSystemTrayIcon::DoubleClick)
                        commands_->Run(BoundId(WindowBindings(), "TrayDoubleClick"));
                });
        trayIcon_->show();
    }
    setWindowTitle("Quova");
}

TQuovaForm::~TQuovaForm() {
    if (DisplayModes().Server() == display_.get()) DisplayModes().SetServer(nullptr);
    ReleaseGraph(session_);
    ReleaseFilterChooser();
    // The device watch calls back into this window.
    StopAudioOutput();
    // The session outlives the window and its writer.
    session_.sessionSaver = nullptr;
}

void TQuovaForm::DrawSubtitle(const std::string& text) {
    subtitleView_.Draw(text, osdFont_);
}

void TQuovaForm::RedrawSubtitle() {
    ShowSubtitle(session_, session_.currentSubtitleText);
}

SubtitlePlace TQuovaForm::SubtitlePlacement() const {
    return subtitleView_.Placement();
}

void TQuovaForm::ClearOsdLine() {
    // Painted again from what is shown now, once the picture has moved.
    update(0, 0, width(), OsdBandHeight());
}

void TQuovaForm::StepOsdFont(int points) {
    Settings& settings = AppSettings();
    // Points at the desktop's 96 dots per inch.
    const int pixels = points * 4 / 3;
    settings.Font.height += settings.Font.height < 0 ? -pixels : pixels;
    MeasureFont();
}

std::pair<int, int> TQuovaForm::HeaderSize() const {
    return {session_.graph.Figures.width, session_.graph.Figures.height};
}

void TQuovaForm::InstallLayoutHandlers() {
    display_ = std::make_unique<XRandrDisplay>();
    DisplayModeControl& modes = DisplayModes();
    modes.SetServer(display_.get());
    modes.SetReporter(&kDisplayModeMessage);
    for (QScreen* screen : QGuiApplication::screens())
        connect(screen, &QScreen::geometryChanged, this, [this] { layout_->DisplayChanged(); });
}

void TQuovaForm::LayoutVideo() {
    layout_->LayoutVideo();
}

int TQuovaForm::OsdBandHeight() const {
    const int line = AppSettings().OsdLineHeight + 1;
    const auto lines = SplitOsdLines(session_.osdMessage).size();
    return 1 + line * static_cast<int>(lines);
}

void TQuovaForm::PaintOsdNow() {
    if (!AppSettings().OsdOn || !isVisible()) return;
    repaint(0, 0, width(), OsdBandHeight());
}

void TQuovaForm::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    if (clearClientArea_) {
        quova::ClearClientArea(painter, rect());
        clearClientArea_ = false;
    }
    const Settings& s = AppSettings();
    const GraphSession& g = session_.graph;
    OsdClock clock;
    clock.available = g.MediaKind != MediaKindNone && g.GraphBuilder;
    if (clock.available) {
        clock.position = CurrentPosition(session_);
        clock.duration = g.Duration;
        clock.frameRate = g.FrameRate > 0 ? g.FrameRate : 25.0;
        clock.timeFormat = s.TimeFormat;
    }
    painter.setFont(osdFont_);
    quova::PaintOsd(painter, width(), s.OsdLineHeight, s.OsdOn, session_.osdMessage,
                    session_.osdColor, clock);
    // An MP3's ID3 tag, seven lines where the picture would be, in the colour
    // the OSD left.
    if (s.Id3On && HoldsId3Tag(g.Id3TagBuffer)) {
        const auto lines = Id3DisplayLines(g.Id3TagBuffer);
        painter.setPen(QColor::fromRgb(session_.osdColor));
        for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
            const Id3LineOrigin at = Id3DisplayLineOrigin(i, s.OsdLineHeight);
            DrawOsdText(painter, width(), at.x, at.y, lines[static_cast<size_t>(i)]);
        }
    }
    if (SubtitlesLoaded(session_) && s.SubtitlesOn && !s.SubtitlesOnMovie && !s.SubtitlesOverMovie)
        subtitleView_.PaintBand(painter, osdFont_);
}

bool& TQuovaForm::OsdOn() {
    return AppSettings().OsdOn;
}

int& TQuovaForm::TimeFormat() {
    return AppSettings().TimeFormat;
}

bool TQuovaForm::DvdOpen() const {
    return session_.graph.MediaKind == MediaKindDvd;
}

void TQuovaForm::SetModalDialogOpen(bool open) {
    quova::SetModalDialogOpen(open);
}

void TQuovaForm::FontChanged() {
    if (auto* panel = findChild<QLabel*>("Panel1")) panel->setFont(osdFont_);
    const QFontMetrics metrics(osdFont_);
    AppSettings().OsdLineHeight = metrics.height();
    AppSettings().OsdCharWidth = metrics.horizontalAdvance('X');
}

void TQuovaForm::ClearOsdStrip() {
    repaint(0, 0, width(), AppSettings().OsdLineHeight + 1);
}

void TQuovaForm::ClearClientArea() {
    clearClientArea_ = true;
    update();
}

void TQuovaForm::CreateControls() {
    edgeControls_ = new EdgeControls(*this);
    // A sink drawing into the video window covers whatever the window paints
    // there: the controls over the picture get windows of their own.
    if (engine::ProcessVideoOutput() != engine::VideoOutput::Image)
        for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            control->setAttribute(Qt::WA_NativeWindow);

    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
}

void TQuovaForm::InstallHandlers() {
    PopupMenu& menu = *popup_;
    commands_->Install(menu);
    // Playback1Click: Step is offered where a frame can be stepped.
    if (auto* playback = menu.menu()->findChild<QMenu*>("Playback1"))
        connect(playback, &QMenu::aboutToShow, this, [this] {
            if (MenuItem* step = menuModel_.Find("Step1")) step->enabled = StepAvailable(session_);
            popup_->Sync();
        });
    connect(&menu, &PopupMenu::aboutToRefresh, this, [this] {
        // The user found the menu: the start-up tip is not needed.
        startupTip_.MenuOpened();
        const FiltersMenuState filters = FiltersMenu(session_);
        std::vector<DvdStreamItem> items;
        for (const std::string& caption : filters.captions) items.push_back({caption, 0, false});
        FillSubmenu(menuModel_, *popup_, "Filters1", items, filters.enabled);
        audioDevices_.Fill(menuModel_, *popup_);
        ApplyMenuState(menuModel_, ComputeMenuState(MenuInputsNow(session_, *this)));
    });
}

void TQuovaForm::Open1Click() {
    ShowOpenDialog(session_, this, session_.playList, Opener());
}

void TQuovaForm::ShowTip(int tip) {
    quova::ShowTip(tip);
}

void TQuovaForm::recentn1Click(const MenuItem& item) {
    const std::string name = RecentCaptionToName(item.caption);
    if (!name.empty()) OpenMedia(name);
}

void TQuovaForm::MediaEvent() {
    const auto extractionEnded = [this] {
        const GraphSession& g = session_.graph;
        return session_.flags.ExtractionMode && g.ExtractionReady && g.MediaComplete;
    };
    const bool endedBefore = extractionEnded();
    // Handled at once even inside a command's wait (a wait for a disc's
    // domain to change needs them); on its own it is a command like any,
    // since a report it shows lets other commands in.
    if (commands_->Gate().Busy())
        HandleMediaEvents(session_);
    else
        commands_->Gate().Run([this] { HandleMediaEvents(session_); });
    // The end of an extracted file is taken up as it comes, not at the next
    // polling tick, up to half a second later: the file is made whole and
    // the batch goes on at once. As its own command, after this one; a
    // command waiting then leaves it to the tick, as before.
    if (!endedBefore && extractionEnded()) {
        QTimer::singleShot(0, this, [this, extractionEnded] {
            if (extractionEnded() && !commands_->Gate().Busy())
                commands_->Gate().Run([this] { ExtractionTimerTick(); });
        });
    }
}

bool TQuovaForm::event(QEvent* event) {
    if (event->type() == static_cast<QEvent::Type>(kMediaEventType)) {
        MediaEvent();
        return true;
    }
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize) WindowPositionChanged();
    return QWidget::event(event);
}

void TQuovaForm::SetAboutBox(TQuovaAboutBox* box) {
    aboutBox_ = box;
    connect(box, &TQuovaAboutBox::SplashTick, this, &TQuovaForm::SplashTick);
    // A medium named on the command line is what the user came for: start-up
    // runs as soon as the splash is up instead of at its first tick.
    const auto actions = StartupActions(params_);
    if (std::any_of(actions.begin(), actions.end(),
                    [](const StartupAction& a) { return a.kind == StartupAction::Kind::Open; }))
        QTimer::singleShot(0, this, &TQuovaForm::SplashTick);
}

bool TQuovaForm::InFullScreen() const {
    return AppSettings().FullScreenMode;
}

void TQuovaForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layout_->FormResize();
    if (resumePrompt_) resumePrompt_->Place();
}

void TQuovaForm::Exit1Click() {
    close();
}

void TQuovaForm::About1Click() {
    if (!aboutBox_) return;
    try {
        aboutBox_->ShowModal();
    } catch (...) {
        // The About box is a courtesy; nothing depends on it.
    }
}

void TQuovaForm::Help1Click() {
    ShowTextDialog(HelpText(AppSettings().ProgramVersion), "Quova Keyboard/Mouse/Commandline Help");
}

void TQuovaForm::AppDeactivate() {
    SetTopmost(AppSettings().AlwaysOnTop && GraphRunning(100));
}

void TQuovaForm::SetTopmost(bool on) {
    if (!TopmostAllowed(ModalDialogOpen(), aboutBox_ && aboutBox_->isVisible())) return;
    ApplyTopmost(this, on);
}

void TQuovaForm::WindowPositionChanged() {
    if (!TopmostAllowed(ModalDialogOpen(), aboutBox_ && aboutBox_->isVisible())) return;
    const Settings& s = AppSettings();
    SetTopmost(TopmostWanted(s.FullScreenMode, s.AlwaysOnTop, GraphRunning(100)));
}

bool TQuovaForm::GraphRunning(int timeoutMs) const {
    const GraphSession& g = session_.graph;
    if (!g.GraphBuilder) return false;
    const engine::Outcome<engine::GraphState> state = g.GraphBuilder->GetState(timeoutMs);
    return state.value == engine::GraphState::Running;
}

void TQuovaForm::contextMenuEvent(QContextMenuEvent* event) {
    popup_->menu()->popup(event->globalPos());
}

void TQuovaForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TQuovaForm::dropEvent(QDropEvent* event) {
    std::vector<std::string> names;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) names.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    event->acceptProposedAction();
    if (!names.empty()) commands_->Run(BoundId(WindowBindings(), "Drop"), std::move(names));
}

const std::vector<std::string>& TQuovaForm::PlayList() const {
    return session_.playList.PlayList;
}

void TQuovaForm::DroppedFiles(const std::vector<std::string>& names) {
    LoadDroppedFiles(session_, session_.playList, names, Opener());
}

void TQuovaForm::OpenMedia(const std::string& name) {
    if (session_.openCounter < 0) return;
    if (observer_ && observer_->OpenMedia(name)) return;
    quova::OpenMedia(session_, name);
}

void TQuovaForm::HandOverReceived(const std::string& name) {
    commands_->Run(BoundId(OutsideBindings(), "HandOver"), name);
}

void TQuovaForm::Raise() {
    if (tag_ == 0) ToggleVisible();
    show();
    raise();
    activateWindow();
}

void TQuovaForm::ToggleVisible() {
    if (tag_ == 0) {
        show();
        raise();
        activateWindow();
        tag_ = 1;
    } else if (trayIcon_) {
        // Without a notification-area icon a hidden window could not come back.
        hide();
        tag_ = 0;
        if (AppSettings().PauseOnHide && GraphRunning(100)) session_.graph.GraphBuilder->Pause();
    }
}

void TQuovaForm::MinimiseByButton() {
    ownMinimize_ = true;
    showMinimized();
}

void TQuovaForm::changeEvent(QEvent* event) {
    // FormActivate: the splash stays above the main window while it is up.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && aboutBox_ &&
        aboutBox_->isVisible())
        aboutBox_->raise();
    // Minimising from the window manager hides to the notification area;
    // the minimise button minimises.
    if (event->type() == QEvent::WindowStateChange) {
        if (!(windowState() & Qt::WindowMinimized)) {
            ownMinimize_ = false;
        } else if (trayIcon_ && !ownMinimize_) {
            setWindowState(windowState() & ~Qt::WindowMinimized);
            QTimer::singleShot(0, this, [this] {
                if (tag_ != 0) ToggleVisible();
            });
        }
    }
    QWidget::changeEvent(event);
}

ScreenSize TQuovaForm::Screen() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {kDesignWidth, kDesignHeight};
    return {screen->geometry().width(), screen->geometry().height()};
}

WindowBounds TQuovaForm::Bounds() const {
    const QRect r = geometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

void TQuovaForm::ApplyBounds(const WindowBounds& b) {
    setGeometry(b.left, b.top, b.width, b.height);
}

void TQuovaForm::MeasureFont() {
    Settings& settings = AppSettings();
    const auto [charWidth, lineHeight] = ApplyFont(settings.Font);
    settings.OsdCharWidth = charWidth;
    settings.OsdLineHeight = lineHeight;
}

std::pair<int, int> TQuovaForm::ApplyFont(const OsdFont& font) {
    QFont f(QString::fromStdString(font.name));
    // Negative heights are character heights in pixels; positive ones cell
    // heights, which Qt's pixel size approximates.
    f.setPixelSize(std::max(1, std::abs(font.height)));
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    osdFont_ = f;
    if (auto* panel = findChild<QLabel*>("Panel1")) panel->setFont(f);
    const QFontMetrics metrics(f);
    return {metrics.horizontalAdvance('X'), metrics.height()};
}

void TQuovaForm::ApplyShowHints(bool on) {
    showHints_ = on;
}

void TQuovaForm::RebuildRecentMenu() {
    MenuItem* first = menuModel_.Find("recentn1");
    if (!first || !first->parent) return;
    const Settings& settings = AppSettings();
    for (size_t i = 0; i < settings.RecentFiles.size(); ++i) {
        MenuItem* item = i < first->parent->children.size() ? first->parent->children[i]
                                                            : menuModel_.AddCopy(*first);
        item->caption = settings.RecentFiles[i];
        item->visible = !settings.RecentFiles[i].empty();
    }
    popup_->Rebuild();
}

void TQuovaForm::KeyOpened() {
    if (aboutBox_) aboutBox_->okButton()->setEnabled(true);
}

void TQuovaForm::wheelEvent(QWheelEvent* event) {
    const bool held = event->modifiers() != Qt::NoModifier || event->buttons() != Qt::NoButton;
    const int steps = WheelVolumeSteps(event->angleDelta().y(), held);
    if (steps != 0) commands_->Run(BoundId(WindowBindings(), "Wheel"), steps);
    // Not marked handled.
    event->ignore();
}

// --- Mouse and keys

bool TQuovaForm::InDiscMenu() const {
    return session_.graph.MediaKind == MediaKindDvd && session_.dvd.DvdDomain != kDvdTitleDomain;
}

void TQuovaForm::ShowDvdPointer(bool overButton) {
    setCursor(overButton ? Qt::PointingHandCursor : Qt::ArrowCursor);
    dvdPointerHold_->start(overButton ? 200 : 100);
}

void TQuovaForm::HoldDiscClick() {
    setCursor(Qt::WaitCursor);
    discClickHold_->start(500);
}

void TQuovaForm::mouseMoveEvent(QMouseEvent* event) {
    if (aboutBox_ && aboutBox_->isVisible()) return;
    const QPoint p = event->position().toPoint();
    if (edgeControls_->drag().Dragging) {
        edgeControls_->DragMove(this, p.x(), p.y());
        return;
    }
    setFocus();
    if (InDiscMenu()) {
        // A disc menu: the button under the pointer is selected, at most
        // every 200 ms over a button and 100 ms beside one; the last point
        // the pointer reached meanwhile waits for its turn.
        if (dvdPointerHold_->isActive())
            dvdPointerPending_ = p;
        else
            commands_->Run(BoundId(WindowBindings(), "DiscPointer"), p);
    }
    edgeControls_->PointerMoved(p);
}

void TQuovaForm::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    const QPoint p = event->position().toPoint();
    if (session_.graph.MediaKind == MediaKindDvd) {
        // A click on a disc menu while a command is under way, or while the
        // disc takes the last one, is dropped: the menu it aimed at may be
        // gone by then.
        if (commands_->Gate().Busy() || discClickHold_->isActive()) return;
        commands_->Run(BoundId(WindowBindings(), "DiscClick"), p);
        // The gate was free, so the command has run: a button that took the
        // click began the hold, and the press starts no drag.
        if (discClickHold_->isActive()) return;
    }
    if (DragStarts(event->buttons() == Qt::LeftButton, event->modifiers() != Qt::NoModifier, false,
                   InFullScreen()))
        edgeControls_->BeginDrag(this, p.x(), p.y());
}

void TQuovaForm::mouseReleaseEvent(QMouseEvent* event) {
    if (edgeControls_->drag().Dragging) edgeControls_->EndDrag(this);
    QWidget::mouseReleaseEvent(event);
}

void TQuovaForm::mouseDoubleClickEvent(QMouseEvent*) {
    // The second press of a double click never drags.
    if (edgeControls_->drag().Dragging) edgeControls_->EndDrag(this);
    commands_->Run(BoundId(WindowBindings(), "DoubleClick"));
}

void TQuovaForm::keyPressEvent(QKeyEvent* event) {
    // Keys are bound by the text they type.
    const std::string key = "Key " + event->text().toStdString();
    const std::string_view id = BoundId(WindowBindings(), key);
    if (!id.empty())
        commands_->Run(id);
    else
        QWidget::keyPressEvent(event);
}

void TQuovaForm::keyReleaseEvent(QKeyEvent* event) {
    if (const auto key = DvdMenuKeyFor(event->key(), event->modifiers() == Qt::ShiftModifier,
                                       session_.graph.MediaKind == MediaKindDvd))
        commands_->Run(BoundId(WindowBindings(), "DiscMenuKey"), static_cast<int>(*key));
    QWidget::keyReleaseEvent(event);
}

// --- Notification area

void TQuovaForm::UpdateTrayTip() {
    if (trayIcon_)
        trayIcon_->setToolTip(QString::fromStdString(TrayTip(windowTitle().toStdString())));
}

std::string TQuovaForm::ToggleHighPriority() {
    return HighPriority1Click(highPriority_, *priority_);
}

}  // namespace quova
