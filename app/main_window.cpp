#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "app/about_box.h"
#include "app/app_icon.h"
#include "app/app_state.h"
#include "app/bookmark_dialogs.h"
#include "app/command_gate.h"
#include "app/command_line.h"
#include "app/commands.h"
#include "app/display_mode.h"
#include "app/documentation.h"
#include "app/dvd_menu_input.h"
#include "app/end_of_medium.h"
#include "app/glyph_button.h"
#include "app/hint_window.h"
#include "app/menu_state.h"
#include "app/movie_configs.h"
#include "app/mpris.h"
#include "app/open_dialog.h"
#include "app/play_list_commands.h"
#include "app/player_ports.h"
#include "app/popup_menu.h"
#include "app/process_priority.h"
#include "app/properties_command.h"
#include "app/recent_files.h"
#include "app/screen_saver.h"
#include "app/shell_registration.h"
#include "app/subtitle_box.h"
#include "app/text_dialog.h"
#include "app/tips.h"
#include "app/topmost.h"
#include "app/tray_tip.h"
#include "app/video_commands.h"
#include "app/video_window.h"
#include "app/xrandr_display.h"
#include "graph/custom_build.h"
#include "graph/dvd_graph.h"
#include "graph/extraction.h"
#include "graph/filter_chooser.h"
#include "graph/filter_commands.h"
#include "graph/graph_state.h"
#include "graph/message_box.h"
#include "graph/multiple_audio.h"
#include "graph/open_media.h"
#include "lexicon/lexicon.h"
#include "lexicon/menu_template.h"
#include "mediainfo/id3_tag.h"
#include "platform/engine/video_output.h"
#include "platform/engine/video_widget.h"
#include "platform/events/wait.h"
#include "playback/bookmarks.h"
#include "playback/dvd_bookmark_state.h"
#include "playback/dvd_navigation.h"
#include "playback/dvd_pointer.h"
#include "playback/go_to_dialog.h"
#include "playback/media_events.h"
#include "playback/power_events.h"
#include "playback/seek_bar.h"
#include "playback/seek_bar_control.h"
#include "playback/session_saver.h"
#include "playback/transport.h"
#include "playback/volume.h"
#include "text/chapters.h"
#include "text/osd.h"
#include "text/osd_message.h"
#include "text/osd_paint.h"
#include "text/subtitle_adjust_dialog.h"
#include "text/subtitle_commands.h"
#include "text/subtitle_display.h"
#include "text/subtitle_overlay.h"

namespace quova {

namespace {

constexpr int kDesignWidth = 478;
constexpr int kDesignHeight = 340;
// The caption the notification-area tip shows until something is opened.
constexpr const char* kDesignCaption = "Quova Media Player";

struct ControlDesign {
    const char* name;
    const char* glyph;
    int hint;  // lexicon entry, 0 for none
    int tag;
};

// The edge buttons: close, minimise, help and DVD root menu at the top; the
// control bar's six at the bottom (tags 1 to 6).
constexpr ControlDesign kButtons[] = {
    {"Button1", "r", 2000, 0},  {"Button2", "0", 2010, 0}, {"Button3", "s", 2020, 0},
    {"Button4", "9", 2030, 1},  {"Button5", "7", 2040, 2}, {"Button6", "4", 2050, 3},
    {"Button7", "<", 1250, 4},  {"Button8", "8", 2070, 5}, {"Button9", ":", 2080, 6},
    {"Button10", "`", 2090, 0},
};

}  // namespace

TQuovaForm::TQuovaForm(std::vector<std::string> params, std::string exePath, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
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
    layout_ = std::make_unique<VideoWindowLayout>(this, timer1_);
    screenSaver_ = std::make_unique<ScreenSaverControl>();
    priority_ = std::make_unique<ProcessPriority>();
    displayTimer_ = new QTimer(this);
    displayTimer_->setInterval(1000);
    connect(displayTimer_, &QTimer::timeout, this,
            [this] { screenSaver_->KeepDisplayOn(GraphRunning(0)); });
    popup_ = new PopupMenu(menuModel_, this);
    InstallHandlers();
    InstallLayoutHandlers();
    layout_->FormCanResize();
    ports_ = std::make_unique<PlayerPorts>(*this);
    StartSessionSaver();
    new PowerWatcher(this);
    MprisWindow bus;
    bus.Raise = [this] {
        if (tag_ == 0) ToggleVisible();
        show();
        raise();
        activateWindow();
    };
    bus.Quit = [this] { close(); };
    bus.OpenMedia = [this](const std::string& name) { OpenMedia(name); };
    bus.Next = [this] { popup_->Trigger("Next2"); };
    bus.Previous = [this] { popup_->Trigger("Previous1"); };
    mpris_ = new MprisService(std::move(bus), this);
    // Without a session bus the player simply is not offered there.
    mpris_->Connect(QDBusConnection::sessionBus());

    // FormCreate
    timer1_->setInterval(475);
    connect(timer1_, &QTimer::timeout, this, &TQuovaForm::Timer1Timer);
    connect(timer2_, &QTimer::timeout, this, &TQuovaForm::Timer2Timer);
    hintWindow_ = new TQuovaHintWindow(this);
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
                    if (reason == QSystemTrayIcon::DoubleClick) ToggleVisible();
                });
        trayIcon_->show();
    }
    setWindowTitle("Quova");
}

TQuovaForm::~TQuovaForm() {
    if (DisplayModes().Server() == display_.get()) DisplayModes().SetServer(nullptr);
    ReleaseGraph();
    ReleaseFilterChooser();
}

