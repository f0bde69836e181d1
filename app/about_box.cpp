#include "app/about_box.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMargins>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QUrl>

#include "app/app_state.h"
#include "app/settings.h"
#include "app/text_dialog.h"
#include "graph/message_box.h"
#include "lexicon/lexicon.h"
#include "playback/player_session.h"

namespace quova {

namespace {
constexpr const char* kDisclaimer =
    "This program is distributed in the hope that it will be useful, but WITHOUT ANY "
    "WARRANTY; without even the implied warranty of MERCHANTABILITY or FITNESS FOR A "
    "PARTICULAR PURPOSE. You use it at your own risk; the authors are not liable for any "
    "damage or loss arising from its use.";
constexpr const char* kNotice = "Free media player for video, audio and DVD";
}  // namespace

TQuovaAboutBox::TQuovaAboutBox(PlayerSession& session, QWidget* parent)
    : QDialog(parent), session_(session) {
    setObjectName("TQuovaAboutBox");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(394, 273);

    panel_ = new QFrame(this);
    panel_->setObjectName("Panel1");
    panel_->setFrameShape(QFrame::Panel);
    panel_->setFrameShadow(QFrame::Sunken);
    panel_->setGeometry(8, 8, 378, 218);
    panel_->setMouseTracking(true);
    // Opaque, so that a link redrawn in its new colour does not repaint the
    // box beneath it (whose painting cools the home-page link).
    panel_->setAutoFillBackground(true);
    panel_->installEventFilter(this);

    auto* icon = new QLabel(panel_);
    icon->setObjectName("ProgramIcon");
    icon->setGeometry(8, 8, 32, 32);
    icon->setPixmap(windowIcon().pixmap(32, 32));

    productName_ = new QLabel(panel_);
    productName_->setObjectName("ProductName");
    productName_->setGeometry(56, 6, 314, 36);
    productName_->setWordWrap(true);
    productName_->setText(
        QString::fromStdString("Quova " + BuildProgramVersion() + " " + " - " + Lex(630)));

    auto* notice = new QLabel(QString::fromUtf8(kNotice), panel_);
    notice->setObjectName("Copyright");
    notice->setGeometry(56, 44, 314, 18);

    url_ = new QLabel(QString::fromUtf8(kHomePage), panel_);
    url_->setObjectName("URL");
    url_->setGeometry(56, 64, 314, 18);
    url2_ = new QLabel(QString::fromUtf8(kDownloadPage), panel_);
    url2_->setObjectName("URL2");
    url2_->setGeometry(56, 84, 314, 18);
    for (QLabel* link : {url_, url2_}) {
        link->setCursor(Qt::PointingHandCursor);
        link->setMouseTracking(true);
        link->installEventFilter(this);
        SetLinkLook(link, false);
    }

    memo_ = new QPlainTextEdit(panel_);
    memo_->setObjectName("Memo1");
    memo_->setGeometry(8, 108, 362, 102);
    memo_->setReadOnly(true);
    memo_->setFrameShape(QFrame::NoFrame);
    memo_->setPlainText(QString::fromUtf8(kDisclaimer));

    okButton_ = new QPushButton("OK", this);
    okButton_->setObjectName("OKButton");
    okButton_->setGeometry(159, 236, 75, 25);
    okButton_->setDefault(true);
    okButton_->setEnabled(false);
    connect(okButton_, &QPushButton::clicked, this, &TQuovaAboutBox::accept);

    timer_ = new QTimer(this);
    timer_->setObjectName("Timer1");
    timer_->setInterval(333);
    connect(timer_, &QTimer::timeout, this, &TQuovaAboutBox::SplashTick);

    setWindowTitle(QString::fromStdString(Lex(2100) + " " + "Quova"));
}

void TQuovaAboutBox::ShowModal() {
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    ModalDialogScope modal;
    exec();
}

void TQuovaAboutBox::showEvent(QShowEvent* event) {
    if (session_.openCounter < 0) timer_->start();
    setWindowTitle("About Quova");
    // Centred on the screen, frame and all, not over the main window where a
    // dialog would otherwise stand.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QMargins frame = WindowFrame(this);
        const QRect area = screen->geometry();
        const int width = this->width() + frame.left() + frame.right();
        const int height = this->height() + frame.top() + frame.bottom();
        move(area.x() + (area.width() - width) / 2, area.y() + (area.height() - height) / 2);
    }
    QDialog::showEvent(event);
}

void TQuovaAboutBox::paintEvent(QPaintEvent* event) {
    if (url_->font().underline()) SetLinkLook(url_, false);
    QDialog::paintEvent(event);
}

void TQuovaAboutBox::done(int result) {
    // Before start-up has opened the settings the box cannot be closed (its
    // OK button is still disabled): an early close would make the program
    // ready before the command line was handled.
    if (!okButton_->isEnabled()) return;
    ++session_.openCounter;
    timer_->stop();
    QDialog::done(result);
}

void TQuovaAboutBox::SetLinkLook(QLabel* label, bool hot) {
    QFont font = label->font();
    font.setUnderline(hot);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, hot ? Qt::blue : Qt::black);
    label->setPalette(palette);
}

bool TQuovaAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        if (watched == url_ || watched == url2_) {
            SetLinkLook(static_cast<QLabel*>(watched), true);
            // Taken here: a move the label leaves would pass on to the
            // panel, which cools every link.
            return true;
        } else if (watched == panel_) {
            SetLinkLook(url_, false);
            SetLinkLook(url2_, false);
        }
    } else if (event->type() == QEvent::MouseButtonRelease &&
               (watched == url_ || watched == url2_)) {
        QDesktopServices::openUrl(QUrl(static_cast<QLabel*>(watched)->text()));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace quova
