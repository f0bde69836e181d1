#include "app/program.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <filesystem>

#include "app/about_box.h"
#include "app/app_icon.h"
#include "app/app_state.h"
#include "app/command_line.h"
#include "app/main_window.h"
#include "app/settings.h"
#include "app/single_instance.h"
#include "app/termination.h"
#include "graph/message_box.h"
#include "graph/open_media.h"
#include "lexicon/lexicon.h"
#include "platform/files/media_name.h"
#include "playback/player_session.h"

namespace quova {

namespace {

// The running instance resolves the name against its own folder, so a
// relative name is made absolute here.
std::string AbsoluteName(const std::string& name) {
    if (IsNetworkAddress(name)) return name;
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(name, ec);
    return ec ? name : absolute.string();
}

}  // namespace

ProgramEnd RunProgram(const ProgramOptions& options) {
    const std::string socketPath =
        options.socketPath.empty() ? InstanceSocketPath() : options.socketPath;
    const std::string exePath = options.exePath.empty() ? RunningExePath() : options.exePath;
    auto step = [&](const std::string& name) {
        if (options.observer) options.observer->StepDone(name);
    };

    if (!socketPath.empty() && ShouldTryHandOver(options.params, options.ctrlHeld)) {
        const auto file = HandOverFile(options.params);
        if (file && HandOverToRunningInstance(socketPath, AbsoluteName(*file)))
            return ProgramEnd::HandedOver;
    }

    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(AppIcon());
    SetApplicationTitle("Quova");
    SessionEnding = false;

    LoadLexiconFile("en");
    LoadLexiconFile(LanguageCode());
    step("lexicon");

    // What every command of this run works on; it outlives the window.
    PlayerSession session;
    TQuovaForm form(session, options.params, exePath);
    form.SetObserver(options.observer);
    auto* about = new TQuovaAboutBox(session, &form);
    form.SetAboutBox(about);

    InstanceServer server;
    QObject::connect(&server, &InstanceServer::handedOver, &form, &TQuovaForm::HandOverReceived);
    // A live instance already listening (a start with Ctrl held or a switch)
    // keeps the socket; this one runs without taking hand-overs.
    if (!socketPath.empty()) server.Listen(socketPath);

    TerminationWatcher termination;
    QObject::connect(&termination, &TerminationWatcher::TerminationRequested, &form,
                     &TQuovaForm::SessionEnd);

    QEventLoop loop;
    QObject::connect(&form, &TQuovaForm::Closed, &loop, &QEventLoop::quit, Qt::QueuedConnection);

    about->show();
    if (options.observer) options.observer->WindowCreated(form);
    loop.exec();

    server.Close();
    form.FinalizeApp();
    return ProgramEnd::Finished;
}

}  // namespace quova