void TQuovaForm::PaintSubtitleBand(QPainter& painter) {
    const GraphSession& g = Graph();
    const QRect picture = g.VideoWindow ? g.VideoWindow->WindowPosition() : QRect();
    const int top = picture.top() + (g.VideoWindow ? picture.height() : 0) + 2;
    painter.fillRect(0, top, width(), std::max(0, height() - top), Qt::black);
    const std::string& text = CurrentSubtitleText;
    if (text.empty()) return;
    const QFont font = SubtitleFont(text);
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(SubtitleColor));
    const int line = QFontMetrics(font).height() + 1;
    int y = top;
    for (const std::string& part : SplitOsdLines(text)) {
        DrawOsdText(painter, width(), 0, y, part);
        y += line;
    }
}

QFont TQuovaForm::SubtitleFont(const std::string& text) const {
    // The text is fitted to the window's width; the OSD's font stays as it is.
    QFont font = osdFont_;
    const int size = FitSubtitleFontSize(text, font.pixelSize(), width(), [&font](int at) {
        QFont f = font;
        f.setPixelSize(at);
        return QFontMetrics(f).horizontalAdvance("Xx");
    });
    font.setPixelSize(std::max(1, size));
    return font;
}

void TQuovaForm::DrawSubtitle(const std::string& text) {
    const Settings& s = AppSettings();
    auto* panel = findChild<QLabel*>("Panel1");
    const GraphSession& g = Graph();
    const QRect picture = g.VideoWindow ? g.VideoWindow->WindowPosition() : QRect();
    const QFont font = SubtitleFont(text);
    const QFontMetrics metrics(font);
    if (s.SubtitlesOnMovie) {
        if (panel) panel->hide();
        // Nothing may draw on the window a video sink owns: the renderer
        // draws the lines into the frames it shows.
        if (!g.VideoWindow) return;
        QPoint at;
        const QImage lines = RenderMovieSubtitle(text, font, picture.top(), picture.width(),
                                                 picture.height(), height(), &at);
        g.VideoWindow->SetOverlay(lines, at);
        return;
    }
    if (s.SubtitlesOverMovie) {
        DrawSubtitleBox(panel, text, font, QColor::fromRgb(SubtitleColor), picture.top(),
                        picture.height(), metrics.height(), metrics.horizontalAdvance('X'));
        return;
    }
    if (panel) panel->hide();
    // The band below the picture is painted with the OSD's text primitives.
    update();
}

void TQuovaForm::ExtractionTimerTick() {
    // Only while an extraction runs; the rest of the tick belongs to playback.
    if (!GraphFlags().ExtractionMode) return;
    if (!ExtractionTick(PlayList(), [this](const std::string& name) { OpenMedia(name); }))
        timer1_->stop();
}

void TQuovaForm::StartSessionSaver() {
    sessionSaver_ = std::make_unique<SessionSaver>();
    sessionTimer_ = new QTimer(this);
    sessionTimer_->setInterval(kSessionSaveIntervalMs);
    connect(sessionTimer_, &QTimer::timeout, this,
            [this] { SaveRunningSessionBookmark(*sessionSaver_); });
    sessionTimer_->start();
}

void TQuovaForm::InstallLayoutHandlers() {
    VideoWindowLayout& v = *layout_;
    VideoWindowHooks& hooks = v.hooks();
    hooks.ShowTip = [this](int tip) { ShowTip(tip); };
    hooks.HeaderSize = [] { return std::pair{Graph().Figures.width, Graph().Figures.height}; };
    hooks.StepOsdFont = [this](int points) {
        Settings& settings = AppSettings();
        // Points at the desktop's 96 dots per inch.
        const int pixels = points * 4 / 3;
        settings.Font.height += settings.Font.height < 0 ? -pixels : pixels;
        MeasureFont();
    };
    hooks.Subtitles = [] {
        const Settings& settings = AppSettings();
        if (!SubtitlesLoaded() || !settings.SubtitlesOn) return SubtitlePlace::None;
        if (settings.SubtitlesOnMovie) return SubtitlePlace::On;
        return settings.SubtitlesOverMovie ? SubtitlePlace::Over : SubtitlePlace::Below;
    };
    hooks.ClearSubtitleArea = [this] { update(); };
    hooks.RedrawSubtitle = [] { ShowSubtitle(CurrentSubtitleText); };

    display_ = std::make_unique<XRandrDisplay>();
    DisplayModeControl& modes = DisplayModes();
    modes.SetServer(display_.get());
    modes.SetReporter([](const std::string& text) { ShowMessage(text, MbIconExclamation); });
    modes.SetYield(ProcessEvents);
    for (QScreen* screen : QGuiApplication::screens())
        connect(screen, &QScreen::geometryChanged, this, [this] { layout_->DisplayChanged(); });
}

void TQuovaForm::LayoutVideo() {
    layout_->LayoutVideo();
}

void TQuovaForm::Button4Click(QPushButton* button) {
    // Hidden and shown again, the button lets go of the focus.
    button->hide();
    button->show();
    RunControlBarCommand(button->property("tag").toInt());
    ShowSeekBar();
}

