#include "app/program.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <map>

#include "app/about_box.h"
#include "app/app_state.h"
#include "app/main_window.h"
#include "app/popup_menu.h"
#include "app/settings.h"
#include "app/termination.h"
#include "graph/message_box.h"
#include "lexicon/lexicon.h"
#include "platform/registry/registry.h"
#include "playback/player_session.h"
#include "tests/app/instance_server.h"
#include "tests/app/qt_support.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

using Values = std::map<std::string, std::string>;

struct Opened {
    std::string name;
    double zoom;
    int openCounter;
    bool operator==(const Opened&) const = default;
};

// Runs the whole program, start-up to shutdown, against a private store and
// socket. `whenReady` acts once the splash has closed; it must end the program.
class Program : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::App();
        registry::SetStorePath(dir_ / "registry.reg");
        AppSettings() = Settings{};
        options_.exePath = (dir_ / "quova").string();
        // The program opens the user's store of resume points: this test's own.
        stateHome_ = std::getenv("XDG_STATE_HOME") ? std::getenv("XDG_STATE_HOME") : "";
        setenv("XDG_STATE_HOME", (dir_ / "state").c_str(), 1);
        options_.socketPath = (dir_ / "instance").string();
        watch_.step = [this](const std::string& step) { steps_.push_back(step); };
        watch_.open = [this](const std::string& name) {
            opened_.push_back({name, AppSettings().ZoomFactor, watch_.session->openCounter});
        };
    }
    void TearDown() override {
        registry::SetStorePath({});
        if (stateHome_.empty())
            unsetenv("XDG_STATE_HOME");
        else
            setenv("XDG_STATE_HOME", stateHome_.c_str(), 1);
    }

    ProgramEnd Run(std::function<void(TQuovaForm&)> whenReady) {
        watch_.created = [this, whenReady](TQuovaForm& form) {
            created_ = true;
            auto* poll = new QTimer(&form);
            poll->setInterval(5);
            QObject::connect(poll, &QTimer::timeout, [poll, &form, whenReady, this] {
                if (form.session().openCounter < 0 || form.aboutBox()->isVisible()) return;
                poll->stop();
                whenReady(form);
            });
            poll->start();
        };
        return RunProgram(options_);
    }

    std::string File(const std::string& name) {
        testing::WriteFile(dir_ / name, "not really a movie");
        return (dir_ / name).string();
    }

    static void SetUserValues(const std::string& path, const Values& values) {
        auto key = registry::OpenUserKey(path);
        for (const auto& [name, value] : values) registry::WriteStrValue(key.get(), name, value);
        registry::CloseKey(key);
    }
    static Values UserValues(const std::string& path) {
        Values values;
        const auto key = registry::OpenExistingKey(registry::Hive::CurrentUser, path);
        if (!key) return values;
        for (const std::string& name : key->ValueNames()) values[name] = *key->Read(name);
        return values;
    }

    testing::TempDir dir_;
    std::string stateHome_;
    // The program's life as the tests follow it.
    struct Watch final : ProgramObserver {
        std::function<void(const std::string&)> step, open;
        std::function<void(TQuovaForm&)> created;
        // The program's own session, known once its window exists.
        PlayerSession* session = nullptr;
        void StepDone(const std::string& name) override {
            if (step) step(name);
        }
        void WindowCreated(TQuovaForm& form) override {
            session = &form.session();
            if (created) created(form);
        }
        bool OpenMedia(const std::string& name) override {
            if (open) open(name);
            return static_cast<bool>(open);
        }
    } watch_;
    ProgramOptions options_{
        .params = {}, .ctrlHeld = false, .socketPath = {}, .exePath = {}, .observer = &watch_};
    std::vector<std::string> steps_;
    std::vector<Opened> opened_;
    bool created_ = false;
};

constexpr const char* kMainKey = "SOFTWARE\\Dorvane\\Quova";

