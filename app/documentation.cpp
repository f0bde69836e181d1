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

std::string HelpText(const std::string& version) {
    return "Quova " + version + " - Quova Media Player\n" +
           "Free software, without any warranty: see About.\n" +
           "subtitles (.sub && .srt) and chapters (mdvd.ini) support\n" +
           "multi audio stream support on avi/ogg media\n" + "\n" + "keyboard:\n" +
           "see menu shortcuts ...\n" + "\n" + "mouse:\n" +
           "left-click && drag to move window; wheel - volume up/down \n" +
           "double-click - fullscreen on/off; right-click - menu\n" + "\n" + "command line:\n" +
           "format: quova [moviefile] [/fs] [/zoomtowin] [[/1][/2]|[/3]] [/noosd]\n" +
           "switches: /fs - fullscreen; /1, /2, /3 - zoom 1x, 2x, 3x;\n" +
           " /zoomtowin - zoom to window;";
}

}  // namespace quova