int TQuovaForm::OsdBandHeight() const {
    const int line = AppSettings().OsdLineHeight + 1;
    const auto lines = SplitOsdLines(OsdMessage).size();
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
    const GraphSession& g = Graph();
    OsdClock clock;
    clock.available = g.MediaKind != MediaKindNone && g.GraphBuilder;
    if (clock.available) {
        clock.position = CurrentPosition();
        clock.duration = g.Duration;
        clock.frameRate = g.FrameRate > 0 ? g.FrameRate : 25.0;
        clock.timeFormat = s.TimeFormat;
    }
    painter.setFont(osdFont_);
    quova::PaintOsd(painter, width(), s.OsdLineHeight, s.OsdOn, OsdMessage, OsdColor, clock);
    // An MP3's ID3 tag, seven lines where the picture would be, in the colour
    // the OSD left.
    if (s.Id3On && HoldsId3Tag(g.Id3TagBuffer)) {
        const auto lines = Id3DisplayLines(g.Id3TagBuffer);
        painter.setPen(QColor::fromRgb(OsdColor));
        for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
            const Id3LineOrigin at = Id3DisplayLineOrigin(i, s.OsdLineHeight);
            DrawOsdText(painter, width(), at.x, at.y, lines[static_cast<size_t>(i)]);
        }
    }
    if (SubtitlesLoaded() && s.SubtitlesOn && !s.SubtitlesOnMovie && !s.SubtitlesOverMovie)
        PaintSubtitleBand(painter);
}

bool& TQuovaForm::OsdOn() {
    return AppSettings().OsdOn;
}

int& TQuovaForm::TimeFormat() {
    return AppSettings().TimeFormat;
}

bool TQuovaForm::DvdOpen() const {
    return Graph().MediaKind == MediaKindDvd;
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
    QFont webdings("Webdings");
    webdings.setPixelSize(12);
    for (const ControlDesign& design : kButtons) {
        auto* button = new GlyphButton(QString::fromUtf8(design.glyph), this);
        button->setObjectName(design.name);
        button->setFont(webdings);
        button->resize(16, 16);
        button->setFocusPolicy(Qt::NoFocus);
        button->setProperty("tag", design.tag);
        button->setProperty("hintEntry", design.hint);
        button->hide();
        connect(button, &QPushButton::clicked, this, [this, button] { ButtonClicked(button); });
        hinted_.push_back(button);
    }

    auto* title = new QLabel(this);
    title->setObjectName("StaticText1");
    title->setAutoFillBackground(true);
    QPalette navy = title->palette();
    navy.setColor(QPalette::Window, QColor(0, 0, 128));
    navy.setColor(QPalette::WindowText, Qt::white);
    title->setPalette(navy);
    title->setFont(QFont("Arial", 11));
    title->setMouseTracking(true);
    title->installEventFilter(this);
    title->hide();
    titleStrip_ = title;

    auto* seekBar = new QSlider(Qt::Horizontal, this);
    seekBar->setObjectName("TrackBar1");
    seekBar->installEventFilter(this);
    seekBar->hide();
    seekBar_ = seekBar;
    seekBarControl_ =
        new SeekBarControl(seekBar, [](double s) { Commands().Run([s] { SeekTo(s); }); });

    auto* volumeBar = new QSlider(Qt::Vertical, this);
    volumeBar->setObjectName("TrackBar3");
    volumeBar->setRange(0, 100);
    volumeBar->setPageStep(10);
    volumeBar->setTickInterval(5);
    volumeBar->setTickPosition(QSlider::TicksRight);
    volumeBar->setGeometry(0, 0, 20, kDesignHeight);
    volumeBar->hide();
    connect(volumeBar, &QSlider::valueChanged, this, &TQuovaForm::TrackBar3Change);
    volumeBar_ = volumeBar;

    auto* panel = new QLabel(this);
    panel->setObjectName("Panel1");
    panel->setWordWrap(true);
    panel->setProperty("hintEntry", 2200);
    panel->hide();
    hinted_.push_back(panel);
    panel_ = panel;

    for (QWidget* control : hinted_) control->installEventFilter(this);

    // A sink drawing into the video window covers whatever the window paints
    // there: the controls over the picture get windows of their own.
    if (engine::ProcessVideoOutput() != engine::VideoOutput::Image)
        for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            control->setAttribute(Qt::WA_NativeWindow);

    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    timer2_ = new QTimer(this);
    timer2_->setObjectName("Timer2");
    timer2_->setInterval(1000);
}

void TQuovaForm::InstallHandlers() {
    PopupMenu& menu = *popup_;
    InstallCommands(*this, menu);
    // Playback1Click: Step is offered where a frame can be stepped.
    if (auto* playback = menu.menu()->findChild<QMenu*>("Playback1"))
        connect(playback, &QMenu::aboutToShow, this, [this] {
            if (MenuItem* step = menuModel_.Find("Step1")) step->enabled = StepAvailable();
            popup_->Sync();
        });
    menu.SetAboutToShow([this] {
        // The user found the menu: the start-up tip is not needed.
        startupTip_.MenuOpened();
        RefreshFiltersMenu();
        ApplyMenuState(menuModel_, ComputeMenuState(MenuInputsNow()));
    });
}

