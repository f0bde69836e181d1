#include "app/edge_controls.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <filesystem>

#include "app/app_state.h"
#include "app/command_gate.h"
#include "app/glyph_button.h"
#include "app/hint_window.h"
#include "app/main_window.h"
#include "app/popup_menu.h"
#include "app/subtitle_box.h"
#include "app/video_commands.h"
#include "app/video_window.h"
#include "graph/graph_state.h"
#include "playback/player_session.h"
#include "playback/seek_bar_control.h"
#include "playback/volume.h"
#include "text/subtitle_commands.h"

namespace quova {

namespace {

// The height the window was designed at: the volume bar's first length.
constexpr int kDesignHeight = 340;

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

constexpr const char* kControlBar[] = {"Button4", "Button5", "Button6",
                                       "Button7", "Button8", "Button9"};
constexpr const char* kTopButtons[] = {"Button1", "Button2", "Button3", "Button10"};

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

EdgeControls::EdgeControls(TQuovaForm& form)
    : QObject(&form), form_(form), session_(form.session()) {
    QFont webdings("Webdings");
    webdings.setPixelSize(12);
    for (const ControlDesign& design : kButtons) {
        auto* button = new GlyphButton(QString::fromUtf8(design.glyph), &form);
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

    titleStrip_ = new QLabel(&form);
    titleStrip_->setObjectName("StaticText1");
    titleStrip_->setAutoFillBackground(true);
    QPalette navy = titleStrip_->palette();
    navy.setColor(QPalette::Window, QColor(0, 0, 128));
    navy.setColor(QPalette::WindowText, Qt::white);
    titleStrip_->setPalette(navy);
    titleStrip_->setFont(QFont("Arial", 11));
    titleStrip_->setMouseTracking(true);
    titleStrip_->installEventFilter(this);
    titleStrip_->hide();

    seekBar_ = new QSlider(Qt::Horizontal, &form);
    seekBar_->setObjectName("TrackBar1");
    seekBar_->installEventFilter(this);
    seekBar_->hide();
    seekBarControl_ = new SeekBarControl(seekBar_, [this](double s, SeekPrecision precision) {
        form_.commands().Run(
            BoundId(OutsideBindings(),
                    precision == SeekPrecision::KeyFrame ? "SeekBarToKeyFrame" : "SeekBar"),
            s);
    });

    volumeBar_ = new QSlider(Qt::Vertical, &form);
    volumeBar_->setObjectName("TrackBar3");
    volumeBar_->setRange(0, 100);
    volumeBar_->setPageStep(10);
    volumeBar_->setTickInterval(5);
    volumeBar_->setTickPosition(QSlider::TicksRight);
    volumeBar_->setGeometry(0, 0, 20, kDesignHeight);
    volumeBar_->hide();
    connect(volumeBar_, &QSlider::valueChanged, this, &EdgeControls::VolumeBarMoved);

    panel_ = new QLabel(&form);
    panel_->setObjectName("Panel1");
    panel_->setWordWrap(true);
    panel_->setProperty("hintEntry", 2200);
    panel_->hide();
    hinted_.push_back(panel_);

    for (QWidget* control : hinted_) control->installEventFilter(this);

    timer2_ = new QTimer(&form);
    timer2_->setObjectName("Timer2");
    timer2_->setInterval(1000);
    connect(timer2_, &QTimer::timeout, this, &EdgeControls::HideTick);
}

EdgeControls::~EdgeControls() = default;

QPushButton* EdgeControls::Button(const char* name) const {
    return form_.findChild<QPushButton*>(name);
}

void EdgeControls::PointerMoved(QPoint p) {
    const EdgeChanges changes = quova::PointerMoved(edges_, p.x(), p.y(), form_.height(),
                                                    form_.videoLayout().geometry().VideoTop);
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

void EdgeControls::HideTick() {
    const quova::HideTick tick = Timer2Tick(edges_);
    if (tick.hideControlBar) ShowControlBar(false);
    if (tick.hideVolumeBar) volumeBar_->hide();
    if (!tick.keepTimer) timer2_->stop();
}

void EdgeControls::ShowSeekBar() {
    if (!SeekBarApplies(session_.graph.Duration)) return;
    form_.videoLayout().PlaceSeekBar();
    seekBar_->show();
    seekBar_->raise();
    seekBar_->setFocus();
    SeekBarShown(edges_);
    timer2_->start();
}

void EdgeControls::ShowControlBar(bool on) {
    if (on) {
        if (!ControlBarCanShow(edges_, session_.graph.Duration)) return;
        ShowSeekBar();
        int left = seekBar_->geometry().right() + 1 + 4;
        for (const char* name : kControlBar) {
            QPushButton* button = Button(name);
            button->move(left, form_.height() - button->height());
            left += button->width();
            button->show();
            button->raise();
        }
    } else {
        edges_.SeekBarVisible = false;
        seekBar_->hide();
        seekBar_->lower();
        for (const char* name : kControlBar) Button(name)->hide();
    }
}

void EdgeControls::ToggleControlBar() {
    if (!session_.graph.GraphBuilder) return;
    // Kept up by the command, the bar no longer hides with the pointer.
    edges_.ControlBarVisible = !edges_.ControlBarVisible;
    edges_.ControlBarWanted = edges_.ControlBarVisible;
    if (edges_.ControlBarVisible) form_.videoLayout().PlaceSeekBar();
    // The buttons still apply to a broadcast; the seek bar does not.
    const bool seekBar = edges_.ControlBarVisible && SeekBarApplies(session_.graph.Duration);
    edges_.SeekBarVisible = seekBar;
    seekBar_->setVisible(seekBar);
    if (seekBar) seekBar_->raise();
    for (const char* name : kControlBar) {
        QPushButton* button = Button(name);
        button->setVisible(edges_.ControlBarVisible);
        if (edges_.ControlBarVisible) button->raise();
    }
    if (SubtitlesLoaded(session_) && AppSettings().SubtitlesOn)
        ShowSubtitle(session_, session_.currentSubtitleText);
}

void EdgeControls::ShowVolume() {
    const QSignalBlocker quiet(volumeBar_);
    volumeBar_->setValue(VolumeBarPosition(AppSettings().Volume));
    form_.PaintOsdNow();
}

void EdgeControls::VolumeBarMoved(int position) {
    form_.commands().Run(BoundId(OutsideBindings(), "VolumeBar"), position);
}

void EdgeControls::PollUpdate(const TransportTick& tick, double duration) {
    seekBarControl_->TimerUpdate(tick.position, duration);
    // The play button is up exactly while the control bar is shown.
    if (QPushButton* play = Button("Button6"); play && play->isVisible())
        play->setText(QString::fromUtf8(PlayPauseGlyph(tick.state)));
}

void EdgeControls::ShowTopStrip() {
    const bool dvd = session_.graph.MediaKind == MediaKindDvd;
    int right = form_.width();
    for (const char* name : kTopButtons) {
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
    const std::string name =
        std::filesystem::path(session_.graph.CurrentMediaName).filename().string();
    const QString text = QString::fromStdString(name);
    titleStrip_->setGeometry(0, 0, form_.width(), 16);
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
    for (const char* name : kTopButtons)
        if (Button(name)->isVisible()) Button(name)->raise();
}

void EdgeControls::HideTopStrip() {
    for (const char* name : kTopButtons) Button(name)->hide();
    titleStrip_->hide();
    form_.PaintOsdNow();
}

void EdgeControls::ButtonClicked(QPushButton* button) {
    // Hidden and shown again, the button lets go of the focus.
    button->hide();
    button->show();
    const std::string name = button->objectName().toStdString();
    const std::string_view id = BoundId(TitleStripBindings(), name);
    if (!id.empty()) {
        form_.commands().Run(id);
        return;
    }
    // The control bar's buttons are bound by their tag.
    const std::string tag = std::to_string(button->property("tag").toInt());
    form_.commands().Run(BoundId(ControlBarBindings(), tag));
    ShowSeekBar();
}

void EdgeControls::BeginDrag(QWidget* control, int x, int y) {
    const QPoint origin = control == &form_ ? form_.pos() : control->mapToGlobal(QPoint(0, 0));
    drag_.Begin(x, y, origin.x(), origin.y());
    // Window positions, not the control's, are what the move keeps.
    drag_.DragStartLeft = form_.pos().x();
    drag_.DragStartTop = form_.pos().y();
    control->grabMouse();
}

void EdgeControls::DragMove(QWidget* control, int x, int y) {
    if (QWidget::mouseGrabber() != control) return;
    const QPoint origin = control == &form_ ? form_.pos() : control->mapToGlobal(QPoint(0, 0));
    const WindowDrag::Point to = drag_.Move(x, y, origin.x(), origin.y());
    form_.move(to.left, to.top);
}

void EdgeControls::EndDrag(QWidget* control) {
    if (QWidget::mouseGrabber() == control) control->releaseMouse();
    drag_.End();
}

bool EdgeControls::StripEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && mouse->buttons() == Qt::LeftButton &&
                mouse->modifiers() == Qt::NoModifier && !AppSettings().FullScreenMode) {
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
            form_.commands().Run(BoundId(TitleStripBindings(), "StaticText1"));
            return true;
        default:
            return false;
    }
}

bool EdgeControls::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        // Hints show in the program's own hint window, or not at all.
        const auto* control = qobject_cast<QWidget*>(watched);
        if (form_.showHints() && control && form_.hintWindow())
            form_.hintWindow()->ShowHint(control->toolTip(), form_.x(), form_.y());
        return true;
    }
    if (event->type() == QEvent::Leave && form_.hintWindow())
        form_.hintWindow()->ShowHint(QString(), form_.x(), form_.y());
    if (watched == titleStrip_ && StripEvent(event)) return true;
    if (watched == panel_ &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove ||
         event->type() == QEvent::MouseButtonRelease)) {
        if (SubtitleBoxMouse(session_, static_cast<QMouseEvent*>(event)))
            ShowSubtitle(session_, session_.currentSubtitleText);
        return true;
    }
    if (watched == seekBar_ && event->type() == QEvent::ShortcutOverride &&
        SeekBarKeepsKey(*static_cast<QKeyEvent*>(event))) {
        // The focused seek bar moves with these keys; a menu key must not
        // take them away from it.
        event->accept();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quova
