#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <grp.h>
#include <QAction>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QWindow>
#include <cstdlib>

#include "app/desktop_entry.h"
#include "app/documentation.h"
#include "app/main_window.h"
#include "app/popup_menu.h"
#include "app/process_priority.h"
#include "app/settings.h"
#include "app/shell_registration.h"
#include "app/tips.h"
#include "app/topmost.h"
#include "graph/message_box.h"
#include "platform/paths/program_files.h"
#include "platform/registry/registry.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/temp_dir.h"
#include "text/text_session.h"

namespace quova {
namespace {

namespace fs = std::filesystem;

TEST(TextHash, FoldsTheLengthPrefixedTextAsLittleEndianWords) {
    // "0" and six 255 bytes: the words at offsets 0, 1 and 3.
    EXPECT_EQ(TextHash(""), 0xFFFFFF30u);
    // "3abc", three 255 bytes, n = 0, three more 255 bytes.
    EXPECT_EQ(TextHash("abc"), 0x63FEFC31u);
    // "6abcdef": n = 1, so two words per pass.
    EXPECT_EQ(TextHash("abcdef"), 0x9E029BCAu);
    EXPECT_EQ(TipValueName("", ""), "FFFFFF30");
}

class Tips : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::App();
        registry::SetStorePath(dir_ / "registry.reg");
        AppSettings() = Settings{};
        AppSettings().ProgramVersion = "1.2.3.4";
    }
    void TearDown() override {
        registry::SetStorePath({});
        AppSettings() = Settings{};
    }
    std::vector<std::string> TipValues() {
        const registry::KeyHandle key = registry::OpenExistingKey(registry::Hive::CurrentUser,
                                                                  "SOFTWARE\\Dorvane\\Quova\\Tips");
        return key ? key->ValueNames() : std::vector<std::string>{};
    }
    testing::TempDir dir_;
};

TEST_F(Tips, ATipWithoutTextShowsNothingAndWritesNothing) {
    // Entry 30 has no text: nothing shows (a box would wait for an answer).
    EXPECT_FALSE(ShowTip(30));
    EXPECT_FALSE(ShowTip(-1));
    EXPECT_TRUE(TipValues().empty());
}

TEST_F(Tips, NoSkipsTheTipUntilTheVersionChanges) {
    testing::SeenBox seen;
    testing::AnswerNextBox(QMessageBox::Yes, &seen);
    EXPECT_TRUE(ShowTip(11));
    EXPECT_EQ(seen.caption, "Quova Tip");
    EXPECT_EQ(seen.text.toStdString(),
              "Set High Priority option if you have\nother jobs working in background.\n\n"
              "Press YES to see this tip again\nPress No to skip this tip");
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen.defaultButton, QMessageBox::No);
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    const std::string name = TipValueName(
        "1.2.3.4", "Set High Priority option if you have|other jobs working in background.");
    EXPECT_EQ(TipValues(), std::vector<std::string>{name});

    // Yes showed it again; No stores the skip mark.
    testing::AnswerNextBox(QMessageBox::No);
    EXPECT_TRUE(ShowTip(11));
    EXPECT_FALSE(ShowTip(11));
    const registry::KeyHandle key =
        registry::OpenExistingKey(registry::Hive::CurrentUser, "SOFTWARE\\Dorvane\\Quova\\Tips");
    EXPECT_EQ(key->Read(name), "1");

    // A new version shows every tip again.
    AppSettings().ProgramVersion = "1.2.3.5";
    testing::AnswerNextBox(QMessageBox::No);
    EXPECT_TRUE(ShowTip(11));
}

