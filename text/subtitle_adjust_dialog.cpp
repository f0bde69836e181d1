#include "text/subtitle_adjust_dialog.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <cmath>

#include "lexicon/lexicon.h"

namespace quova {

namespace {

const char* const kAdvanceHint =
    "Select a positive advance if subtitles are showing too late, a negative one if too early.";
const char* const kSpeedHint = "Adjust speed of subtitles timeline";

// Typing sets the up-down to the number times `scale`, truncated; text that
// is no number in the locale's notation changes nothing.
void TakeTyped(QLineEdit* edit, QSpinBox* upDown, double scale) {
    bool ok = false;
    const double value = QLocale().toDouble(edit->text(), &ok);
    if (!ok || !std::isfinite(value)) return;
    const QSignalBlocker quiet(upDown);
    upDown->setValue(static_cast<int>(std::trunc(std::clamp(value * scale, -1e9, 1e9))));
}

}  // namespace

QString ShortestDecimal(double value) {
    return QLocale().toString(value, 'g', QLocale::FloatingPointShortest);
}

TQuovaSubAdjForm::TQuovaSubAdjForm(QWidget* parent) : QDialog(parent) {
    setObjectName("QuovaSubAdjForm");
    setWindowTitle(QString::fromStdString(Lex(1700)));
    edit1_ = new QLineEdit(this);
    edit1_->setObjectName("Edit1");
    edit2_ = new QLineEdit(this);
    edit2_->setObjectName("Edit2");
    upDown1_ = new QSpinBox(this);
    upDown1_->setObjectName("UpDown1");
    upDown1_->setRange(-300, 300);
    upDown2_ = new QSpinBox(this);
    upDown2_->setObjectName("UpDown2");
    upDown2_->setRange(7500, 15000);
    for (QSpinBox* upDown : {upDown1_, upDown2_}) {
        upDown->setFixedWidth(18);
        upDown->setFocusPolicy(Qt::NoFocus);
    }
    edit1_->setToolTip(kAdvanceHint);
    upDown1_->setToolTip(kAdvanceHint);
    edit2_->setToolTip(kSpeedHint);
    upDown2_->setToolTip(kSpeedHint);
    auto* label1 = new QLabel("&Advance(sec):", this);
    label1->setObjectName("Label1");
    label1->setBuddy(edit1_);
    auto* label2 = new QLabel("&Speed(%):", this);
    label2->setObjectName("Label2");
    label2->setBuddy(edit2_);
    auto* ok = new QPushButton("&OK", this);
    ok->setObjectName("Button1");
    ok->setDefault(true);
    auto* cancel = new QPushButton("&Cancel", this);
    cancel->setObjectName("Button2");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(upDown1_, &QSpinBox::valueChanged, this, [this] { RefreshEdits(); });
    connect(upDown2_, &QSpinBox::valueChanged, this, [this] { RefreshEdits(); });
    connect(edit1_, &QLineEdit::textEdited, this, [this] { TakeTyped(edit1_, upDown1_, 2.0); });
    connect(edit2_, &QLineEdit::textEdited, this, [this] { TakeTyped(edit2_, upDown2_, 100.0); });
    edit1_->installEventFilter(this);
    edit2_->installEventFilter(this);
    auto* grid = new QGridLayout(this);
    grid->addWidget(label1, 0, 0);
    grid->addWidget(edit1_, 0, 1);
    grid->addWidget(upDown1_, 0, 2);
    grid->addWidget(label2, 1, 0);
    grid->addWidget(edit2_, 1, 1);
    grid->addWidget(upDown2_, 1, 2);
    grid->addWidget(ok, 2, 0);
    grid->addWidget(cancel, 2, 1, 1, 2);
    setFixedSize(sizeHint());
}

void TQuovaSubAdjForm::RefreshEdits() {
    edit1_->setText(ShortestDecimal(upDown1_->value() / 2.0));
    edit2_->setText(ShortestDecimal(upDown2_->value() / 100.0));
}

bool TQuovaSubAdjForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == edit1_ || watched == edit2_)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            QSpinBox* upDown = watched == edit1_ ? upDown1_ : upDown2_;
            upDown->setValue(upDown->value() + (key->key() == Qt::Key_Up ? 1 : -1));
            RefreshEdits();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool RunSubtitleAdjust(QWidget* parent, int& offset, double& speed) {
    static QPointer<TQuovaSubAdjForm> dialog;
    if (!dialog) dialog = new TQuovaSubAdjForm(parent);
    {
        const QSignalBlocker quiet1(dialog->upDown1());
        const QSignalBlocker quiet2(dialog->upDown2());
        dialog->upDown1()->setValue(offset);
        dialog->upDown2()->setValue(static_cast<int>(std::trunc(speed * 10000.0)));
    }
    dialog->RefreshEdits();
    if (dialog->exec() != QDialog::Accepted) return false;
    offset = dialog->upDown1()->value();
    speed = dialog->upDown2()->value() / 10000.0;
    return true;
}

}  // namespace quova
