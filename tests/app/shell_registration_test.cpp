#include "app/shell_registration.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "app/desktop_entry.h"
#include "platform/registry/registry.h"
#include "tests/app/qt_support.h"
#include "tests/support/file_events.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

using registry::Hive;

class ShellRegistration : public ::testing::Test {
  protected:
    void SetUp() override {
        if (scratch_.empty()) GTEST_SKIP() << why_;
        registry::SetStorePath(dir_ / "registry.reg");
    }
    void TearDown() override { registry::SetStorePath({}); }

    static void Set(const std::string& path, const std::string& value) {
        registry::OpenKey(Hive::ClassesRoot, path)->Write("", value);
    }
    static std::optional<std::string> Get(const std::string& path) {
        const auto key = registry::OpenExistingKey(Hive::ClassesRoot, path);
        return key ? key->Read("") : std::nullopt;
    }

    // A program path inside the test's folder, its folders made:
    // registration takes only programs whose folders nobody else controls.
    std::string P(const std::string& path) const {
        const std::filesystem::path full = dir_.path().string() + path;
        std::filesystem::create_directories(full.parent_path());
        return full.string();
    }
    std::string Command(const std::string& path) const { return "\"" + P(path) + "\" \"%1\""; }

    // Registered programs may not lie in the shared temporary folder.
    std::string why_;
    std::filesystem::path scratch_ = testing::UnsharedScratchFolder(&why_);
    testing::TempDir dir_{scratch_.empty() ? std::filesystem::temp_directory_path() : scratch_};
};

TEST_F(ShellRegistration, NewExtensionGetsItsTypeAndTheProgramAsDefaultVerb) {
    EXPECT_EQ(DefaultFileType(".avi"), "avifile");
    EXPECT_EQ(DefaultFileType("." + std::string(150, 'x')), std::string(99, 'x') + "file");
    ASSERT_TRUE(CheckFileType(".mpl", P("/opt/quova/quova")));
    EXPECT_EQ(Get(".mpl"), "mplfile");
    EXPECT_EQ(Get("mplfile"), "");
    EXPECT_EQ(Get("mplfile\\shell"), "Quova");
    EXPECT_EQ(Get("mplfile\\shell\\quova"), "&Open with Quova");
    EXPECT_EQ(Get("mplfile\\shell\\quova\\command"), Command("/opt/quova/quova"));
}

TEST_F(ShellRegistration, AnotherProgramsDefaultVerbIsKept) {
    Set(".avi", "Video.Avi");
    Set("Video.Avi", "AVI video");
    Set("Video.Avi\\shell", "play");
    Set("Video.Avi\\shell\\play\\command", "\"/usr/bin/otherplayer\" \"%1\"");
    ASSERT_TRUE(CheckFileType(".avi", P("/opt/quova/quova")));
    EXPECT_EQ(Get(".avi"), "Video.Avi");
    EXPECT_EQ(Get("Video.Avi"), "AVI video");
    EXPECT_EQ(Get("Video.Avi\\shell"), "play");
    EXPECT_EQ(Get("Video.Avi\\shell\\play\\command"), "\"/usr/bin/otherplayer\" \"%1\"");
    EXPECT_EQ(Get("Video.Avi\\shell\\quova\\command"), Command("/opt/quova/quova"));
}

TEST_F(ShellRegistration, MovedProgramIsFollowed) {
    Set(".ogg", "oggfile");
    Set("oggfile\\shell", "open");
    Set("oggfile\\shell\\open\\command", "\"/old/place/quova\" \"%1\"");
    ASSERT_TRUE(CheckFileType(".ogg", P("/new/place/quova")));
    EXPECT_EQ(Get("oggfile\\shell"), "open");
    EXPECT_EQ(Get("oggfile\\shell\\open\\command"), Command("/new/place/quova"));
    EXPECT_EQ(Get("oggfile\\shell\\quova\\command"), Command("/new/place/quova"));
}

TEST_F(ShellRegistration, StartUpRegistersTheApplicationAndAllTenExtensions) {
    EXPECT_TRUE(ShellRegistrationNeeded("", "", "0.1.0.0", "/opt/quova/quova"));
    EXPECT_TRUE(ShellRegistrationNeeded("0.1.0.0", "/old/quova", "0.1.0.0", "/opt/quova/quova"));
    EXPECT_FALSE(ShellRegistrationNeeded("0.1.0.0", "/opt/q", "0.1.0.0", "/opt/q"));

    RegisterWithShell(P("/opt/quova/quova"));
    EXPECT_EQ(Get("Applications\\quova\\shell"), "open");
    EXPECT_EQ(Get("Applications\\quova\\shell\\open"), "");
    EXPECT_EQ(Get("Applications\\quova\\shell\\open\\command"), Command("/opt/quova/quova"));
    const char* const extensions[] = {".avi", ".asf", ".bup", ".mp3", ".mpg",
                                      ".vob", ".mpl", ".ogg", ".ogm", ".oga"};
    EXPECT_TRUE(std::equal(std::begin(extensions), std::end(extensions),
                           std::begin(kRegisteredExtensions), std::end(kRegisteredExtensions),
                           [](const char* a, const char* b) { return std::string(a) == b; }));
    for (const std::string ext : extensions) {
        const std::string type = ext.substr(1) + "file";
        EXPECT_EQ(Get(ext), type) << ext;
        EXPECT_EQ(Get(type + "\\shell\\quova\\command"), Command("/opt/quova/quova")) << ext;
    }
}

