#include "app/open_dialog.h"

#include <QFile>
#include <QFileDialog>
#include <filesystem>
#include <system_error>

#include "graph/message_box.h"
#include "lexicon/lexicon.h"

namespace quova {

const char* const kMediaFileFilter =
    "Media files (*.avi *.asf *.mp* *.og* *.vob *.wav *.wmv *.mkv *.webm *.mov *.flac *.m4a "
    "*.AVI *.ASF *.MP* *.OG* *.VOB *.WAV *.WMV);;DVD volume files (*.bup *.ifo *.BUP *.IFO);;"
    "All files (*)";

std::vector<std::string> AskMediaFiles(QWidget* owner, const std::string& current,
                                       const std::string& title) {
    QFileDialog dialog(owner, QString::fromStdString(title.empty() ? Lex(370) : title));
    dialog.setObjectName("OpenDialog1");
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilter(kMediaFileFilter);
    dialog.setDefaultSuffix("avi");
    if (!current.empty()) dialog.selectFile(QFile::decodeName(current.c_str()));
    ModalDialogScope modal;
    std::vector<std::string> names;
    if (dialog.exec() != QDialog::Accepted) return names;
    for (const QString& file : dialog.selectedFiles())
        names.push_back(QFile::encodeName(file).toStdString());
    return names;
}

std::string AskMediaFolder(QWidget* owner, const std::string& current) {
    // The menu item's text is the dialog's title, without its mark and dots.
    QString title = QString::fromStdString(Lex(2880)).remove('&');
    if (title.endsWith("...")) title.chop(3);
    QFileDialog dialog(owner, title);
    dialog.setObjectName("OpenFolderDialog1");
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (!current.empty()) {
        std::error_code ec;
        const std::filesystem::path start(current);
        dialog.setDirectory(QFile::decodeName(
            (std::filesystem::is_directory(start, ec) ? start : start.parent_path()).c_str()));
    }
    ModalDialogScope modal;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

}  // namespace quova
