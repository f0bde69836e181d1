#include "app/video_window.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <cmath>

#include "app/display_mode.h"
#include "app/settings.h"
#include "app/video_commands.h"
#include "graph/graph_state.h"
#include "playback/player_session.h"
#include "playback/seek_bar_control.h"
#include "text/text_session.h"

namespace quova {

namespace {

QRect ToQRect(const PlacementRect& r) {
    return QRect(r.x, r.y, r.width, r.height);
}

}  // namespace

VideoWindowLayout::VideoWindowLayout(PlayerSession& session, QWidget* window, QTimer* timer1,
                                     VideoWindowHost& host)
    : session_(session), window_(window), timer1_(timer1), host_(host) {}

QWidget* VideoWindowLayout::child(const char* name) const {
    return window_->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
}
QSlider* VideoWindowLayout::seekBar() const {
    return window_->findChild<QSlider*>("TrackBar1", Qt::FindDirectChildrenOnly);
}
QSlider* VideoWindowLayout::volumeBar() const {
    return window_->findChild<QSlider*>("TrackBar3", Qt::FindDirectChildrenOnly);
}

void VideoWindowLayout::MeasureFrame() {
    VideoGeometry& geo = geometry_;
    const QRect outer = window_->frameGeometry();
    geo.FrameWidth = outer.width() - window_->width();
    geo.FrameHeight = outer.height() - window_->height();
}

LayoutState VideoWindowLayout::State() const {
    const Settings& settings = AppSettings();
    const VideoGeometry& geo = geometry_;
    const GraphSession& g = session_.graph;
    LayoutState s;
    s.zoom = settings.ZoomFactor;
    s.aspect = geo.AspectFactor;
    s.panX = geo.PanX;
    s.panY = geo.PanY;
    s.cropX = geo.CropX;
    s.cropY = geo.CropY;
    s.sourceWidth = g.SourceWidth;
    s.sourceHeight = g.SourceHeight;
    s.zoomToWindow = settings.ZoomToWindow;
    s.resizeToMedia = settings.ResizeToMedia;
    s.fullScreen = settings.FullScreenMode;
    s.osdOn = settings.OsdOn;
    s.subtitles = host_.SubtitlePlacement();
    s.osdLineHeight = settings.OsdLineHeight;
    s.graphOpen = g.GraphBuilder != nullptr;
    s.hasVideoWindow = g.VideoWindow != nullptr;
    s.windowWidth = window_->width() + geo.FrameWidth;
    s.windowHeight = window_->height() + geo.FrameHeight;
    s.frameWidth = geo.FrameWidth;
    s.frameHeight = geo.FrameHeight;
    return s;
}

void VideoWindowLayout::LayoutVideo() {
    VideoGeometry& geo = geometry_;
    if (geo.LayoutBusy) return;
    geo.LayoutBusy = true;
    try {
        MeasureFrame();
        host_.ClearOsdLine();
        const LayoutState state = State();
        if (state.subtitles != SubtitlePlace::None) host_.ClearSubtitleArea();
        const Placement p = quova::LayoutVideo(state);
        AppSettings().ZoomFactor = p.zoom;
        geo.VideoTop = p.videoTop;
        if (p.resizeWindow)
            window_->resize(p.windowWidth - geo.FrameWidth, p.windowHeight - geo.FrameHeight);
        const auto& video = session_.graph.VideoWindow;
        if (video && !p.failed) {
            if (p.placed) {
                video->SetWindowPosition(ToQRect(p.video));
                if (p.crop) {
                    video->SetSourcePosition(ToQRect(p.source));
                    video->SetDestinationPosition(ToQRect(p.destination));
                } else {
                    video->SetDefaultSourcePosition();
                    video->SetDefaultDestinationPosition();
                }
                const int top = window_->mapToGlobal(QPoint(0, video->Top())).y();
                geo.VideoTop = top - window_->frameGeometry().top() - geo.FrameHeight;
                video->SetVisible(true);
            } else {
                video->SetVisible(false);
            }
        }
        if (state.graphOpen && state.subtitles != SubtitlePlace::None) host_.RedrawSubtitle();
        if (QSlider* volume = volumeBar())
            volume->setGeometry(0, p.volumeTop, volume->width(), p.volumeHeight);
    } catch (...) {
        // The placement stays as it was.
    }
    geo.LayoutBusy = false;
}

void VideoWindowLayout::PlaceSeekBar() {
    QSlider* bar = seekBar();
    if (!bar) return;
    const QWidget* first = child("Button4");
    const int buttonWidth = first ? first->width() : 16;
    const SeekBarPlace place = quova::PlaceSeekBar(window_->width(), buttonWidth);
    bar->setGeometry(place.left, window_->height() - bar->height(), std::max(0, place.width),
                     bar->height());
    bar->raise();
    int x = bar->geometry().right() + 1;
    for (const char* name : {"Button4", "Button5", "Button6", "Button7", "Button8", "Button9"}) {
        if (QWidget* button = child(name)) {
            button->move(x, bar->y());
            x += button->width();
        }
    }
}

void VideoWindowLayout::SetupSeekBar() {
    if (QSlider* bar = seekBar()) SetupSeekBarRange(*bar, session_.graph.Duration);
    PlaceSeekBar();
}

void VideoWindowLayout::SetAspect(double factor) {
    QSlider* bar = seekBar();
    const bool shown = bar && bar->isVisible();
    if (shown) bar->hide();
    geometry_.AspectFactor = factor;
    LayoutVideo();
    if (shown) {
        PlaceSeekBar();
        bar->show();
        bar->setFocus();
    }
}

void VideoWindowLayout::FormResize() {
    QSlider* bar = seekBar();
    const bool controlBar = bar && bar->isVisible();
    if (controlBar) bar->hide();
    LayoutVideo();
    int right = window_->width() - 1;
    for (const char* name : {"Button1", "Button2", "Button3", "Button10"}) {
        if (QWidget* button = child(name)) {
            right -= button->width();
            button->move(right, button->y());
        }
    }
    if (controlBar) {
        PlaceSeekBar();
        bar->show();
    }
}

void VideoWindowLayout::FormCanResize() {
    MeasureFrame();
    const VideoGeometry& geo = geometry_;
    const WindowSize least = quova::FormCanResize({0, 0});
    window_->setMinimumSize(std::max(0, least.width - geo.FrameWidth),
                            std::max(0, least.height - geo.FrameHeight));
}

void VideoWindowLayout::DisplayChanged() {
    DisplayModes().DisplayChanged();
}

void VideoWindowLayout::ShowStatus(const std::string& text) {
    session_.osdMessage = text;
    if (AppSettings().OsdOn) host_.PaintOsd();
}

void VideoWindowLayout::ZoomTo(double zoom, bool resetPan) {
    const Settings& settings = AppSettings();
    if (!ZoomCommandsAllowed(settings.ZoomToWindow, settings.ResizeToMedia)) return;
    AppSettings().ZoomFactor = zoom;
    if (resetPan) geometry_.PanX = geometry_.PanY = 0;
    LayoutVideo();
    ShowStatus(ZoomOsdText(AppSettings().ZoomFactor));
    PlaceSeekBar();
}

void VideoWindowLayout::N1x1Click(int tag) {
    ZoomTo(tag / 10.0, true);
}
void VideoWindowLayout::ZoomIn1Click() {
    ZoomTo(ZoomedIn(AppSettings().ZoomFactor), false);
}
void VideoWindowLayout::ZoomOut1Click() {
    ZoomTo(ZoomedOut(AppSettings().ZoomFactor), false);
}

void VideoWindowLayout::ZoomToWindow1Click() {
    host_.ShowTip(13);
    bool& on = AppSettings().ZoomToWindow;
    on = !on;
    LayoutVideo();
    ShowStatus(on ? "zoom to window: on" : "zoom to window: off");
    PlaceSeekBar();
}

void VideoWindowLayout::ResizetoMedia1Click() {
    host_.ShowTip(14);
    bool& on = AppSettings().ResizeToMedia;
    on = !on;
    LayoutVideo();
    ShowStatus(on ? "resize to media: on" : "resize to media: off");
    PlaceSeekBar();
}

void VideoWindowLayout::Up1Click(int tag) {
    const GraphSession& g = session_.graph;
    if (!g.GraphBuilder || !g.VideoWindow) return;
    QSlider* bar = seekBar();
    const bool shown = bar && bar->isVisible();
    if (shown) bar->hide();
    VideoGeometry& geo = geometry_;
    auto& video = *g.VideoWindow;
    switch (tag) {
        case 1:
            video.SetTop(video.Top() - 10);
            geo.PanY -= 10;
            break;
        case 2:
            video.SetTop(video.Top() + 10);
            geo.PanY += 10;
            break;
        case 3:
            video.SetLeft(video.Left() - 10);
            geo.PanX -= 10;
            break;
        case 4:
            video.SetLeft(video.Left() + 10);
            geo.PanX += 10;
            break;
        default:
            break;
    }
    MeasureFrame();
    geo.VideoTop = window_->mapToGlobal(QPoint(0, video.Top())).y() -
                   window_->frameGeometry().top() - geo.FrameHeight;
    LayoutVideo();
    session_.osdMessage = "panning";
    if (shown) {
        PlaceSeekBar();
        bar->show();
    }
}

void VideoWindowLayout::FillScreen1Click() {
    const QScreen* screen = window_->screen();
    if (!screen) return;
    const GraphSession& g = session_.graph;
    if (auto f = AspectFor(screen->geometry().width(), screen->geometry().height(), g.SourceWidth,
                           g.SourceHeight))
        SetAspect(*f);
}

void VideoWindowLayout::Window1Click() {
    const QRect outer = window_->frameGeometry();
    const GraphSession& g = session_.graph;
    if (auto f = AspectFor(outer.width(), outer.height(), g.SourceWidth, g.SourceHeight))
        SetAspect(*f);
}

void VideoWindowLayout::Header1Click() {
    const auto [width, height] = host_.HeaderSize();
    const GraphSession& g = session_.graph;
    if (auto f = HeaderAspect(width, height, g.VideoWidth, g.VideoHeight)) SetAspect(*f);
}

void VideoWindowLayout::StretchWidth1Click() {
    SetAspect(StretchedWidth(geometry_.AspectFactor));
}
void VideoWindowLayout::CompressWidth1Click() {
    SetAspect(CompressedWidth(geometry_.AspectFactor));
}
void VideoWindowLayout::DoubleHeight1Click() {
    SetAspect(geometry_.AspectFactor / 2);
}
void VideoWindowLayout::HalfHeight1Click() {
    SetAspect(geometry_.AspectFactor * 2);
}
void VideoWindowLayout::Revert169431Click() {
    SetAspect(kRevert169To43);
}
void VideoWindowLayout::Revert431691Click() {
    SetAspect(kRevert43To169);
}

void VideoWindowLayout::Original2Click() {
    geometry_.CropX = geometry_.CropY = 0;
    ApplyCrop();
}
void VideoWindowLayout::Crop2Click() {
    ++geometry_.CropY;
    ApplyCrop();
}
void VideoWindowLayout::Uncrop1Click() {
    --geometry_.CropY;
    ApplyCrop();
}
void VideoWindowLayout::Crop3Click() {
    ++geometry_.CropX;
    ApplyCrop();
}
void VideoWindowLayout::Uncrop2Click() {
    --geometry_.CropX;
    ApplyCrop();
}

void VideoWindowLayout::ApplyCrop() {
    GraphSession& g = session_.graph;
    if (!g.VideoWindow) return;
    VideoGeometry& geo = geometry_;
    const CropResult r = ClampCrop(geo.CropX, geo.CropY, g.VideoWidth, g.VideoHeight);
    geo.CropX = r.cropX;
    geo.CropY = r.cropY;
    g.SourceWidth = r.sourceWidth;
    g.SourceHeight = r.sourceHeight;
    LayoutVideo();
    ShowStatus(CropOsdText(geo.CropX, geo.CropY));
    PlaceSeekBar();
}

void VideoWindowLayout::ToggleFullScreen() {
    Settings& settings = AppSettings();
    if (!settings.FullScreenMode) {
        MeasureFrame();
        VideoGeometry& geo = geometry_;
        geo.PrevLeft = window_->x();
        geo.PrevTop = window_->y();
        geo.PrevWidth = window_->frameGeometry().width() - geo.FrameWidth;
        geo.PrevHeight = window_->frameGeometry().height() - geo.FrameHeight;
    }
    settings.FullScreenMode = !settings.FullScreenMode;
    ApplyFullScreen();
}

void VideoWindowLayout::ApplyFullScreen() {
    const Settings& settings = AppSettings();
    const bool timerWasRunning = timer1_ && timer1_->isActive();
    if (timerWasRunning) timer1_->stop();
    QSlider* bar = seekBar();
    const bool seekShown = bar && bar->isVisible();
    if (seekShown) bar->hide();
    if (QSlider* volume = volumeBar()) volume->hide();
    window_->setAcceptDrops(false);
    if (session_.graph.VideoWindow) session_.graph.VideoWindow->SetVisible(false);

    // A mode the program set goes back whenever no mode option asks for one
    // any more, not only while one does: turning the option off, or leaving
    // full screen after that, must not strand the desktop in the lower mode.
    const bool modeChange = settings.Resolution != 0 || settings.Force16Bits;
    VideoGeometry& geo = geometry_;
    if (settings.FullScreenMode) {
        if (modeChange)
            DisplayModes().SetDisplayMode(true, settings.Resolution, settings.Force16Bits);
        else
            DisplayModes().SetDisplayMode(false, 0, false);
        MeasureFrame();
        const QScreen* screen = window_->screen();
        const QRect area = screen ? screen->geometry() : QRect(0, 0, 640, 480);
        // The state tells a window manager to keep panels off it; the
        // geometry does it where there is none.
        window_->setWindowState(window_->windowState() | Qt::WindowFullScreen);
        window_->move(area.topLeft());
        window_->resize(area.width() - geo.FrameWidth, area.height() - geo.FrameHeight);
    } else {
        DisplayModes().SetDisplayMode(false, 0, false);
        window_->setWindowState(window_->windowState() & ~Qt::WindowFullScreen);
        MeasureFrame();
        window_->move(geo.PrevLeft, geo.PrevTop);
        window_->resize(geo.PrevWidth, geo.PrevHeight);
    }
    // A size that did not change brings no resize: the picture is shown again here.
    if (window_->isVisible()) LayoutVideo();

    window_->setAcceptDrops(true);
    if (seekShown) {
        PlaceSeekBar();
        bar->show();
        bar->setFocus();
    }
    if (timerWasRunning) timer1_->start();
}

void VideoWindowLayout::FullScreen1Click() {
    ToggleFullScreen();
    host_.StepOsdFont(AppSettings().FullScreenMode ? 3 : -3);
}

void VideoWindowLayout::Force16bits1Click() {
    AppSettings().Force16Bits = !AppSettings().Force16Bits;
    if (AppSettings().FullScreenMode) ApplyFullScreen();
}

void VideoWindowLayout::N800x6001Click() {
    int& resolution = AppSettings().Resolution;
    resolution = resolution == 800 ? 0 : 800;
    if (AppSettings().FullScreenMode) ApplyFullScreen();
}

void VideoWindowLayout::N640x4801Click() {
    int& resolution = AppSettings().Resolution;
    resolution = resolution == 640 ? 0 : 640;
    if (AppSettings().FullScreenMode) ApplyFullScreen();
}

void VideoWindowLayout::FirstPlacement() {
    VideoGeometry& geo = geometry_;
    const QRect outer = window_->frameGeometry();
    for (int step : {-1, 0}) {
        geo.PrevLeft = outer.left() + step;
        geo.PrevTop = outer.top() + step;
        geo.PrevWidth = outer.width() + step;
        geo.PrevHeight = outer.height() + step;
        ApplyFullScreen();
    }
}

}  // namespace quova