// The desktop's folders of this test program are private (private_desktop_home.cpp).
class DesktopAssociation : public ::testing::Test {
  protected:
    void SetUp() override {
        if (scratch_.empty()) GTEST_SKIP() << why_;
        testing::App();
        registry::SetStorePath(dir_ / "registry.reg");
        data_ = std::getenv("XDG_DATA_HOME");
        config_ = std::getenv("XDG_CONFIG_HOME");
        fs::remove_all(data_ / "applications");
        fs::remove(config_ / "mimeapps.list");
    }
    void TearDown() override {
        fs::remove_all(data_ / "applications");
        fs::remove(config_ / "mimeapps.list");
        registry::SetStorePath({});
    }
    fs::path Entry() const { return data_ / "applications" / "quova.desktop"; }
    std::string MimeApps() const { return testing::ReadFile(config_ / "mimeapps.list"); }
    // The desktop's own answer, when xdg-utils are there.
    std::string QueryDefault(const std::string& type) {
        const QString tool = QStandardPaths::findExecutable("xdg-mime");
        if (tool.isEmpty()) return "(no xdg-mime)";
        QProcess process;
        process.start(tool, {"query", "default", QString::fromStdString(type)});
        process.waitForFinished(20000);
        return process.readAllStandardOutput().trimmed().toStdString();
    }
    // desktop-file-validate's complaints, "" when it accepts the entry.
    std::string Validate(const fs::path& entry) {
        const QString tool = QStandardPaths::findExecutable("desktop-file-validate");
        if (tool.isEmpty()) return "";
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(tool, {QString::fromStdString(entry.string())});
        process.waitForFinished(20000);
        const std::string output = process.readAll().toStdString();
        return process.exitCode() == 0
                   ? output
                   : "exit " + std::to_string(process.exitCode()) + ": " + output;
    }

    // A program path inside the test's folder, its folders made:
    // registration takes only programs whose folders nobody else controls.
    std::string P(const std::string& path) const {
        const fs::path full = dir_.path().string() + path;
        fs::create_directories(full.parent_path());
        return full.string();
    }

    // Registered programs may not lie in the shared temporary folder.
    std::string why_;
    std::filesystem::path scratch_ = testing::UnsharedScratchFolder(&why_);
    testing::TempDir dir_{scratch_.empty() ? std::filesystem::temp_directory_path() : scratch_};
    fs::path data_;
    fs::path config_;
};

TEST_F(DesktopAssociation, AFreshDesktopMakesTheProgramTheDefaultHandler) {
    ASSERT_TRUE(CheckFileType(".avi", P("/opt/quova/bin/quova")));
    const std::string entry = testing::ReadFile(Entry());
    EXPECT_NE(entry.find("\nExec=\"" + P("/opt/quova/bin/quova") + "\" %F\n"), std::string::npos)
        << entry;
    EXPECT_NE(entry.find("video/x-msvideo;"), std::string::npos);
    EXPECT_NE(entry.find("audio/mpeg;"), std::string::npos);
    EXPECT_EQ(Validate(Entry()), "");
    EXPECT_EQ(MimeApps(), "[Default Applications]\nvideo/x-msvideo=quova.desktop;\n");
    if (QueryDefault("video/x-msvideo") != "(no xdg-mime)") {
        EXPECT_EQ(QueryDefault("video/x-msvideo"), "quova.desktop");
    }
    // The store's record is built as before.
    const registry::KeyHandle command =
        registry::OpenExistingKey(registry::Hive::ClassesRoot, "avifile\\shell\\quova\\command");
    ASSERT_TRUE(command);
    EXPECT_EQ(command->Read(""), "\"" + P("/opt/quova/bin/quova") + "\" \"%1\"");
}