MenuInputs TQuovaForm::MenuInputsNow() const {
    const Settings& s = AppSettings();
    const GraphOptions& flags = GraphFlags();
    const GraphSession& g = Graph();
    const PlayListState& list = CurrentPlayList();
    MenuInputs in;
    const MenuItem* recent = menuModel_.Find("RecentFiles1");
    in.FirstRecentVisible =
        recent && !recent->children.empty() && recent->children.front()->visible;
    in.WindowShown = tag_ != 0;
    in.PreventScreenSaver = s.PreventScreenSaver;
    in.AlwaysOnTop = s.AlwaysOnTop;
    in.PauseOnHide = s.PauseOnHide;
    in.ZoomToWindow = s.ZoomToWindow;
    in.ResizeToMedia = s.ResizeToMedia;
    in.FullScreen = s.FullScreenMode;
    in.SubtitlesOnMovie = s.SubtitlesOnMovie;
    in.SubtitlesOverMovie = s.SubtitlesOverMovie;
    in.ShowHints = s.ShowHints;
    in.CustomRender = flags.CustomRender;
    in.RegisterOnRot = s.RegisterOnRot;
    const ExtractionState& modes = Extraction();
    in.PcmToWav = modes.PcmToWav;
    in.Mp3ToMp3 = modes.Mp3ToMp3;
    in.PcmToMp3 = modes.PcmToMp3;
    in.PcmToOgg = modes.PcmToOgg;
    in.TranscodeToOgm = modes.TranscodeToOgm;
    in.BypassVideo = flags.BypassVideo;
    in.BypassAudio = flags.BypassAudio;
    in.HighPriority = highPriority_;
    in.Force16Bits = s.Force16Bits;
    in.Resolution = s.Resolution;
    in.SaveMru = s.SaveMru;
    in.SaveOnExit = s.SaveOnExit;
    in.SpeedMute = s.SpeedMute;
    in.OsdOn = s.OsdOn;
    in.Id3On = s.Id3On;
    in.SubtitlesOn = s.SubtitlesOn;
    in.SubtitleSounds = s.SubtitleSounds;
    in.ChaptersOnSubtitles = s.ChaptersOnSubtitles;
    in.LoopOn = s.LoopOn;
    in.ControlBarVisible = edges_.ControlBarVisible;
    in.ControlBarWanted = edges_.ControlBarWanted;
    in.ChapterCount = Chapters().ChapterCount;
    in.ZoomFactor = s.ZoomFactor;
    in.RandomList = s.RandomList;
    in.ListCount = list.PlayListCount();
    in.ListIndex = list.PlayListIndex;
    in.MediaKind = g.MediaKind;
    in.HasGraph = g.GraphBuilder != nullptr;
    if (g.GraphBuilder) {
        in.GraphState = static_cast<int>(g.GraphBuilder->GetState(100).value);
        in.Rate = g.GraphBuilder->Rate();
    }
    in.HasVideoWindow = g.VideoWindow != nullptr;
    in.HasBasicAudio = g.BasicAudio;
    in.AudioStreamCount = g.AudioStreamCount;
    in.AviHeaderRead = !g.AviInfoText.empty();
    in.OggStreamRead = !g.OggInfoText.empty();
    if (g.MediaKind == MediaKindDvd) {
        const DvdPlayState& d = DvdState();
        in.DvdInTitle = d.DvdDomain == 3;  // title playback
        in.DvdTitle = static_cast<int>(d.DvdTitle);
        in.DvdTitleCount = static_cast<int>(d.DvdTitleCount);
        in.DvdChapter = static_cast<int>(d.DvdChapter);
        in.DvdChapterCount = static_cast<int>(d.DvdChapterCount);
        in.DvdAngle = static_cast<int>(d.DvdCurrentAngle);
        in.DvdAngleCount = static_cast<int>(d.DvdAngleCount);
        const std::uint32_t u = d.DvdUops;
        in.ChapterPlayForbidden = u & engine::UOP_FLAG_Play_Chapter;
        in.TitlePlayForbidden = u & engine::UOP_FLAG_Play_Title;
        in.AngleForbidden = u & engine::UOP_FLAG_Select_Angle;
        in.TitleMenuForbidden = u & engine::UOP_FLAG_ShowMenu_Title;
        in.RootMenuForbidden = u & engine::UOP_FLAG_ShowMenu_Root;
        in.AudioForbidden = u & engine::UOP_FLAG_Select_Audio_Stream;
        in.SubpictureForbidden = u & engine::UOP_FLAG_Select_SubPic_Stream;
    }
    in.HeaderWidth = g.Figures.width;
    in.HeaderHeight = g.Figures.height;
    in.NativeWidth = g.VideoWidth;
    in.NativeHeight = g.VideoHeight;
    return in;
}

void TQuovaForm::RefreshFiltersMenu() {
    MenuItem* filters = menuModel_.Find("Filters1");
    if (!filters || filters->children.empty()) return;
    const FiltersMenuState state = FiltersMenu();
    filters->enabled = state.enabled;
    if (!state.enabled) return;
    MenuItem* first = filters->children.front();
    for (MenuItem* item : filters->children) item->visible = false;
    for (size_t k = 0; k < state.captions.size(); ++k) {
        MenuItem* item =
            k < filters->children.size() ? filters->children[k] : menuModel_.AddCopy(*first);
        item->caption = state.captions[k];
        item->visible = true;
    }
    popup_->Rebuild();
}

void TQuovaForm::Open1Click() {
    ShowOpenDialog(this, CurrentPlayList(), Opener());
}

void TQuovaForm::ShowTip(int tip) {
    quova::ShowTip(tip);
}

void TQuovaForm::recentn1Click(const MenuItem& item) {
    const std::string name = RecentCaptionToName(item.caption);
    if (!name.empty()) OpenMedia(name);
}

void TQuovaForm::MediaEvent() {
    // Handled at once even inside a command's wait (a wait for a disc's
    // domain to change needs them); on its own it is a command like any,
    // since a report it shows lets other commands in.
    if (Commands().Busy())
        HandleMediaEvents();
    else
        Commands().Run([] { HandleMediaEvents(); });
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
}

void TQuovaForm::SplashTick() {
    if (!aboutBox_) return;
    if (splashTicks_++ == 0) {
        aboutBox_->timer()->stop();
        Commands().Run([this] { InitializeApp(); });
        // Start-up has run, successfully or not: the splash may be closed.
        aboutBox_->okButton()->setEnabled(true);
        show();
        QCoreApplication::processEvents();
        aboutBox_->raise();
        // A medium named on the command line is what the user came for: the
        // splash steps aside at once instead of covering its first pictures.
        if (commandLineOpened_)
            QTimer::singleShot(0, this, &TQuovaForm::SplashTick);
        else
            aboutBox_->timer()->start();
        return;
    }
    show();
    aboutBox_->close();
}

