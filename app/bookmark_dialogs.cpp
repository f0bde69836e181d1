#include "app/bookmark_dialogs.h"

#include <QFile>
#include <QFileDialog>

namespace quova {

namespace {

const char* const kBookmarkFilter = "Quova bookmarks (*.mpk);;All files (*)";

std::string Run(QWidget* owner, const std::string& title, const std::string& name, bool save) {
    QFileDialog dialog(owner, QString::fromStdString(title));
    dialog.setNameFilter(kBookmarkFilter);
    dialog.setDefaultSuffix("mpk");
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setSizeGripEnabled(true);
    if (!name.empty()) dialog.selectFile(QFile::decodeName(name.c_str()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

}  // namespace

std::string AskBookmarkSaveName(QWidget* owner, const std::string& title,
                                const std::string& proposed) {
    return Run(owner, title, proposed, true);
}

std::string AskBookmarkOpenName(QWidget* owner, const std::string& title,
                                const std::string& start) {
    return Run(owner, title, start, false);
}

}  // namespace quova
