#include "app/text_dialog.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMargins>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "graph/message_box.h"

namespace quova {

TOKBottomDlg::TOKBottomDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("OKBottomDlg");
    resize(561, 340);

    bevel_ = new QFrame(this);
    bevel_->setObjectName("Bevel1");
    bevel_->setFrameShape(QFrame::Box);
    bevel_->setFrameShadow(QFrame::Sunken);
    bevel_->setGeometry(8, 8, 385, 289);

    label_ = new QLabel(this);
    label_->setObjectName("Label1");
    label_->setTextFormat(Qt::PlainText);
    label_->move(16, 16);

    okBtn_ = new QPushButton("OK", this);
    okBtn_->setObjectName("OKBtn");
    okBtn_->setGeometry(243, 305, 75, 25);
    okBtn_->setDefault(true);
    connect(okBtn_, &QPushButton::clicked, this, &TOKBottomDlg::OKBtnClick);

    QFont small("Small Fonts");
    small.setPixelSize(9);
    for (int i = 0; i < kSideButtonCount; ++i) {
        auto* button = new QPushButton(this);
        button->setObjectName(QString("Button%1").arg(i + 1));
        button->setFont(small);
        button->setGeometry(400, 8 + 32 * i, 155, 25);
        button->hide();
        connect(button, &QPushButton::clicked, this,
                [this, button] { Q_EMIT sideButtonPressed(button->text()); });
        buttons_[i] = button;
    }
}

QPushButton* TOKBottomDlg::SideButton(int i) const {
    return i >= 1 && i <= kSideButtonCount ? buttons_[i - 1] : nullptr;
}

void TOKBottomDlg::Prepare(const std::string& text, const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption));
    label_->setText(QString::fromStdString(LabelDisplayText(text)));
    label_->adjustSize();

    TextDialogInput in;
    in.labelWidth = label_->width();
    in.labelHeight = label_->height();
    for (int i = 0; i < kSideButtonCount; ++i) {
        const QPushButton* b = buttons_[i];
        // isVisibleTo: the dialog itself is not shown yet.
        in.buttons[i] = {b->y(), b->width(), b->height(), b->isVisibleTo(this)};
    }
    in.okWidth = okBtn_->width();
    in.okHeight = okBtn_->height();
    const QMargins frame = WindowFrame(this);
    in.frameWidth = frame.left() + frame.right();
    in.frameHeight = frame.top() + frame.bottom();
    const QScreen* screen = QGuiApplication::primaryScreen();
    in.screenWidth = screen ? screen->geometry().width() : 0;

    const TextDialogLayout out = LayOutTextDialog(in);
    auto place = [](QWidget* w, const Rect& r) {
        w->setGeometry(r.left, r.top, r.width, r.height);
    };
    place(bevel_, out.bevel);
    place(label_, out.label);
    for (int i = 0; i < kSideButtonCount; ++i) place(buttons_[i], out.buttons[i]);
    place(okBtn_, out.ok);
    setFixedSize(out.clientWidth, out.clientHeight);
    // Centred on the screen as designed; only the width follows the text.
    const int screenHeight = screen ? screen->geometry().height() : 0;
    move(out.windowLeft, std::max(0, (screenHeight - out.clientHeight - in.frameHeight) / 2));
}

void TOKBottomDlg::OKBtnClick() {
    HideSideButtons();
    accept();
}

void TOKBottomDlg::reject() {
    // OK is also the cancel button: Escape (or the window's close button)
    // leaves the next caller without this caller's buttons, as OK does.
    HideSideButtons();
    QDialog::reject();
}

void TOKBottomDlg::HideSideButtons() {
    for (QPushButton* button : buttons_) button->hide();
}

QMargins WindowFrame(QWidget* window) {
    window->winId();
    const QWindow* native = window->windowHandle();
    return native ? native->frameMargins() : QMargins();
}

TOKBottomDlg& TextDialog() {
    static TOKBottomDlg* dialog = nullptr;
    if (!dialog) {
        dialog = new TOKBottomDlg();
        // Kept for the whole run; goes with the application object.
        QObject::connect(qApp, &QObject::destroyed, [] { dialog = nullptr; });
    }
    return *dialog;
}

void ShowTextDialog(const std::string& text, const std::string& caption) {
    ModalDialogScope modal;
    if (text.empty()) return;
    TOKBottomDlg& dialog = TextDialog();
    dialog.Prepare(text, caption);
    dialog.exec();
}

}  // namespace quova
