#include <QCloseEvent>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdlib>
#include <ctime>

#include "app/about_box.h"
#include "app/app_state.h"
#include "app/command_gate.h"
#include "app/command_line.h"
#include "app/display_mode.h"
#include "app/main_window.h"
#include "app/menu_model.h"
#include "app/popup_menu.h"
#include "app/screen_saver.h"
#include "app/settings.h"
#include "app/shell_registration.h"
#include "app/video_window.h"
#include "app/xrandr_display.h"
#include "graph/graph_state.h"
#include "graph/medium_session.h"
#include "graph/message_box.h"
#include "graph/open_media.h"
#include "lexicon/lexicon.h"
#include "lexicon/menu_template.h"
#include "platform/engine/decoder_choice.h"
#include "playback/audio_output.h"
#include "playback/player_session.h"
#include "playback/resume_points.h"
#include "playback/session_saver.h"
#include "text/subtitle_tracks.h"

// Start-up and shutdown of the main window: the splash's first tick runs
// InitializeApp (settings, shell registration, menu texts, switches, the
// first placement and the command line's media); the close runs the quit
// question and releases the graph; FinalizeApp saves what start-up loaded.

namespace quova {

void TQuovaForm::SplashTick() {
    if (!aboutBox_) return;
    if (splashTicks_++ == 0) {
        aboutBox_->timer()->stop();
        commands_->Gate().Run([this] { InitializeApp(); });
        // Start-up has run, successfully or not: the splash may be closed.
        aboutBox_->okButton()->setEnabled(true);
        show();
        // Raised once the loop has taken the window's showing, so that the
        // splash stays above it.
        QTimer::singleShot(0, this, [this] {
            if (aboutBox_) aboutBox_->raise();
        });
        // A medium named on the command line is what the user came for: the
        // splash steps aside at once instead of covering its first pictures.
        if (commandLineOpened_)
            QTimer::singleShot(0, this, &TQuovaForm::SplashTick);
        else
            aboutBox_->timer()->start();
        return;
    }
    show();
    aboutBox_->close();
}

void TQuovaForm::Step(const std::string& name) {
    if (observer_) observer_->StepDone(name);
}

void TQuovaForm::InitializeApp() {
    Settings& settings = AppSettings();
    try {
        SetApplicationTitle("Quova Media Player");
        settings.ProgramVersion = BuildProgramVersion();
        settings.ExePath = exePath_;

        // The desktop's mode, kept for the restore at the end; a mode that an
        // earlier run left changed is put back first.
        const QPoint centre = frameGeometry().center();
        display_->SetPoint(centre.x(), centre.y());
        display_->RestoreAbandoned();
        DisplayModes().CaptureDisplayMode();

        LoadSettings(settings, *this);
        settingsLoaded_ = true;
        engine::DecoderChoice::Instance().SetHardwareAllowed(settings.HardwareDecoding);
        Step("settings");

        // The stored device when it is there, the default otherwise; a device
        // in use that goes later hands its streams to the default one.
        settings.AudioDevice = StartAudioOutput(session_, settings.AudioDevice, [this] {
            AppSettings().AudioDevice = session_.outputs.chosen;
            PaintOsdNow();
        });

        if (ShellRegistrationNeeded(settings.StoredVersion, settings.StoredExePath,
                                    settings.ProgramVersion, settings.ExePath))
            RegisterWithShell(settings.ExePath);
        Step("shell registration");

        std::srand(static_cast<unsigned>(std::time(nullptr)));
        setAcceptDrops(true);

        screenSaver_->SaveScreenSaverState();
        screenSaver_->SuppressScreenSaver(settings.PreventScreenSaver);
        displayTimer_->start();

        LoadMenuTemplates(menuModel_.TemplateItems(), settings.ExePath, LanguageCode());
        popup_->Sync();
        Step("templates");

        for (QWidget* control : edgeControls_->hinted()) {
            const int entry = control->property("hintEntry").toInt();
            if (entry > 0) control->setToolTip(QString::fromStdString(Lex(entry)));
        }
        Step("hints");

        ApplySwitches(params_, settings);
        Step("switches");

        // Before the command line's media, which may resume. A damaged store
        // is told of once start-up is done; the new one works meanwhile.
        if (const std::string problem = OpenResumeStore(session_, UserResumeFile());
            !problem.empty())
            commands_->Gate().Run([problem] { ShowMessage(problem, MbIconExclamation); });
        Step("resume store");

        // The window takes the full-screen or windowed form the settings ask for.
        layout_->FormCanResize();
        layout_->FirstPlacement();
        Step("first placement");

        for (const StartupAction& action : StartupActions(params_)) {
            if (action.kind == StartupAction::Kind::Open) {
                // Opens are let through for the command line only. The splash
                // may close during the open; its count is kept.
                const int saved = session_.openCounter;
                session_.openCounter = 0;
                commands_->RunWithin(BoundId(OutsideBindings(), "CommandLine"), action.file);
                commandLineOpened_ = true;
                session_.openCounter += saved;
            } else {
                settings.ZoomFactor = action.zoom;
                layout_->LayoutVideo();
            }
        }
        Step("command line");

        if (aboutBox_ && aboutBox_->isVisible()) aboutBox_->raise();
    } catch (const std::exception& e) {
        ShowCaptionedMessage(e.what(), "Quova:InitializeApp", MbIconExclamation);
    }
}

void TQuovaForm::FinalizeApp() {
    // Their threads post to the application, which goes soon after this.
    EndSubtitleWork(session_);
    Settings& settings = AppSettings();
    DisplayModes().Restore();
    displayTimer_->stop();
    screenSaver_->KeepDisplayOn(false);
    screenSaver_->RestoreScreenSaver(settings.PreventScreenSaver);
    // Settings that were never (or only partly) loaded would overwrite the
    // user's stored ones with start values, the recent files with nothing.
    if (!settingsLoaded_) return;
    try {
        SaveSettings(settings, *this, InFullScreen());
        SaveRecentFiles(settings);
    } catch (const std::exception& e) {
        ShowCaptionedMessage(e.what(), "Quova:FinalizeApp", MbIconExclamation);
    }
}

void TQuovaForm::SessionEnd() {
    // The termination watcher has dismissed any box or dialog that would hold
    // the close back.
    SessionEnding = true;
    QTimer::singleShot(0, this, [this] { close(); });
}

void TQuovaForm::closeEvent(QCloseEvent* event) {
    // The question below runs a modal loop; a second close request meanwhile
    // waits for the first one's outcome.
    if (closing_) {
        event->ignore();
        return;
    }
    // Closing releases the graph: a command under way (asking the user
    // something, with the graph in hand) finishes first.
    if (commands_->Gate().Busy() && !closeNow_) {
        event->ignore();
        commands_->Gate().Run([this] {
            closeNow_ = true;
            close();
            closeNow_ = false;
        });
        return;
    }
    // The window manager's close (Alt+F4) hides to the notification area.
    if (event->spontaneous() && trayIcon_ && !SessionEnding) {
        event->ignore();
        ToggleVisible();
        return;
    }
    closing_ = true;
    const bool timerWasRunning = timer1_->isActive();
    // No tick is under way: the busy check above let a running command end.
    timer1_->stop();
    if (!SessionEnding && tag_ == 0 && ShowMessage(Lex(1270), MbYesNo | MbIconQuestion) == IdNo) {
        // Staying: polling resumes where it was.
        if (timerWasRunning) timer1_->start();
        closing_ = false;
        event->ignore();
        return;
    }
    if (trayIcon_) trayIcon_->hide();
    setAcceptDrops(false);
    StopAndClearGraph(session_);
    ReleaseGraph(session_);
    closing_ = false;
    event->accept();
    Q_EMIT Closed();
}

void TQuovaForm::StartSessionSaver() {
    sessionSaver_ = std::make_unique<SessionSaver>();
    session_.sessionSaver = sessionSaver_.get();
    sessionTimer_ = new QTimer(this);
    sessionTimer_->setInterval(kSessionSaveIntervalMs);
    connect(sessionTimer_, &QTimer::timeout, this,
            [this] { SaveRunningSessionBookmark(session_, *sessionSaver_); });
    sessionTimer_->start();
}

}  // namespace quova
