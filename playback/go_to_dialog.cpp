#include "playback/go_to_dialog.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QWheelEvent>

#include "graph/message_box.h"
#include "lexicon/lexicon.h"
#include "playback/go_to.h"

namespace quova {

TQuovaGoTo::TQuovaGoTo(QWidget* parent) : QDialog(parent) {
    setObjectName("QuovaGoTo");
    setWindowTitle(QString::fromStdString(Lex(1600)));
    edit1_ = new QLineEdit("00:00:00", this);
    edit1_->setObjectName("Edit1");
    // The up-down's arrows step; its own number means nothing and is not shown.
    upDown1_ = new QSpinBox(this);
    upDown1_->setObjectName("UpDown1");
    upDown1_->setRange(-32767, 32767);
    upDown1_->setWrapping(false);
    upDown1_->setFixedWidth(18);
    upDown1_->setFocusPolicy(Qt::NoFocus);
    upDown1_->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    button1_ = new QPushButton(QString::fromStdString(Lex(1600)), this);
    button1_->setObjectName("Button1");
    button1_->setDefault(true);
    button2_ = new QPushButton(QString::fromStdString(Lex(510)), this);
    button2_->setObjectName("Button2");
    connect(button1_, &QPushButton::clicked, this, &QDialog::accept);
    connect(button2_, &QPushButton::clicked, this, &QDialog::reject);
    connect(upDown1_, &QSpinBox::valueChanged, this, [this](int value) {
        const bool up = value > upDownLast_;
        upDownLast_ = value;
        Step(up);
    });
    auto* row = new QHBoxLayout;
    row->addWidget(edit1_);
    row->addWidget(upDown1_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(button1_);
    buttons->addWidget(button2_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);
    edit1_->installEventFilter(this);
}

void TQuovaGoTo::showEvent(QShowEvent* event) {
    QSignalBlocker quiet(upDown1_);
    upDown1_->setValue(0);
    upDownLast_ = 0;
    edit1_->setFocus();
    QDialog::showEvent(event);
}

void TQuovaGoTo::Step(bool up) {
    const int caret = edit1_->cursorPosition();
    const auto text = StepGoToText(edit1_->text().toStdString(), caret, up, maxTime_);
    if (!text) return;
    edit1_->setText(QString::fromStdString(*text));
    edit1_->setCursorPosition(caret);
}

bool TQuovaGoTo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit1_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TQuovaGoTo::wheelEvent(QWheelEvent* event) {
    if (focusWidget() == edit1_) {
        const int delta = event->angleDelta().y();
        if (delta != 0) Step(delta > 0);
    }
    event->accept();
}

void GoTo1Click(QWidget* parent, double position, double duration,
                const std::function<void(double seconds)>& seekTo) {
    static QPointer<TQuovaGoTo> dialog;
    try {
        if (!dialog) dialog = new TQuovaGoTo(parent);
        dialog->SetMaxTime(duration);
        dialog->edit()->setText(QString::fromStdString(FormatTimeOfDay(position)));
        int result = QDialog::Rejected;
        {
            ModalDialogScope modal;
            result = dialog->exec();
        }
        if (result != QDialog::Accepted) return;
        if (const auto target = GoToTarget(dialog->edit()->text().toStdString()); target && seekTo)
            seekTo(*target);
    } catch (...) {
        // The dialog reports nothing; the player goes on where it was.
    }
}

}  // namespace quova
