#include "app/documentation.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>
#include <filesystem>

#include "platform/paths/program_files.h"

namespace quova {

std::string DocumentationPath(const std::string& exePath) {
    std::filesystem::path name = std::filesystem::path(exePath).filename();
    name.replace_extension(".htm");
    return ProgramFile(exePath, name.string()).string();
}

void OpenDocument(const std::string& target) {
    const QString text = QString::fromStdString(target);
    const QUrl url =
        text.contains("://") ? QUrl(text) : QUrl::fromLocalFile(QFile::decodeName(target.c_str()));
    QDesktopServices::openUrl(url);
}

void OpenHomePage() {
    OpenDocument(kHomePageAddress);
}

}  // namespace quova