void TQuovaForm::Step(const std::string& name) {
    if (stepObserver_) stepObserver_(name);
}

void TQuovaForm::InitializeApp() {
    Settings& settings = AppSettings();
    try {
        SetApplicationTitle("Quova Media Player");
        settings.ProgramVersion = BuildProgramVersion();
        settings.ExePath = exePath_;

        // The desktop's mode, kept for the restore at the end; a mode that an
        // earlier run left changed is put back first.
        const QPoint centre = frameGeometry().center();
        display_->SetPoint(centre.x(), centre.y());
        display_->RestoreAbandoned();
        DisplayModes().CaptureDisplayMode();

        LoadSettings(settings, *this);
        settingsLoaded_ = true;
        Step("settings");

        if (ShellRegistrationNeeded(settings.StoredVersion, settings.StoredExePath,
                                    settings.ProgramVersion, settings.ExePath))
            RegisterWithShell(settings.ExePath);
        Step("shell registration");

        std::srand(static_cast<unsigned>(std::time(nullptr)));
        setAcceptDrops(true);

        screenSaver_->SaveScreenSaverState();
        screenSaver_->SuppressScreenSaver(settings.PreventScreenSaver);
        displayTimer_->start();

        LoadMenuTemplates(menuModel_.TemplateItems(), settings.ExePath, LanguageCode());
        popup_->Sync();
        Step("templates");

        for (QWidget* control : hinted_) {
            const int entry = control->property("hintEntry").toInt();
            if (entry > 0) control->setToolTip(QString::fromStdString(Lex(entry)));
        }
        Step("hints");

        ApplySwitches(params_, settings);
        Step("switches");

        // The window takes the full-screen or windowed form the settings ask for.
        layout_->FormCanResize();
        layout_->FirstPlacement();
        Step("first placement");

        for (const StartupAction& action : StartupActions(params_)) {
            if (action.kind == StartupAction::Kind::Open) {
                // Opens are let through for the command line only. The splash
                // may close during the open; its count is kept.
                const int saved = OpenCounter;
                OpenCounter = 0;
                OpenMedia(action.file);
                commandLineOpened_ = true;
                OpenCounter += saved;
            } else {
                settings.ZoomFactor = action.zoom;
                layout_->LayoutVideo();
            }
        }
        Step("command line");

        if (aboutBox_ && aboutBox_->isVisible()) aboutBox_->raise();
    } catch (const std::exception& e) {
        ShowCaptionedMessage(e.what(), "Quova:InitializeApp", MbIconExclamation);
    }
}

void TQuovaForm::FinalizeApp() {
    Settings& settings = AppSettings();
    DisplayModes().Restore();
    displayTimer_->stop();
    screenSaver_->KeepDisplayOn(false);
    screenSaver_->RestoreScreenSaver(settings.PreventScreenSaver);
    // Settings that were never (or only partly) loaded would overwrite the
    // user's stored ones with start values, the recent files with nothing.
    if (!settingsLoaded_) return;
    try {
        SaveSettings(settings, *this, InFullScreen());
        SaveRecentFiles(settings);
    } catch (const std::exception& e) {
        ShowCaptionedMessage(e.what(), "Quova:FinalizeApp", MbIconExclamation);
    }
}

bool TQuovaForm::InFullScreen() const {
    return AppSettings().FullScreenMode;
}

void TQuovaForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layout_->FormResize();
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
    const Settings& settings = AppSettings();
    const std::string text =
        "Quova " + settings.ProgramVersion + " - " + "Quova Media Player\n" +
        "Free software, without any warranty: see About.\n" +
        "subtitles (.sub && .srt) and chapters (mdvd.ini) support\n" +
        "multi audio stream support on avi/ogg media\n" + "\n" + "keyboard:\n" +
        "see menu shortcuts ...\n" + "\n" + "mouse:\n" +
        "left-click && drag to move window; wheel - volume up/down \n" +
        "double-click - fullscreen on/off; right-click - menu\n" + "\n" + "command line:\n" +
        "format: quova [moviefile] [/fs] [/zoomtowin] [[/1][/2]|[/3]] [/noosd]\n" +
        "switches: /fs - fullscreen; /1, /2, /3 - zoom 1x, 2x, 3x;\n" +
        " /zoomtowin - zoom to window;";
    ShowTextDialog(text, "Quova Keyboard/Mouse/Commandline Help");
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
    const GraphSession& g = Graph();
    if (!g.GraphBuilder) return false;
    const engine::Outcome<engine::GraphState> state = g.GraphBuilder->GetState(timeoutMs);
    return state.value == engine::GraphState::Running;
}

void TQuovaForm::SessionEnd() {
    // The termination watcher has dismissed any box or dialog that would hold
    // the close back.
    SessionEnding = true;
    QTimer::singleShot(0, this, [this] { close(); });
}

