#include "graph/filter_chooser.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "graph/message_box.h"
#include "lexicon/lexicon.h"

namespace quova {

namespace {

QString Text(int entry) {
    return QString::fromStdString(Lex(entry));
}

QPointer<TQuovaAddFilt>& Chooser() {
    static QPointer<TQuovaAddFilt> chooser;
    return chooser;
}

}  // namespace

TQuovaAddFilt::TQuovaAddFilt(QWidget* parent) : QDialog(parent) {
    setObjectName("TQuovaAddFilt");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    QFont small = Label1->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    Label1->setFont(small);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    CheckBox1 = new QCheckBox(this);
    CheckBox1->setObjectName("CheckBox1");
    Button1 = new QPushButton(Text(420), this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    Button2 = new QPushButton(Text(430), this);
    Button2->setObjectName("Button2");
    Button3 = new QPushButton(Text(440), this);
    Button3->setObjectName("Button3");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CheckBox1);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    layout->addWidget(Label1);
    layout->addWidget(ListBox1, 1);
    layout->addLayout(buttons);
    // Escape rejects the dialog: "A&uto".
    connect(Button1, &QPushButton::clicked, this, [this] { done(Accepted); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(Rejected); });
    connect(Button3, &QPushButton::clicked, this, [this] { done(Aborted); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { ListBox1DblClick(); });
    // FormCreate
    setWindowTitle(Text(700));
    CheckBox1->setText(Text(710));
    resize(420, 300);
}

int TQuovaAddFilt::ShowModal() {
    ModalDialogScope modal;
    FormShow();
    return exec();
}

TQuovaAddFilt& FilterChooser() {
    if (!Chooser()) Chooser() = new TQuovaAddFilt;
    return *Chooser();
}

void ReleaseFilterChooser() {
    delete Chooser().data();
}

}  // namespace quova