TEST_F(Program, StartsInOrderAndHandlesTheCommandLineInTwoPasses) {
    SetUserValues(kMainKey, {{"osd", "1"}, {"zoom3", "1"}});
    const std::string a = File("a.avi"), b = File("b.ogg");
    options_.params = {"/noosd", "/2", a, "/3", b};
    bool visible = false, splashGone = false;
    int counter = -5;
    ASSERT_EQ(Run([&](TQuovaForm& form) {
                  visible = form.isVisible();
                  splashGone = !form.aboutBox()->isVisible();
                  counter = watch_.session->openCounter;
                  form.popup().Trigger("Exit1");
              }),
              ProgramEnd::Finished);
    EXPECT_EQ(steps_, (std::vector<std::string>{"lexicon", "settings", "shell registration",
                                                "templates", "hints", "switches", "resume store",
                                                "first placement", "command line"}));
    // Opens pass the gate only for the command line; zooms act in order.
    EXPECT_EQ(opened_, (std::vector<Opened>{{a, 2.0, 0}, {b, 3.0, 0}}));
    EXPECT_TRUE(visible);
    EXPECT_TRUE(splashGone);
    EXPECT_EQ(counter, 0);
    // The switch overrides the loaded setting and is saved with it.
    EXPECT_FALSE(AppSettings().OsdOn);
    EXPECT_EQ(UserValues(kMainKey)["osd"], "0");
    EXPECT_EQ(UserValues(kMainKey)["exe"], options_.exePath);
}

TEST_F(Program, SplashClosedDuringACommandLineOpenStillMakesTheProgramReady) {
    const std::string movie = File("movie.avi");
    options_.params = {movie};
    TQuovaForm* window = nullptr;
    watch_.created = [&](TQuovaForm& form) { window = &form; };
    // The user closes the splash while the file opens (the open handles events).
    watch_.open = [&](const std::string&) { window->aboutBox()->okButton()->click(); };
    int counter = -5;
    watch_.step = [&](const std::string& step) {
        if (step != "command line") return;
        counter = watch_.session->openCounter;
        QTimer::singleShot(0, window, [&] { window->close(); });
    };
    EXPECT_EQ(RunProgram(options_), ProgramEnd::Finished);
    EXPECT_EQ(counter, 0);
}

TEST_F(Program, FullScreenSwitchAndFileInEitherOrderStartWithoutHandOver) {
    testing::InstanceThread running(options_.socketPath);
    ASSERT_TRUE(running.listening());
    const std::string movie = File("movie.avi");
    for (const auto& params :
         {std::vector<std::string>{"/fs", movie}, std::vector<std::string>{movie, "/FS"}}) {
        AppSettings() = Settings{};
        opened_.clear();
        options_.params = params;
        bool fullScreen = false;
        ASSERT_EQ(Run([&](TQuovaForm& form) {
                      fullScreen = form.windowState() & Qt::WindowFullScreen;
                      form.close();
                  }),
                  ProgramEnd::Finished);
        EXPECT_TRUE(AppSettings().FullScreenMode);
        EXPECT_TRUE(fullScreen);
        ASSERT_EQ(opened_.size(), 1u);
        EXPECT_EQ(opened_[0].name, movie);
    }
    EXPECT_TRUE(running.names().empty());
}

TEST_F(Program, SecondStartHandsItsFileOverAndEndsWithoutAWindow) {
    testing::InstanceThread running(options_.socketPath);
    ASSERT_TRUE(running.listening());
    const std::string movie = File("movie.avi");
    const auto windowsBefore = QApplication::topLevelWidgets().size();

    options_.params = {movie, "b.avi"};
    EXPECT_EQ(RunProgram(options_), ProgramEnd::HandedOver);
    EXPECT_FALSE(created_);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windowsBefore);
    // A relative name reaches the running instance as a full path.
    const std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    File("rel.avi");
    options_.params = {"rel.avi"};
    const ProgramEnd end = RunProgram(options_);
    std::filesystem::current_path(cwd);
    EXPECT_EQ(end, ProgramEnd::HandedOver);
    EXPECT_EQ(running.names(2), (std::vector<std::string>{movie, (dir_ / "rel.avi").string()}));
}

TEST_F(Program, OnlyWhatExistsIsHandedOverOtherwiseTheStartOpensItsOwnWindow) {
    testing::InstanceThread running(options_.socketPath);
    ASSERT_TRUE(running.listening());
    const std::string movie = File("movie.avi");
    const std::string gone = (dir_ / "gone.avi").string();

    // An unknown switch and a missing file are passed by.
    options_.params = {"/nosuch", gone, movie, File("b.avi")};
    EXPECT_EQ(RunProgram(options_), ProgramEnd::HandedOver);
    EXPECT_FALSE(created_);
    EXPECT_EQ(running.names(1), (std::vector<std::string>{movie}));
    // A folder is handed over too: the running window plays its media.
    options_.params = {gone, dir_.path().string(), movie};
    EXPECT_EQ(RunProgram(options_), ProgramEnd::HandedOver);
    EXPECT_EQ(running.names(2), (std::vector<std::string>{movie, dir_.path().string()}));

    options_.params = {"/nosuch", gone};
    EXPECT_EQ(Run([](TQuovaForm& form) { form.close(); }), ProgramEnd::Finished);
    EXPECT_TRUE(created_);
    EXPECT_EQ(running.names(2).size(), 2u);
}

