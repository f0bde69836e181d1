#include "tests/support/sound_server.h"

#include "tests/support/child_process.h"

#include <sys/stat.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace quova::testing {

namespace {

bool IsSocket(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

std::vector<std::vector<std::string>> Rows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        std::string cell;
        while (std::getline(cells, cell, '\t')) fields.push_back(cell);
        if (!fields.empty()) rows.push_back(fields);
    }
    return rows;
}

}  // namespace

PrivateSoundServer::PrivateSoundServer(
    const std::vector<std::pair<std::string, std::string>>& sinks) {
    const QString program = QStandardPaths::findExecutable("pulseaudio");
    if (program.isEmpty() || QStandardPaths::findExecutable("pactl").isEmpty()) {
        failure_ = "pulseaudio or pactl is not installed (scripts/bootstrap installs them)";
        return;
    }
    char pattern[] = "/tmp/quova-sound-XXXXXX";
    if (!::mkdtemp(pattern)) {
        failure_ = "no temporary folder";
        return;
    }
    folder_ = pattern;
    socket_ = folder_ + "/native";

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Everything the server writes stays in the folder; no session bus.
    env.insert("HOME", QString::fromStdString(folder_));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(folder_));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(folder_));
    env.insert("PULSE_RUNTIME_PATH", QString::fromStdString(folder_ + "/runtime"));
    env.insert("PULSE_STATE_PATH", QString::fromStdString(folder_ + "/state"));
    env.remove("DBUS_SESSION_BUS_ADDRESS");
    env.remove("PULSE_SERVER");
    QStringList args = {
        "-n",
        "--daemonize=no",
        "--exit-idle-time=-1",
        "--use-pid-file=no",
        "--disallow-module-loading=no",
        "--log-target=stderr",
        "-L",
        QString::fromStdString("module-native-protocol-unix auth-anonymous=1 socket=" + socket_)};
    for (const auto& [name, description] : sinks)
        args << "-L"
             << QString::fromStdString("module-null-sink sink_name=" + name +
                                       " sink_properties=device.description=" + description);
    server_ = std::make_unique<QProcess>();
    server_->setProcessEnvironment(env);
    server_->setProcessChannelMode(QProcess::MergedChannels);
    EndWithThisProgram(*server_);
    server_->start(program, args);
    if (!server_->waitForStarted(10000)) {
        failure_ = "pulseaudio did not start: " + server_->errorString().toStdString();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    // The bound only ends a server that never comes up.
    while (!IsSocket(socket_) && server_->state() == QProcess::Running && clock.elapsed() < 10000)
        QThread::msleep(10);
    if (!IsSocket(socket_)) {
        server_->kill();
        server_->waitForFinished(3000);
        failure_ = "pulseaudio did not open its socket: " +
                   QString::fromUtf8(server_->readAll()).toStdString();
        return;
    }
    const char* old = std::getenv("PULSE_SERVER");
    hadAddress_ = old != nullptr;
    if (old) oldAddress_ = old;
    ::setenv("PULSE_SERVER", ("unix:" + socket_).c_str(), 1);
    running_ = !Pactl({"info"}).empty();
    if (!running_) failure_ = "pactl cannot reach the private server";
}

PrivateSoundServer::~PrivateSoundServer() {
    if (hadAddress_)
        ::setenv("PULSE_SERVER", oldAddress_.c_str(), 1);
    else
        ::unsetenv("PULSE_SERVER");
    if (server_ && server_->state() != QProcess::NotRunning) {
        server_->terminate();
        if (!server_->waitForFinished(5000)) {
            server_->kill();
            server_->waitForFinished(3000);
        }
    }
    std::error_code ec;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
}

std::string PrivateSoundServer::Pactl(const std::vector<std::string>& arguments) const {
    QProcess pactl;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PULSE_SERVER", QString::fromStdString("unix:" + socket_));
    pactl.setProcessEnvironment(env);
    QStringList args;
    for (const std::string& a : arguments) args << QString::fromStdString(a);
    pactl.start("pactl", args);
    if (!pactl.waitForFinished(10000) || pactl.exitCode() != 0) return "";
    const std::string out = pactl.readAllStandardOutput().toStdString();
    return out.empty() ? " " : out;
}

int PrivateSoundServer::AddSink(const std::string& name, const std::string& description) const {
    const std::string out = Pactl({"load-module", "module-null-sink", "sink_name=" + name,
                                   "sink_properties=device.description=" + description});
    try {
        return std::stoi(out);
    } catch (...) {
        return -1;
    }
}

bool PrivateSoundServer::RemoveSink(const std::string& name) const {
    for (const auto& row : Rows(Pactl({"list", "short", "modules"})))
        if (row.size() >= 3 && row[1] == "module-null-sink" &&
            row[2].find("sink_name=" + name + " ") != std::string::npos)
            return !Pactl({"unload-module", row[0]}).empty();
    return false;
}

std::vector<std::string> PrivateSoundServer::SinksOfStreams() const {
    std::map<std::string, std::string> sinkNames;
    for (const auto& row : Rows(Pactl({"list", "short", "sinks"})))
        if (row.size() >= 2) sinkNames[row[0]] = row[1];
    std::vector<std::string> out;
    for (const auto& row : Rows(Pactl({"list", "short", "sink-inputs"})))
        if (row.size() >= 2) out.push_back(sinkNames.count(row[1]) ? sinkNames[row[1]] : row[1]);
    return out;
}

}  // namespace quova::testing
