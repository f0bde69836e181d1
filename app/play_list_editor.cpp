#include "app/play_list_editor.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>
#include <algorithm>

#include "app/open_dialog.h"
#include "app/play_list.h"
#include "graph/message_box.h"

namespace quova {

namespace {

constexpr int kMargin = 8;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kRowStep = 32;
constexpr const char* kListFilter = "List files (*.mpl *.m3u *.m3u8);;All files (*)";

struct ButtonDesign {
    int number;  // ButtonN
    const char* caption;
    int row;  // place in the column; the check box takes row 5
};

constexpr ButtonDesign kButtons[] = {
    {1, "&Add...", 0},  {2, "&Remove", 1},  {8, "&Up", 2}, {9, "&Down", 3},  {7, "Clear", 4},
    {3, "&Save...", 6}, {4, "&Load...", 7}, {5, "&OK", 8}, {6, "Cancel", 9},
};
constexpr int kSortedRow = 5;

QString ToQ(const std::string& name) {
    return QFile::decodeName(name.c_str());
}

std::string FromQ(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

// The chosen file of a list dialog, "" when it was cancelled.
std::string AskListFile(QWidget* owner, bool save) {
    QFileDialog dialog(owner, save ? "Save list file" : "Open list file");
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(kListFilter);
    dialog.setDefaultSuffix("mpl");
    ModalDialogScope modal;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return FromQ(dialog.selectedFiles().front());
}

}  // namespace

TQuovaLEdit::TQuovaLEdit(QWidget* parent) : QDialog(parent) {
    setObjectName("TQuovaLEdit");
    setWindowTitle("Play List Edit");
    listBox_ = new QListWidget(this);
    listBox_->setObjectName("ListBox1");
    listBox_->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const ButtonDesign& design : kButtons) {
        auto* button = new QPushButton(design.caption, this);
        button->setObjectName(QString("Button%1").arg(design.number));
        button->setAutoDefault(false);
        button->setGeometry(0, kMargin + design.row * kRowStep, kButtonWidth, kButtonHeight);
        buttons_[design.number - 1] = button;
    }
    sorted_ = new QCheckBox("&Sorted", this);
    sorted_->setObjectName("CheckBox1");
    sorted_->setGeometry(0, kMargin + kSortedRow * kRowStep, kButtonWidth, kButtonHeight);

    connect(button(1), &QPushButton::clicked, this, &TQuovaLEdit::AddClick);
    connect(button(2), &QPushButton::clicked, this, &TQuovaLEdit::RemoveSelected);
    connect(button(8), &QPushButton::clicked, this, &TQuovaLEdit::MoveUp);
    connect(button(9), &QPushButton::clicked, this, &TQuovaLEdit::MoveDown);
    connect(button(7), &QPushButton::clicked, this, &TQuovaLEdit::Clear);
    connect(button(3), &QPushButton::clicked, this, &TQuovaLEdit::SaveClick);
    connect(button(4), &QPushButton::clicked, this, &TQuovaLEdit::LoadClick);
    connect(button(5), &QPushButton::clicked, this, &TQuovaLEdit::OkClick);
    connect(button(6), &QPushButton::clicked, this, &QDialog::reject);
    connect(sorted_, &QCheckBox::toggled, this, [this] { Sort(); });
    connect(listBox_, &QListWidget::itemDoubleClicked, this, [this] { accept(); });