void TQuovaForm::closeEvent(QCloseEvent* event) {
    // The wait below handles events; a second close request meanwhile waits
    // for the first one's outcome.
    if (closing_) {
        event->ignore();
        return;
    }
    // Closing releases the graph: a command under way (perhaps waiting, with
    // the graph in hand) finishes first.
    if (Commands().Busy() && !closeNow_) {
        event->ignore();
        Commands().Run([this] {
            closeNow_ = true;
            close();
            closeNow_ = false;
        });
        return;
    }
    // The window manager's close (Alt+F4) hides to the notification area.
    if (event->spontaneous() && trayIcon_ && !SessionEnding) {
        event->ignore();
        ToggleVisible();
        return;
    }
    closing_ = true;
    const bool timerWasRunning = timer1_->isActive();
    timer1_->stop();
    Wait(100);
    if (!SessionEnding && tag_ == 0 && ShowMessage(Lex(1270), MbYesNo | MbIconQuestion) == IdNo) {
        // Staying: polling resumes where it was.
        if (timerWasRunning) timer1_->start();
        closing_ = false;
        event->ignore();
        return;
    }
    if (trayIcon_) trayIcon_->hide();
    setAcceptDrops(false);
    StopAndClearGraph();
    ReleaseGraph();
    closing_ = false;
    event->accept();
    Q_EMIT Closed();
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
    if (!names.empty()) Commands().Run([this, names] { DroppedFiles(names); });
}

void TQuovaForm::DroppedFiles(const std::vector<std::string>& names) {
    LoadDroppedFiles(CurrentPlayList(), names, Opener());
}

void TQuovaForm::OpenMedia(const std::string& name) {
    if (OpenCounter < 0) return;
    if (mediaOpener_)
        mediaOpener_(name);
    else
        quova::OpenMedia(name);
}

void TQuovaForm::HandOverReceived(const std::string& name) {
    Commands().Run([this, name] {
        // Only a file is opened: a folder or a name that is gone is ignored.
        std::error_code ec;
        if (std::filesystem::exists(name, ec) && !std::filesystem::is_directory(name, ec))
            OpenMedia(name);
        if (isVisible()) {
            raise();
            activateWindow();
        }
    });
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
        if (AppSettings().PauseOnHide && GraphRunning(100)) Graph().GraphBuilder->Pause();
    }
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

