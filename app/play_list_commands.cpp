#include "app/play_list_commands.h"

#include <QInputDialog>
#include <QPointer>

#include "app/open_dialog.h"
#include "app/play_list_editor.h"
#include "graph/graph_state.h"
#include "graph/message_box.h"
#include "lexicon/lexicon.h"
#include "platform/files/media_name.h"
#include "playback/folder_play_list.h"
#include "playback/player_session.h"

namespace quova {

void ShowOpenDialog(PlayerSession& session, QWidget* owner, PlayListState& list,
                    const EntryOpener& open) {
    const std::vector<std::string> names = AskMediaFiles(owner, session.graph.CurrentMediaName);
    if (names.empty()) return;
    if (names.size() == 1 && PlayFolderAround(session, list, names.front(), open)) return;
    SetPlayList(session, list, names, -1, open);
}

void ShowOpenUrlDialog(PlayerSession& session, QWidget* owner, PlayListState& list,
                       const EntryOpener& open) {
    QInputDialog dialog(owner);
    dialog.setObjectName("OpenUrlDialog1");
    dialog.setWindowTitle(QString::fromStdString(Lex(370)));
    dialog.setLabelText(QString::fromStdString(Lex(2740)));
    dialog.setInputMode(QInputDialog::TextInput);
    const std::string& current = session.graph.CurrentMediaName;
    if (IsNetworkAddress(current)) dialog.setTextValue(QString::fromStdString(current));
    ModalDialogScope modal;
    if (dialog.exec() != QDialog::Accepted) return;
    // Pasted addresses often carry the spaces or line end around them.
    const std::string address = dialog.textValue().trimmed().toStdString();
    if (address.empty()) return;
    SetPlayList(session, list, {address}, -1, open);
}

void Edit1Click(PlayerSession& session, QWidget* owner, PlayListState& list,
                const EntryOpener& open) {
    ModalDialogScope modal;
    static QPointer<TQuovaLEdit> editor;
    if (!editor) editor = new TQuovaLEdit(owner);
    editor->SetEntries(list.PlayList, list.PlayListIndex);
    if (editor->exec() != QDialog::Accepted) return;
    SetPlayList(session, list, editor->Entries(), editor->Selection(), open);
}

void LoadPlayList(PlayerSession& session, const std::string& fileName, PlayListState& list,
                  const EntryOpener& open) {
    if (list.loadingList) {
        ShowMessage(
            "The play list \"" + fileName + "\" is not opened from within another play list.",
            MbIconExclamation);
        return;
    }
    std::vector<std::string> names;
    std::error_code folderError;
    if (std::filesystem::is_directory(fileName, folderError)) {
        names = FolderPlayList(fileName);
        if (names.empty()) {
            ShowMessage(FormatLex(2870, fileName), MbIconExclamation);
            return;
        }
    } else {
        try {
            names = ReadListFile(fileName);
        } catch (const std::exception& e) {
            ShowMessage(e.what(), MbIconStop);
            return;
        }
    }
    list.loadingList = true;
    try {
        SetPlayList(session, list, names, -1, open);
    } catch (...) {
        list.loadingList = false;
        throw;
    }
    list.loadingList = false;
}

}  // namespace quova