// The desktop's folders of a home nobody has used yet, for a test's time.
class FreshDesktopHome {
  public:
    explicit FreshDesktopHome(const std::filesystem::path& home)
        : data_(home / "data"), config_(home / "config") {
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME"})
            if (const char* value = std::getenv(name)) saved_.emplace_back(name, value);
        std::filesystem::create_directories(data_ / "applications");
        std::filesystem::create_directories(config_);
        setenv("XDG_DATA_HOME", data_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
    }
    ~FreshDesktopHome() {
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_CONFIG_HOME");
        for (const auto& [name, value] : saved_) setenv(name.c_str(), value.c_str(), 1);
    }
    std::filesystem::path Applications() const { return data_ / "applications"; }
    const std::filesystem::path& Config() const { return config_; }

  private:
    std::filesystem::path data_, config_;
    std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(ShellRegistration, AFirstRegistrationWritesTheStoreAndEachDesktopFileOnce) {
    const FreshDesktopHome home(dir_ / "home");
    testing::FileWrites store(dir_.path());
    testing::FileWrites entry(home.Applications());
    testing::FileWrites lists(home.Config());
    RegisterWithShell(P("/opt/quova/quova"));
    EXPECT_EQ(store.Of("registry.reg"), 1);
    EXPECT_EQ(entry.Of("quova.desktop"), 1);
    EXPECT_EQ(lists.Of("mimeapps.list"), 1);

    // Everything is there all the same.
    EXPECT_EQ(Get("Applications\\quova\\shell\\open\\command"), Command("/opt/quova/quova"));
    for (const std::string extension : kRegisteredExtensions) {
        const std::string type = extension.substr(1) + "file";
        EXPECT_EQ(Get(extension), type);
        EXPECT_EQ(Get(type), "");
        EXPECT_EQ(Get(type + "\\shell"), "Quova");
        EXPECT_EQ(Get(type + "\\shell\\quova"), "&Open with Quova");
        EXPECT_EQ(Get(type + "\\shell\\quova\\command"), Command("/opt/quova/quova"));
    }
    EXPECT_EQ(testing::ReadFile(home.Applications() / "quova.desktop"),
              DesktopEntryText(P("/opt/quova/quova")));
    for (const std::string& type : RegisteredMimeTypes())
        EXPECT_TRUE(HasDefaultHandler(type)) << type;

    // Registered already: the store and the desktop's files stay as they are.
    RegisterWithShell(P("/opt/quova/quova"));
    EXPECT_EQ(store.Of("registry.reg"), 1);
    EXPECT_EQ(entry.Of("quova.desktop"), 1);
    EXPECT_EQ(lists.Of("mimeapps.list"), 1);
}

TEST_F(ShellRegistration, AProgramWhereOthersCanWriteIsNotRegistered) {
    // A build folder others may write to: whatever they put there would
    // become the handler of every registered type.
    const std::string program = P("/shared/build/quova");
    ASSERT_EQ(chmod((dir_ / "shared").c_str(), 0777), 0);
    EXPECT_FALSE(RegistrableProgram(program));
    EXPECT_FALSE(CheckFileType(".avi", program));
    RegisterWithShell(program);
    EXPECT_EQ(Get(".avi"), std::nullopt);
    EXPECT_EQ(Get("Applications\\quova\\shell"), std::nullopt);
    // Sticky, as /tmp: others cannot replace what is not theirs, but once
    // the user's folder there goes, anyone can make one of that name.
    ASSERT_EQ(chmod((dir_ / "shared").c_str(), 01777), 0);
    EXPECT_FALSE(RegistrableProgram(program));
    ASSERT_EQ(chmod((dir_ / "shared").c_str(), 0755), 0);
    EXPECT_TRUE(RegistrableProgram(program));
    // A folder that does not exist could be made by anyone later; a relative
    // path depends on the current folder.
    EXPECT_FALSE(RegistrableProgram((dir_ / "missing/quova").string()));
    EXPECT_FALSE(RegistrableProgram("quova"));
}

TEST_F(ShellRegistration, UnwritableStoreIsReportedPerExtension) {
    testing::App();
    testing::WriteFile(dir_ / "blocker", "a file where a folder should be");
    registry::SetStorePath(dir_ / "blocker" / "registry.reg");
    testing::SeenBox seen;
    testing::AnswerNextBox(QMessageBox::Ok, &seen);
    EXPECT_FALSE(CheckFileType(".avi", P("/opt/quova/quova")));
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.caption, "Quova:CheckFileType");
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_TRUE(seen.text.endsWith("\nexception on CheckFileType accessing the Registry"))
        << seen.text.toStdString();
}

}  // namespace
}  // namespace quova