    // The list never gets narrower than the buttons' column needs, nor lower
    // than the Cancel button's bottom.
    const QRect cancel = button(6)->geometry();
    setMinimumSize(4 * kButtonWidth, cancel.y() + cancel.height() + kMargin);
    resize(420, minimumHeight());
    Sort();
}

QPushButton* TQuovaLEdit::button(int n) const {
    return n >= 1 && n <= 9 ? buttons_[n - 1] : nullptr;
}

void TQuovaLEdit::SetEntries(const std::vector<std::string>& entries, int selected) {
    listBox_->clear();
    for (const std::string& entry : entries) listBox_->addItem(ToQ(entry));
    if (selected >= 0 && selected < listBox_->count()) listBox_->setCurrentRow(selected);
    Sort();
}

std::vector<std::string> TQuovaLEdit::Entries() const {
    std::vector<std::string> entries;
    for (int i = 0; i < listBox_->count(); ++i) entries.push_back(FromQ(listBox_->item(i)->text()));
    return entries;
}

int TQuovaLEdit::Selection() const {
    const QListWidgetItem* item = listBox_->currentItem();
    return item && item->isSelected() ? listBox_->row(item) : -1;
}

void TQuovaLEdit::Add(const std::vector<std::string>& names) {
    for (const std::string& name : names) listBox_->addItem(ToQ(name));
    Sort();
}

void TQuovaLEdit::RemoveSelected() {
    const int row = Selection();
    if (row < 0) return;
    delete listBox_->takeItem(row);
}

void TQuovaLEdit::MoveUp() {
    const int row = Selection();
    if (row < 1) return;
    listBox_->insertItem(row - 1, listBox_->takeItem(row));
    listBox_->setCurrentRow(row - 1);
    Sort();
}

void TQuovaLEdit::MoveDown() {
    const int row = Selection();
    if (row < 0 || row + 1 >= listBox_->count()) return;
    listBox_->insertItem(row + 1, listBox_->takeItem(row));
    listBox_->setCurrentRow(row + 1);
    Sort();
}

void TQuovaLEdit::Clear() {
    listBox_->clear();
}

void TQuovaLEdit::Sort() {
    if (!sorted_->isChecked() || listBox_->count() < 2) return;
    QListWidgetItem* selected = Selection() >= 0 ? listBox_->currentItem() : nullptr;
    std::vector<QListWidgetItem*> items;
    while (listBox_->count() > 0) items.push_back(listBox_->takeItem(0));
    // Alphabetical without regard to letter case, as file names are read.
    std::stable_sort(items.begin(), items.end(), [](QListWidgetItem* a, QListWidgetItem* b) {
        return QString::compare(a->text(), b->text(), Qt::CaseInsensitive) < 0;
    });
    for (QListWidgetItem* item : items) listBox_->addItem(item);
    if (selected) listBox_->setCurrentItem(selected);
}

bool TQuovaLEdit::SaveTo(const std::string& fileName) {
    try {
        WriteListFile(fileName, Entries());
        return true;
    } catch (const std::exception& e) {
        ShowMessage(e.what(), MbIconStop);
        return false;
    }
}

bool TQuovaLEdit::LoadFrom(const std::string& fileName) {
    try {
        const std::vector<std::string> entries = ReadListFile(fileName);
        SetEntries(entries, -1);
        return true;
    } catch (const std::exception& e) {
        ShowMessage(e.what(), MbIconStop);
        return false;
    }
}

void TQuovaLEdit::AddClick() {
    Add(AskMediaFiles(this, std::string(), "Add media file(s)"));
}

void TQuovaLEdit::SaveClick() {
    const std::string name = AskListFile(this, true);
    if (!name.empty()) SaveTo(name);
}

void TQuovaLEdit::LoadClick() {
    const std::string name = AskListFile(this, false);
    if (!name.empty()) LoadFrom(name);
}

void TQuovaLEdit::OkClick() {
    listBox_->clearSelection();
    listBox_->setCurrentRow(-1);
    accept();
}

void TQuovaLEdit::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Layout();
}

void TQuovaLEdit::Layout() {
    const int width = this->width();
    const int height = this->height();
    listBox_->setGeometry(kMargin, kMargin, std::max(0, width - 3 * kMargin - kButtonWidth),
                          std::max(0, height - 2 * kMargin));
    const int left = width - kButtonWidth - kMargin;
    for (QPushButton* b : buttons_) b->move(left, b->y());
    sorted_->move(left, sorted_->y());
}

}  // namespace quova