namespace {

// The keys a focused seek bar moves with: a page either way, the start, the end.
bool SeekBarKeepsKey(const QKeyEvent& key) {
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    switch (key.key()) {
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool TQuovaForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        // Hints show in the program's own hint window, or not at all.
        const auto* control = qobject_cast<QWidget*>(watched);
        if (showHints_ && control) hintWindow_->ShowHint(control->toolTip(), x(), y());
        return true;
    }
    if (event->type() == QEvent::Leave && hintWindow_) hintWindow_->ShowHint(QString(), x(), y());
    if (watched == titleStrip_ && StripEvent(event)) return true;
    if (watched == panel_ &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove ||
         event->type() == QEvent::MouseButtonRelease)) {
        if (SubtitleBoxMouse(static_cast<QMouseEvent*>(event))) ShowSubtitle(CurrentSubtitleText);
        return true;
    }
    if (watched == seekBar_ && event->type() == QEvent::ShortcutOverride &&
        SeekBarKeepsKey(*static_cast<QKeyEvent*>(event))) {
        // The focused seek bar moves with these keys; a menu key must not
        // take them away from it.
        event->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
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

// --- Volume

void TQuovaForm::ShowVolume() {
    const QSignalBlocker quiet(volumeBar_);
    volumeBar_->setValue(VolumeBarPosition(AppSettings().Volume));
    PaintOsdNow();
}

void TQuovaForm::TrackBar2Click() {
    if (!Graph().GraphBuilder) return;
    ControlBarVisible = !ControlBarVisible;
    if (ControlBarVisible) layout_->PlaceSeekBar();
    for (const char* name :
         {"TrackBar1", "Button4", "Button5", "Button6", "Button7", "Button8", "Button9"}) {
        if (auto* control = findChild<QWidget*>(name, Qt::FindDirectChildrenOnly)) {
            control->setVisible(ControlBarVisible);
            if (ControlBarVisible) control->raise();
        }
    }
    ControlBarWanted = ControlBarVisible;
    if (SubtitlesLoaded() && AppSettings().SubtitlesOn) ShowSubtitle(CurrentSubtitleText);
}

void TQuovaForm::TrackBar3Change(int position) {
    quova::TrackBar3Change(position, AppSettings().Volume);
    PaintOsdNow();
}

void TQuovaForm::wheelEvent(QWheelEvent* event) {
    const bool held = event->modifiers() != Qt::NoModifier || event->buttons() != Qt::NoButton;
    const int steps = WheelVolumeSteps(event->angleDelta().y(), held);
    if (steps != 0 && ChangeVolume(steps, AppSettings().Volume)) {
        const QSignalBlocker quiet(volumeBar_);
        volumeBar_->setValue(VolumeBarPosition(AppSettings().Volume));
        PaintOsdNow();
    }
    // Not marked handled.
    event->ignore();
}

// --- Polling

void TQuovaForm::Timer1Timer() {
    // A tick that comes while a command waits shows where things are, but
    // leaves the steps that wait and change the graph (the end of a medium,
    // the fast scan, the extraction's next file) to a later tick.
    const bool free = !Commands().Busy();
    TransportTick tick;
    PollingBlocks blocks;
    // While an extraction runs its own duties replace playback's: the
    // progress, and at each end the next file or the completion.
    const bool extracting = GraphFlags().ExtractionMode && Graph().ExtractionReady;
    blocks.startupTip = [this] {
        if (startupTip_.Tick(Graph().MediaKind == MediaKindNone)) ShowRandomTip();
    };
    blocks.blockA = [this, &tick, extracting] {
        if (!Graph().GraphBuilder || extracting) return;
        tick = PollTransport();
        PointerNudgeDuty(tick);
        TimerBlockA(tick);
    };
    blocks.blockB = [this, &tick, extracting, free] {
        if (extracting) {
            if (free) ExtractionTimerTick();
            return;
        }
        if (!Graph().GraphBuilder) return;
        if (free && !EndOfMediumDuty(tick)) FastScanDuty(tick);
        DvdCompleteDuty();
        const Settings& s = AppSettings();
        if (Graph().VideoWindow && s.SubtitlesOn && tick.state == engine::GraphState::Running) {
            if (SubtitlesLoaded()) ShowSubtitleDueNow();
        }
    };
    blocks.blockC = [this, extracting] {
        if (AppSettings().OsdOn) PaintOsdNow();
        // The progress stays up however long a percent takes.
        if (extracting) return;
        OsdExpiryTick();
        mpris_->Refresh();
    };
    blocks.report = [](const std::string& text) { ShowMessage(text, MbIconStop); };
    if (free)
        Commands().Run([this, &blocks] { tick_.Run(blocks); });
    else
        tick_.Run(blocks);
}

void TQuovaForm::TimerBlockA(const TransportTick& tick) {
    GraphSession& g = Graph();
    const bool running = tick.state == engine::GraphState::Running;
    // Pausing or stopping lets the screen saver back at once.
    screenSaver_->KeepDisplayOn(running);
    seekBarControl_->TimerUpdate(tick.position, g.Duration);
    // The play button is up exactly while the control bar is shown.
    if (QPushButton* play = Button("Button6"); play && play->isVisible())
        play->setText(QString::fromUtf8(PlayPauseGlyph(tick.state)));
    if (g.VideoWindow) {
        const bool hide = PointerHiddenOverPicture(g.MediaKind, DvdState().DvdDomain,
                                                   tick.state == engine::GraphState::Stopped);
        if (hide != g.VideoWindow->IsCursorHidden()) g.VideoWindow->HideCursor(hide);
    }
}

void TQuovaForm::ContinuePlayList() {
    EndOptions options;
    options.extractionMode = GraphFlags().ExtractionMode;
    options.random = AppSettings().RandomList;
    options.loop = AppSettings().LoopOn;
    AfterEndSteps steps;
    steps.rewind = [] { SeekTo(0); };
    steps.stopTimer1 = [this] { timer1_->stop(); };
    steps.open = Opener();
    ContinueAfterEnd(CurrentPlayList(), options, steps);
    screenSaver_->KeepDisplayOn(false);
}

void TQuovaForm::Timer2Timer() {
    const HideTick tick = Timer2Tick(edges_);
    if (tick.hideControlBar) ShowControlBar(false);
    if (tick.hideVolumeBar) volumeBar_->hide();
    if (!tick.keepTimer) timer2_->stop();
}

// --- Edge controls

QPushButton* TQuovaForm::Button(const char* name) const {
    return findChild<QPushButton*>(name);
}

void TQuovaForm::ShowSeekBar() {
    layout_->PlaceSeekBar();
    seekBar_->show();
    seekBar_->raise();
    seekBar_->setFocus();
    SeekBarShown(edges_);
    timer2_->start();
}

void TQuovaForm::ShowControlBar(bool on) {
    static const char* const kBar[] = {"Button4", "Button5", "Button6",
                                       "Button7", "Button8", "Button9"};
    if (on) {
        if (!ControlBarCanShow(edges_, Graph().Duration)) return;
        ShowSeekBar();
        int left = seekBar_->geometry().right() + 1 + 4;
        for (const char* name : kBar) {
            QPushButton* button = Button(name);
            button->move(left, height() - button->height());
            left += button->width();
            button->show();
            button->raise();
        }
    } else {
        edges_.SeekBarVisible = false;
        seekBar_->hide();
        seekBar_->lower();
        for (const char* name : kBar) Button(name)->hide();
    }
}

void TQuovaForm::ShowTopStrip() {
    const bool dvd = Graph().MediaKind == MediaKindDvd;
    int right = width();
    for (const char* name : {"Button1", "Button2", "Button3", "Button10"}) {
        QPushButton* button = Button(name);
        QFont plain = button->font();
        plain.setBold(false);
        plain.setItalic(false);
        button->setFont(plain);
        if (std::string(name) == "Button10" && !dvd) continue;
        right -= button->width();
        button->move(right, 0);
        button->show();
    }
    const std::string name = std::filesystem::path(Graph().CurrentMediaName).filename().string();
    const QString text = QString::fromStdString(name);
    titleStrip_->setGeometry(0, 0, width(), 16);
    titleStrip_->setText(text);
    // The name shrinks until it fits the strip left of the buttons.
    const int room = right;
    QFont font = titleStrip_->font();
    int size = 11;
    font.setPointSize(size);
    while (size > 1) {
        const QFontMetrics metrics(font);
        if (metrics.height() <= 16 && metrics.horizontalAdvance(text) <= room) break;
        font.setPointSize(--size);
    }
    titleStrip_->setFont(font);
    titleStrip_->show();
    titleStrip_->raise();
    for (const char* name : {"Button1", "Button2", "Button3", "Button10"})
        if (Button(name)->isVisible()) Button(name)->raise();
}

void TQuovaForm::HideTopStrip() {
    for (const char* name : {"Button1", "Button2", "Button3", "Button10"}) Button(name)->hide();
    titleStrip_->hide();
    PaintOsdNow();
}

void TQuovaForm::ButtonClicked(QPushButton* button) {
    Commands().Run([this, button = QPointer<QPushButton>(button)] {
        if (button) RunButton(button);
    });
}

void TQuovaForm::RunButton(QPushButton* button) {
    const std::string name = button->objectName().toStdString();
    if (name != "Button4" && name != "Button5" && name != "Button6" && name != "Button7" &&
        name != "Button8" && name != "Button9") {
        // Shown again so it does not keep the focus frame.
        button->hide();
        button->show();
    }
    if (name == "Button1") {
        close();
    } else if (name == "Button2") {
        ownMinimize_ = true;
        showMinimized();
    } else if (name == "Button3") {
        Help1Click();
    } else if (name == "Button10") {
        popup_->Trigger("Root1");
    } else {
        Button4Click(button);
    }
}

// --- Mouse and keys

void TQuovaForm::mouseMoveEvent(QMouseEvent* event) {
    if (aboutBox_ && aboutBox_->isVisible()) return;
    const QPoint p = event->position().toPoint();
    if (drag_.Dragging) {
        DragMove(this, p.x(), p.y());
        return;
    }
    setFocus();
    if (Graph().MediaKind == MediaKindDvd && DvdState().DvdDomain != kDvdTitleDomain) {
        // A disc menu: the button under the pointer is selected.
        const bool button = SelectDvdButtonAt(p);
        setCursor(button ? Qt::PointingHandCursor : Qt::ArrowCursor);
        Wait(button ? 200 : 100);
    }
    const EdgeChanges changes = PointerMoved(edges_, p.x(), p.y(), height(), Geometry().VideoTop);
    if (changes.showTopStrip) ShowTopStrip();
    if (changes.hideTopStrip) HideTopStrip();
    if (changes.volumeBarShown) {
        const QSignalBlocker quiet(volumeBar_);
        volumeBar_->setValue(VolumeBarPosition(AppSettings().Volume));
        volumeBar_->show();
        volumeBar_->raise();
    }
    if (changes.volumeBarHidden) {
        volumeBar_->hide();
        volumeBar_->lower();
    }
    if (changes.timer2) timer2_->start();
    if (changes.showControlBar) ShowControlBar(true);
    if (changes.hideControlBar) ShowControlBar(false);
}

void TQuovaForm::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    const QPoint p = event->position().toPoint();
    if (Graph().MediaKind == MediaKindDvd) {
        // A click on a disc menu while a command is under way is dropped: the
        // menu it aimed at may be gone by the time the command ends.
        if (Commands().Busy()) return;
        bool activated = false;
        Commands().Run([this, p, &activated] {
            activated = ActivateDvdButtonAt(p);
            if (!activated) return;
            setCursor(Qt::WaitCursor);
            Wait(500);
        });
        if (activated) return;
    }
    if (DragStarts(event->buttons() == Qt::LeftButton, event->modifiers() != Qt::NoModifier, false,
                   InFullScreen()))
        BeginDrag(this, p.x(), p.y());
}

void TQuovaForm::mouseReleaseEvent(QMouseEvent* event) {
    if (drag_.Dragging) EndDrag(this);
    QWidget::mouseReleaseEvent(event);
}

void TQuovaForm::mouseDoubleClickEvent(QMouseEvent*) {
    // The second press of a double click never drags.
    if (drag_.Dragging) EndDrag(this);
    popup_->Trigger("FullScreen1");
}

void TQuovaForm::keyPressEvent(QKeyEvent* event) {
    if (event->text() == "+")
        popup_->Trigger("ZoomIn1");
    else if (event->text() == "-")
        popup_->Trigger("ZoomOut1");
    else
        QWidget::keyPressEvent(event);
}

void TQuovaForm::keyReleaseEvent(QKeyEvent* event) {
    if (const auto key = DvdMenuKeyFor(event->key(), event->modifiers() == Qt::ShiftModifier,
                                       Graph().MediaKind == MediaKindDvd))
        Commands().Run([this, key = *key] { PressDvdMenuKey(key); });
    QWidget::keyReleaseEvent(event);
}

void TQuovaForm::BeginDrag(QWidget* control, int x, int y) {
    const QPoint origin = control == this ? pos() : control->mapToGlobal(QPoint(0, 0));
    drag_.Begin(x, y, origin.x(), origin.y());
    // Window positions, not the control's, are what the move keeps.
    drag_.DragStartLeft = pos().x();
    drag_.DragStartTop = pos().y();
    control->grabMouse();
}

void TQuovaForm::DragMove(QWidget* control, int x, int y) {
    if (QWidget::mouseGrabber() != control) return;
    const QPoint origin = control == this ? pos() : control->mapToGlobal(QPoint(0, 0));
    const WindowDrag::Point to = drag_.Move(x, y, origin.x(), origin.y());
    move(to.left, to.top);
}

void TQuovaForm::EndDrag(QWidget* control) {
    if (QWidget::mouseGrabber() == control) control->releaseMouse();
    drag_.End();
}

bool TQuovaForm::StripEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && mouse->buttons() == Qt::LeftButton &&
                mouse->modifiers() == Qt::NoModifier && !InFullScreen()) {
                const QPoint p = mouse->position().toPoint();
                BeginDrag(titleStrip_, p.x(), p.y());
                return true;
            }
            return false;
        }
        case QEvent::MouseMove: {
            if (!drag_.Dragging) return false;
            const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
            DragMove(titleStrip_, p.x(), p.y());
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (!drag_.Dragging) return false;
            EndDrag(titleStrip_);
            return true;
        case QEvent::MouseButtonDblClick:
            if (drag_.Dragging) EndDrag(titleStrip_);
            Open1Click();
            return true;
        default:
            return false;
    }
}

// --- Notification area

void TQuovaForm::UpdateTrayTip() {
    if (trayIcon_)
        trayIcon_->setToolTip(QString::fromStdString(TrayTip(windowTitle().toStdString())));
}

void TQuovaForm::PauseOnHide1Click() {
    bool& on = AppSettings().PauseOnHide;
    on = !on;
}

}  // namespace quova
