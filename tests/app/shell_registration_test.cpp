#include "app/shell_registration.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/registry/registry.h"
#include "tests/app/qt_support.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

using registry::Hive;

class ShellRegistration : public ::testing::Test {
  protected:
    void SetUp() override { registry::SetStorePath(dir_ / "registry.reg"); }
    void TearDown() override { registry::SetStorePath({}); }

    static void Set(const std::string& path, const std::string& value) {
        registry::OpenKey(Hive::ClassesRoot, path)->Write("", value);
    }
    static std::optional<std::string> Get(const std::string& path) {
        const auto key = registry::OpenExistingKey(Hive::ClassesRoot, path);
        return key ? key->Read("") : std::nullopt;
    }

    testing::TempDir dir_;
};

TEST_F(ShellRegistration, NewExtensionGetsItsTypeAndTheProgramAsDefaultVerb) {
    EXPECT_EQ(DefaultFileType(".avi"), "avifile");
    EXPECT_EQ(DefaultFileType("." + std::string(150, 'x')), std::string(99, 'x') + "file");
    ASSERT_TRUE(CheckFileType(".mpl", "/opt/quova/quova"));
    EXPECT_EQ(Get(".mpl"), "mplfile");
    EXPECT_EQ(Get("mplfile"), "");
    EXPECT_EQ(Get("mplfile\\shell"), "Quova");
    EXPECT_EQ(Get("mplfile\\shell\\quova"), "&Open with Quova");
    EXPECT_EQ(Get("mplfile\\shell\\quova\\command"), "\"/opt/quova/quova\" \"%1\"");
}

TEST_F(ShellRegistration, AnotherProgramsDefaultVerbIsKept) {
    Set(".avi", "Video.Avi");
    Set("Video.Avi", "AVI video");
    Set("Video.Avi\\shell", "play");
    Set("Video.Avi\\shell\\play\\command", "\"/usr/bin/otherplayer\" \"%1\"");
    ASSERT_TRUE(CheckFileType(".avi", "/opt/quova/quova"));
    EXPECT_EQ(Get(".avi"), "Video.Avi");
    EXPECT_EQ(Get("Video.Avi"), "AVI video");
    EXPECT_EQ(Get("Video.Avi\\shell"), "play");
    EXPECT_EQ(Get("Video.Avi\\shell\\play\\command"), "\"/usr/bin/otherplayer\" \"%1\"");
    EXPECT_EQ(Get("Video.Avi\\shell\\quova\\command"), "\"/opt/quova/quova\" \"%1\"");
}

TEST_F(ShellRegistration, MovedProgramIsFollowed) {
    Set(".ogg", "oggfile");
    Set("oggfile\\shell", "open");
    Set("oggfile\\shell\\open\\command", "\"/old/place/quova\" \"%1\"");
    ASSERT_TRUE(CheckFileType(".ogg", "/new/place/quova"));
    EXPECT_EQ(Get("oggfile\\shell"), "open");
    EXPECT_EQ(Get("oggfile\\shell\\open\\command"), "\"/new/place/quova\" \"%1\"");
    EXPECT_EQ(Get("oggfile\\shell\\quova\\command"), "\"/new/place/quova\" \"%1\"");
}

TEST_F(ShellRegistration, StartUpRegistersTheApplicationAndAllTenExtensions) {
    EXPECT_TRUE(ShellRegistrationNeeded("", "", "0.1.0.0", "/opt/quova/quova"));
    EXPECT_TRUE(ShellRegistrationNeeded("0.1.0.0", "/old/quova", "0.1.0.0", "/opt/quova/quova"));
    EXPECT_FALSE(ShellRegistrationNeeded("0.1.0.0", "/opt/q", "0.1.0.0", "/opt/q"));

    RegisterWithShell("/opt/quova/quova");
    EXPECT_EQ(Get("Applications\\quova\\shell"), "open");
    EXPECT_EQ(Get("Applications\\quova\\shell\\open"), "");
    EXPECT_EQ(Get("Applications\\quova\\shell\\open\\command"), "\"/opt/quova/quova\" \"%1\"");
    const char* const extensions[] = {".avi", ".asf", ".bup", ".mp3", ".mpg",
                                      ".vob", ".mpl", ".ogg", ".ogm", ".oga"};
    EXPECT_TRUE(std::equal(std::begin(extensions), std::end(extensions),
                           std::begin(kRegisteredExtensions), std::end(kRegisteredExtensions),
                           [](const char* a, const char* b) { return std::string(a) == b; }));
    for (const std::string ext : extensions) {
        const std::string type = ext.substr(1) + "file";
        EXPECT_EQ(Get(ext), type) << ext;
        EXPECT_EQ(Get(type + "\\shell\\quova\\command"), "\"/opt/quova/quova\" \"%1\"") << ext;
    }
}

TEST_F(ShellRegistration, UnwritableStoreIsReportedPerExtension) {
    testing::App();
    testing::WriteFile(dir_ / "blocker", "a file where a folder should be");
    registry::SetStorePath(dir_ / "blocker" / "registry.reg");
    testing::SeenBox seen;
    testing::AnswerNextBox(QMessageBox::Ok, &seen);
    EXPECT_FALSE(CheckFileType(".avi", "/opt/quova/quova"));
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.caption, "Quova:CheckFileType");
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_TRUE(seen.text.endsWith("\nexception on CheckFileType accessing the Registry"))
        << seen.text.toStdString();
}

}  // namespace
}  // namespace quova