TEST_F(DesktopAssociation, AnotherProgramsDefaultIsKept) {
    fs::create_directories(data_ / "applications");
    testing::WriteFile(data_ / "applications" / "other.desktop",
                       "[Desktop Entry]\nType=Application\nName=Other\nExec=other %f\n"
                       "MimeType=video/x-msvideo;\n");
    const std::string list =
        "[Added Associations]\nvideo/mpeg=other.desktop;\n\n"
        "[Default Applications]\nvideo/x-msvideo=other.desktop;\n\n[Removed Associations]\n";
    testing::WriteFile(config_ / "mimeapps.list", list);
    ASSERT_TRUE(CheckFileType(".avi", P("/opt/quova/bin/quova")));
    EXPECT_EQ(MimeApps(), list);
    if (QueryDefault("video/x-msvideo") != "(no xdg-mime)") {
        EXPECT_EQ(QueryDefault("video/x-msvideo"), "other.desktop");
    }
    // Quova is still offered for the type.
    EXPECT_NE(testing::ReadFile(Entry()).find("video/x-msvideo;"), std::string::npos);

    // A type without a default gets one inside the existing group; the rest stays.
    ASSERT_TRUE(CheckFileType(".mpg", P("/opt/quova/bin/quova")));
    EXPECT_EQ(
        MimeApps(),
        "[Added Associations]\nvideo/mpeg=other.desktop;\n\n"
        "[Default Applications]\nvideo/x-msvideo=other.desktop;\nvideo/mpeg=quova.desktop;\n\n"
        "[Removed Associations]\n");

    // A default naming a program that is gone does not count.
    testing::WriteFile(config_ / "mimeapps.list",
                       "[Default Applications]\naudio/mpeg=uninstalled.desktop;\n");
    ASSERT_TRUE(CheckFileType(".mp3", P("/opt/quova/bin/quova")));
    EXPECT_EQ(MimeApps(),
              "[Default Applications]\naudio/mpeg=quova.desktop;uninstalled.desktop;\n");
}

TEST_F(DesktopAssociation, AMovedProgramRewritesItsExecLine) {
    ASSERT_TRUE(CheckFileType(".ogg", P("/old/place/quova")));
    ASSERT_TRUE(CheckFileType(".ogg", P("/new/place/quova")));
    const std::string entry = testing::ReadFile(Entry());
    EXPECT_NE(entry.find("\nExec=\"" + P("/new/place/quova") + "\" %F\n"), std::string::npos)
        << entry;
    EXPECT_EQ(entry.find(P("/old/place/quova")), std::string::npos);
    // The defaults were written once.
    const std::string list = MimeApps();
    EXPECT_EQ(list.find("audio/ogg=quova.desktop;"), list.rfind("audio/ogg=quova.desktop;"));
}

TEST_F(DesktopAssociation, ExecQuotesAPathTheWayDesktopEntriesRequire) {
    // Inside the quotes ", `, $ and \ take a backslash, which the string
    // value doubles; a percent sign is doubled.
    EXPECT_EQ(DesktopExec("/opt/My Apps/quo\"va$1%"), "\"/opt/My Apps/quo\\\\\"va\\\\$1%%\" %F");
    EXPECT_EQ(DesktopExec("/a\\b"), "\"/a\\\\\\\\b\" %F");
    EXPECT_THROW(DesktopExec("/a\nb"), std::invalid_argument);
    ASSERT_TRUE(CheckFileType(".avi", P("/opt/My Apps/quo\"va$1%")));
    EXPECT_EQ(Validate(Entry()), "");
}