TEST_F(Program, AWebAddressIsHandedOverAsGivenAndAFileAddressAsItsPath) {
    testing::InstanceThread running(options_.socketPath);
    ASSERT_TRUE(running.listening());
    const std::string address = "http://127.0.0.1:9/films/a%20b.mkv?t=1";
    options_.params = {address};
    EXPECT_EQ(RunProgram(options_), ProgramEnd::HandedOver);
    EXPECT_FALSE(created_);
    // Other schemes name nothing the player opens; a file address names the
    // local file, escapes undone.
    const std::string movie = File("a b.avi");
    options_.params = {"ftp://127.0.0.1/x.avi", "file://" + (dir_ / "a%20b.avi").string()};
    EXPECT_EQ(RunProgram(options_), ProgramEnd::HandedOver);
    EXPECT_FALSE(created_);
    EXPECT_EQ(running.names(2), (std::vector<std::string>{address, movie}));
}

TEST_F(Program, CtrlOrASwitchUpFrontStartsAFurtherInstance) {
    testing::InstanceThread running(options_.socketPath);
    ASSERT_TRUE(running.listening());
    const std::string movie = File("movie.avi");

    options_.params = {movie};
    options_.ctrlHeld = true;
    EXPECT_EQ(Run([](TQuovaForm& form) { form.close(); }), ProgramEnd::Finished);
    EXPECT_TRUE(created_);
    options_.ctrlHeld = false;
    options_.params = {movie, "/noosd"};
    EXPECT_EQ(Run([](TQuovaForm& form) { form.close(); }), ProgramEnd::Finished);
    EXPECT_TRUE(running.names().empty());
    // The running instance kept its socket.
    options_.params = {movie};
    EXPECT_EQ(RunProgram(options_), ProgramEnd::HandedOver);
    EXPECT_EQ(running.names(1).size(), 1u);
}

TEST_F(Program, AsksReallyQuitOnlyWhileHidden) {
    testing::SeenBox seen;
    bool closedWhileHidden = true;
    int boxesWhileShown = 0;
    Run([&](TQuovaForm& form) {
        form.SetTag(0);
        form.hide();
        testing::AnswerNextBox(QMessageBox::No, &seen);
        closedWhileHidden = form.close();

        form.SetTag(1);
        form.show();
        auto* watch = new QTimer(&form);
        QObject::connect(watch, &QTimer::timeout, [&] {
            if (QApplication::activeModalWidget()) {
                ++boxesWhileShown;
                QApplication::activeModalWidget()->close();
            }
        });
        watch->start(5);
        form.close();
    });
    ASSERT_TRUE(seen.shown);
    EXPECT_FALSE(closedWhileHidden);
    EXPECT_EQ(seen.text.toStdString(), Lex(1270));
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen.caption, "Quova Media Player");
    EXPECT_EQ(boxesWhileShown, 0);
}

TEST_F(Program, TerminationSignalClosesWithoutAskingAndSavesSettings) {
    Run([](TQuovaForm& form) {
        // Hidden to the notification area: a user's close would ask.
        form.SetTag(0);
        form.hide();
        AppSettings().Volume = 77;
        AppSettings().RecentFiles[0] = "/tmp/last.avi";
        std::raise(SIGTERM);
    });
    EXPECT_TRUE(SessionEnding);
    EXPECT_EQ(UserValues(kMainKey)["volume"], "77");
    EXPECT_EQ(UserValues(std::string(kMainKey) + "\\MRU")["1"], "/tmp/last.avi");
}

void Untouched(int) {}