TEST_F(DesktopAssociation, RelativeXdgFoldersAreIgnoredForTheHomesDefaults) {
    const fs::path home = dir_ / "home";
    fs::create_directories(home);
    fs::create_directories(dir_ / "cwd");
    const fs::path before = fs::current_path();
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    fs::current_path(dir_ / "cwd");
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", "reldata", 1);
    setenv("XDG_CONFIG_HOME", "relconfig", 1);
    const bool registered = CheckFileType(".avi", P("/opt/quova/bin/quova"));
    setenv("XDG_DATA_HOME", data_.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
    oldHome ? setenv("HOME", savedHome.c_str(), 1) : unsetenv("HOME");
    fs::current_path(before);

    EXPECT_TRUE(registered);
    EXPECT_FALSE(fs::exists(dir_ / "cwd" / "reldata"));
    EXPECT_FALSE(fs::exists(dir_ / "cwd" / "relconfig"));
    EXPECT_TRUE(fs::exists(home / ".local/share/applications/quova.desktop"));
    EXPECT_EQ(testing::ReadFile(home / ".config/mimeapps.list"),
              "[Default Applications]\nvideo/x-msvideo=quova.desktop;\n");
}

TEST_F(DesktopAssociation, NothingIsWrittenThroughALinkPlantedBesideTheFiles) {
    fs::create_directories(data_ / "applications");
    testing::WriteFile(dir_ / "victim", "untouched");
    const fs::path links[] = {data_ / "applications" / "quova.desktop.quova-new",
                              config_ / "mimeapps.list.quova-new"};
    for (const fs::path& link : links) fs::create_symlink(dir_ / "victim", link);
    testing::WriteFile(config_ / "mimeapps.list", "[Default Applications]\n");
    ASSERT_EQ(chmod((config_ / "mimeapps.list").c_str(), 0600), 0);

    ASSERT_TRUE(CheckFileType(".avi", P("/opt/quova/bin/quova")));
    EXPECT_EQ(testing::ReadFile(dir_ / "victim"), "untouched");
    EXPECT_EQ(MimeApps(), "[Default Applications]\nvideo/x-msvideo=quova.desktop;\n");
    EXPECT_NE(testing::ReadFile(Entry()).find("[Desktop Entry]"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(lstat(Entry().c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    ASSERT_EQ(stat((config_ / "mimeapps.list").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    for (const fs::path& link : links) fs::remove(link);
}

TEST_F(DesktopAssociation, NoWritableDesktopFolderIsReported) {
    fs::create_directories(data_);
    testing::WriteFile(data_ / "applications", "a file where the folder should be");
    testing::SeenBox seen;
    testing::AnswerNextBox(QMessageBox::Ok, &seen);
    EXPECT_FALSE(CheckFileType(".avi", P("/opt/quova/bin/quova")));
    EXPECT_EQ(seen.caption, "Quova:CheckFileType");
    fs::remove(data_ / "applications");
}

// Runs `body` in a child process and returns its exit code (the priority of
// the test program itself is never changed).
int InChild(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0) _exit(body());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

TEST(HighPriority, RefusedWithoutPrivilegesLeavesTheOptionOff) {
    const int code = InChild([] {
        // An unprivileged user whose nice value may not go down.
        if (geteuid() == 0) {
            const gid_t group = 65534;
            if (setgroups(1, &group) != 0 || setgid(65534) != 0 || setuid(65534) != 0) return 10;
        }
        const rlimit none{0, 0};
        setrlimit(RLIMIT_NICE, &none);
        ProcessPriority priority;
        bool high = false;
        const std::string osd = HighPriority1Click(high, priority);
        if (high) return 1;
        if (osd != "high priority: not allowed") return 2;
        errno = 0;
        if (getpriority(PRIO_PROCESS, 0) != priority.startNice()) return 3;
        return 0;
    });
    EXPECT_EQ(code, 0);
}

TEST(HighPriority, RaisedAndBackToTheStartValueWhenAllowed) {
    const int code = InChild([] {
        ProcessPriority priority;
        bool high = false;
        if (!HighPriority1Click(high, priority).empty()) return 77;  // not allowed here
        if (!high) return 1;
        if (getpriority(PRIO_PROCESS, 0) >= priority.startNice()) return 2;
        if (!HighPriority1Click(high, priority).empty() || high) return 3;
        if (getpriority(PRIO_PROCESS, 0) != priority.startNice()) return 4;
        return 0;
    });
    if (code == 77) GTEST_SKIP() << "this user may not raise the priority";
    EXPECT_EQ(code, 0);
}

TEST(Topmost, TheWindowStaysWhereItIsWhileItGoesAboveAndBack) {
    testing::App();
    EXPECT_TRUE(TopmostWanted(true, false, true));
    EXPECT_TRUE(TopmostWanted(false, true, true));
    // "Always On Top" while paused: not kept on top.
    EXPECT_FALSE(TopmostWanted(false, true, false));
    EXPECT_FALSE(TopmostWanted(false, false, true));
    EXPECT_FALSE(TopmostAllowed(true, false));
    EXPECT_FALSE(TopmostAllowed(false, true));

    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setGeometry(40, 50, 300, 200);
    window.show();
    QCoreApplication::processEvents();
    const WId id = window.winId();
    const QRect geometry = window.geometry();
    QWindow* native = window.windowHandle();
    int hides = 0;
    QObject::connect(native, &QWindow::visibleChanged, [&](bool visible) { hides += !visible; });

    ApplyTopmost(&window, true);
    EXPECT_TRUE(IsTopmost(&window));
    EXPECT_TRUE(native->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(native->flags().testFlag(Qt::FramelessWindowHint));
    ApplyTopmost(&window, false);
    EXPECT_FALSE(native->flags().testFlag(Qt::WindowStaysOnTopHint));
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(hides, 0);
    EXPECT_EQ(window.winId(), id);
    EXPECT_EQ(window.windowHandle(), native);
    EXPECT_EQ(window.geometry(), geometry);
}

TEST(ProgramFiles, FoundBesideTheProgramOrUnderItsPrefix) {
    testing::TempDir dir;
    fs::create_directories(dir / "prefix" / "bin");
    fs::create_directories(dir / "prefix" / "share" / "quova");
    const fs::path program = dir / "prefix" / "bin" / "quova";
    testing::WriteFile(dir / "prefix" / "share" / "quova" / "quova.htm", "guide");
    EXPECT_EQ(DocumentationPath(program.string()),
              (dir / "prefix" / "share" / "quova" / "quova.htm").string());
    testing::WriteFile(dir / "prefix" / "bin" / "quova.htm", "beside");
    EXPECT_EQ(DocumentationPath(program.string()), (dir / "prefix" / "bin" / "quova.htm").string());
    // Missing everywhere: looked for beside the program.
    EXPECT_EQ(ProgramFile(program, "quova.de.lex"), dir / "prefix" / "bin" / "quova.de.lex");
}

}  // namespace
}  // namespace quova

namespace quova {
namespace {

TEST(InstalledDesktopEntry, OffersTheSameTypesAsTheEntryStartUpWrites) {
    const char* data = std::getenv("QUOVA_TEST_DATA");
    if (!data) GTEST_SKIP() << "QUOVA_TEST_DATA is not set";
    const fs::path source = fs::path(data).parent_path().parent_path();
    const std::string installed =
        testing::ReadFile(source / "share" / "applications" / "quova.desktop");
    std::string types;
    for (const std::string& type : RegisteredMimeTypes()) types += type + ";";
    EXPECT_NE(installed.find("\nMimeType=" + types + "\n"), std::string::npos) << installed;
    EXPECT_NE(installed.find("\nExec=quova %F\n"), std::string::npos);
}

}  // namespace
}  // namespace quova

namespace quova {
namespace {

// The menu item shows a check mark exactly when the priority was set.
TEST(HighPriorityItem, CheckedOnlyWhenThePriorityWasSet) {
    testing::App();
    testing::TempDir dir;
    registry::SetStorePath(dir / "registry.reg");
    AppSettings() = Settings{};
    {
        PlayerSession session;
        TQuovaForm form(session, {}, (dir / "quova").string());
        errno = 0;
        const int start = getpriority(PRIO_PROCESS, 0);
        QAction* action = form.popup().Action("HighPriority1");
        ASSERT_NE(action, nullptr);
        // The tip comes first; No skips it from then on.
        testing::SeenBox tip;
        testing::AnswerNextBox(QMessageBox::No, &tip);
        session.osdMessage.clear();
        action->trigger();
        EXPECT_TRUE(tip.shown);
        QMetaObject::invokeMethod(form.popup().menu(), "aboutToShow");
        const bool raised = getpriority(PRIO_PROCESS, 0) < start;
        EXPECT_EQ(form.menuModel().Find("HighPriority1")->checked, raised);
        EXPECT_EQ(form.highPriority(), raised);
        if (!raised) {
            EXPECT_EQ(session.osdMessage, "high priority: not allowed");
        } else {
            EXPECT_EQ(session.osdMessage, "");
            action->trigger();
            QMetaObject::invokeMethod(form.popup().menu(), "aboutToShow");
            EXPECT_FALSE(form.menuModel().Find("HighPriority1")->checked);
            EXPECT_EQ(getpriority(PRIO_PROCESS, 0), start);
        }
    }
    registry::SetStorePath({});
    AppSettings() = Settings{};
}

}  // namespace
}  // namespace quova