TEST(TerminationWatcher, PutsBackTheHandlersItReplaced) {
    testing::App();
    struct sigaction ours {
    }, previousTerm{}, previousInt{}, seen{};
    ours.sa_handler = Untouched;
    sigemptyset(&ours.sa_mask);
    sigaction(SIGTERM, &ours, &previousTerm);
    sigaction(SIGINT, &ours, &previousInt);
    {
        TerminationWatcher watcher;
        sigaction(SIGTERM, nullptr, &seen);
        EXPECT_NE(seen.sa_handler, Untouched);
        sigaction(SIGINT, nullptr, &seen);
        EXPECT_NE(seen.sa_handler, Untouched);
    }
    sigaction(SIGTERM, &previousTerm, &seen);
    EXPECT_EQ(seen.sa_handler, Untouched);
    sigaction(SIGINT, &previousInt, &seen);
    EXPECT_EQ(seen.sa_handler, Untouched);
}

TEST_F(Program, TerminationBeforeStartUpSavesNothing) {
    SetUserValues(kMainKey, {{"volume", "30"}});
    SetUserValues(std::string(kMainKey) + "\\MRU", {{"1", "/tmp/old.avi"}});
    watch_.created = [](TQuovaForm&) { std::raise(SIGTERM); };
    EXPECT_EQ(RunProgram(options_), ProgramEnd::Finished);
    EXPECT_TRUE(steps_.size() == 1 && steps_[0] == "lexicon");
    EXPECT_EQ(UserValues(kMainKey), (Values{{"volume", "30"}}));
    EXPECT_EQ(UserValues(std::string(kMainKey) + "\\MRU"), (Values{{"1", "/tmp/old.avi"}}));
}

TEST_F(Program, AValueOfAnotherTypeFailsOneStartOnlyAndKeepsTheGoodValues) {
    const std::string original =
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Dorvane\\Quova]\n"
        "\"volume\"=\"30\"\n\"loop\"=dword:00000001\n\"alwaysontop\"=\"1\"\n\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\Dorvane\\Quova\\MRU]\n\"1\"=\"/tmp/old.avi\"\n";
    testing::WriteFile(dir_ / "registry.reg", original);
    std::vector<QString> boxes;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        boxes.push_back(box->windowTitle());
        box->buttons().front()->click();
    });
    answer.start(5);
    auto stored = [](const char* name) -> std::string {
        const auto key = registry::OpenExistingKey(registry::Hive::CurrentUser, kMainKey);
        try {
            return key ? key->Read(name).value_or("(missing)") : "(no key)";
        } catch (const registry::RegistryError&) {
            return "(not a string)";
        }
    };

    // First start: the load stops at "loop" and the rest of start-up is skipped.
    Run([](TQuovaForm& form) { form.close(); });
    EXPECT_EQ(boxes, (std::vector<QString>{"Quova:InitializeApp"}));
    EXPECT_EQ(steps_, (std::vector<std::string>{"lexicon"}));
    EXPECT_EQ(stored("volume"), "30");
    EXPECT_EQ(stored("loop"), "0");
    EXPECT_EQ(stored("alwaysontop"), "1");
    EXPECT_EQ(stored("zoom2"), "(missing)");
    EXPECT_EQ(UserValues(std::string(kMainKey) + "\\MRU")["1"], "/tmp/old.avi");
    // The copy holds the store as the repair found it: everything it held,
    // the damaged value included (and the values the load had created).
    const std::string copy = testing::ReadFile(dir_ / "registry.reg.damaged");
    for (const char* line :
         {"\"volume\"=\"30\"\n\"loop\"=dword:00000001\n\"alwaysontop\"=\"1\"\n",
          "[HKEY_CURRENT_USER\\SOFTWARE\\Dorvane\\Quova\\MRU]\n\"1\"=\"/tmp/old.avi\"\n"})
        EXPECT_NE(copy.find(line), std::string::npos) << copy;

    // Second start: clean, every good value loaded, the rest created.
    AppSettings() = Settings{};
    boxes.clear();
    steps_.clear();
    Run([](TQuovaForm& form) { form.close(); });
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(steps_.back(), "command line");
    EXPECT_EQ(AppSettings().Volume, 30);
    EXPECT_FALSE(AppSettings().LoopOn);
    EXPECT_TRUE(AppSettings().AlwaysOnTop);
    EXPECT_EQ(AppSettings().RecentFiles[0], "/tmp/old.avi");
    EXPECT_EQ(stored("zoom2"), "0");
    EXPECT_EQ(stored("volume"), "30");
}

TEST_F(Program, TerminationWhileAStartUpBoxShowsEndsTheProgramWithoutShowingMore) {
    // Each file of the command line fails to open with a box of its own.
    options_.params = {File("one.avi"), File("two.avi"), File("three.avi")};
    watch_.open = [](const std::string& name) {
        ShowMessage("cannot open " + name, MbIconExclamation);
    };
    std::vector<QString> boxes;
    int ticksAfterSignal = -1;
    bool answeredByHand = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        if (ticksAfterSignal < 0) {
            boxes.push_back(box->text());
            ticksAfterSignal = 0;
            std::raise(SIGTERM);
        } else if (++ticksAfterSignal > 2000) {
            // Only so that a failing run ends: the signal should have done it.
            answeredByHand = true;
            box->buttons().front()->click();
        }
    });
    watch.start(5);
    watch_.created = [](TQuovaForm&) {};
    EXPECT_EQ(RunProgram(options_), ProgramEnd::Finished);
    EXPECT_EQ(boxes,
              (std::vector<QString>{QString::fromStdString("cannot open " + File("one.avi"))}));
    EXPECT_FALSE(answeredByHand) << "a box held the program until it was answered";
    EXPECT_TRUE(SessionEnding);
}

TEST_F(Program, SaveOnExitOffLeavesTheMainKeyButRewritesRecentFiles) {
    SetUserValues(kMainKey, {{"saveonexit", "0"}, {"volume", "30"}});
    SetUserValues(std::string(kMainKey) + "\\MRU", {{"1", "/tmp/old.avi"}});
    Values atStart;
    Run([&](TQuovaForm& form) {
        atStart = UserValues(kMainKey);
        AppSettings().Volume = 80;
        AppSettings().RecentFiles[0] = "/tmp/new.avi";
        form.close();
    });
    EXPECT_EQ(atStart["volume"], "30");
    EXPECT_EQ(UserValues(kMainKey), atStart);
    EXPECT_EQ(UserValues(std::string(kMainKey) + "\\MRU")["1"], "/tmp/new.avi");
}

TEST_F(Program, MenuTemplateBesideTheProgramRecaptionsOpen1AtStartUp) {
    testing::WriteFile(dir_ / "quova.en.mnu",
                       "\"Open1\",\"&Load...\",\"Ctrl+L\",\"Load a movie\"\r\n");
    QString text, hint;
    QKeySequence shortcut;
    Run([&](TQuovaForm& form) {
        QAction* open = form.popup().Action("Open1");
        text = open->text();
        hint = open->statusTip();
        shortcut = open->shortcut();
        form.close();
    });
    EXPECT_EQ(text, "&Load...");
    EXPECT_EQ(shortcut, QKeySequence("Ctrl+L"));
    EXPECT_EQ(hint, "Load...\n----------\nLoad a movie\n----------\nShortcut: Ctrl+L");
}

TEST_F(Program, RegistersWithTheShellOnlyWhenVersionOrPathChanged) {
    auto classes = [](const std::string& path) -> std::optional<std::string> {
        const auto key = registry::OpenExistingKey(registry::Hive::ClassesRoot, path);
        return key ? key->Read("") : std::nullopt;
    };
    // Registered programs may not lie in the shared temporary folder.
    std::string why;
    const std::filesystem::path scratch = testing::UnsharedScratchFolder(&why);
    if (scratch.empty()) GTEST_SKIP() << why;
    const testing::TempDir programs(scratch);
    options_.exePath = (programs / "quova").string();
    Run([](TQuovaForm& form) { form.close(); });
    EXPECT_EQ(classes(".oga"), "ogafile");
    EXPECT_EQ(classes("ogafile\\shell\\quova\\command"), "\"" + options_.exePath + "\" \"%1\"");
    EXPECT_EQ(classes("Applications\\quova\\shell\\open\\command"),
              "\"" + options_.exePath + "\" \"%1\"");

    // Same version and path stored: nothing is written again.
    ASSERT_TRUE(registry::DeleteKey(registry::Hive::ClassesRoot, ".oga"));
    Run([](TQuovaForm& form) { form.close(); });
    EXPECT_FALSE(classes(".oga"));

    // The program moved: registered again, following the new path (an
    // existing folder: one that is missing could be anybody's later).
    std::filesystem::create_directories(programs / "moved");
    options_.exePath = (programs / "moved" / "quova").string();
    Run([](TQuovaForm& form) { form.close(); });
    EXPECT_EQ(classes(".oga"), "ogafile");
    EXPECT_EQ(classes("avifile\\shell\\quova\\command"), "\"" + options_.exePath + "\" \"%1\"");
}

}  // namespace
}  // namespace quova
