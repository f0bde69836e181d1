#include "platform/paths/pictures_folder.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_dir.h"

namespace quova {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

const fs::path kHome = "/home/ann";

fs::path Parsed(const std::string& text) {
    return PicturesFolderFromUserDirs(text, kHome);
}

// The file as xdg-user-dirs-update writes it on a fresh account.
constexpr const char* kWritten =
    "# This file is written by xdg-user-dirs-update\n"
    "# If you want to change or add directories, just edit the line you're\n"
    "# interested in. All local changes will be retained on the next run.\n"
    "# Format is XDG_xxx_DIR=\"$HOME/yyy\", where yyy is a shell-escaped\n"
    "# homedir-relative path, or XDG_xxx_DIR=\"/yyy\", where /yyy is an\n"
    "# absolute path. No other format is supported.\n"
    "# \n"
    "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
    "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
    "XDG_TEMPLATES_DIR=\"$HOME/Templates\"\n"
    "XDG_PUBLICSHARE_DIR=\"$HOME/Public\"\n"
    "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n"
    "XDG_MUSIC_DIR=\"$HOME/Music\"\n"
    "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n"
    "XDG_VIDEOS_DIR=\"$HOME/Videos\"\n";

TEST(UserDirs, TheFormsTheFormatAllows) {
    EXPECT_EQ(Parsed(kWritten), "/home/ann/Bilder");
    EXPECT_EQ(Parsed("XDG_PICTURES_DIR=\"/srv/photos\"\n"), "/srv/photos");
    // Shell escapes, blanks around the "=", a trailing slash, no last newline.
    EXPECT_EQ(Parsed("XDG_PICTURES_DIR=\"$HOME/My \\\"Shots\\\"\""), "/home/ann/My \"Shots\"");
    EXPECT_EQ(Parsed("  XDG_PICTURES_DIR \t= \"$HOME/Pics/\"\n"), "/home/ann/Pics");
    EXPECT_EQ(Parsed("XDG_PICTURES_DIR=\"$HOME/Bilder mit Umlaut \xC3\xA4\"\n"),
              "/home/ann/Bilder mit Umlaut \xC3\xA4");
    // A folder pointed at the home itself is how the format turns one off:
    // the home is the folder then.
    EXPECT_EQ(Parsed("XDG_PICTURES_DIR=\"$HOME/\"\n"), kHome);
    EXPECT_EQ(Parsed("XDG_PICTURES_DIR=\"$HOME\"\n"), kHome);
    // The last line that names a folder counts.
    EXPECT_EQ(Parsed("XDG_PICTURES_DIR=\"/a\"\nXDG_PICTURES_DIR=\"/b\"\n"), "/b");
    EXPECT_EQ(Parsed("XDG_PICTURES_DIR=\"/a\"\r\nXDG_PICTURES_DIR=bad\n"), "/a");
}

TEST(UserDirs, WhatTheFormatDoesNotAllowNamesNoFolder) {
    for (const char* text : {
             "",
             "# XDG_PICTURES_DIR=\"/commented\"\n",
             "XDG_PICTURES_DIR=/unquoted\n",
             "XDG_PICTURES_DIR=\"Pictures\"\n",     // relative
             "XDG_PICTURES_DIR=\"~/Pictures\"\n",   // not the format's home
             "XDG_PICTURES_DIR=\"$HOMEPICS/x\"\n",  // another variable
             "XDG_PICTURES_DIR=\"${HOME}/Pictures\"\n",
             "XDG_PICTURES_DIR=\"\"\n",
             "XDG_PICTURES_DIRS=\"/x\"\n",
             "xdg_pictures_dir=\"/x\"\n",
             "export XDG_PICTURES_DIR=\"/x\"\n",
             "XDG_VIDEOS_DIR=\"/videos\"\n",
         })
        EXPECT_EQ(Parsed(text), fs::path()) << text;
    // A "$HOME" value means nothing without a home.
    EXPECT_EQ(PicturesFolderFromUserDirs("XDG_PICTURES_DIR=\"$HOME/P\"\n", {}), fs::path());
    // A NUL ends the line, as for the C readers of the file.
    EXPECT_EQ(Parsed(std::string("XDG_PICTURES_DIR=\"/a\0/b\"\n", 25)), "/a");
    // A value far longer than any path is no folder.
    EXPECT_EQ(Parsed("XDG_PICTURES_DIR=\"/" + std::string(100000, 'x') + "\"\n"), fs::path());
}

TEST(UserDirs, TheFileInTheConfigFolderElseThePicturesFolderOfTheHome) {
    TempDir dir;
    const fs::path home = dir / "home";
    const fs::path config = dir / "config";
    fs::create_directories(home / ".config");
    fs::create_directories(config);
    // No file anywhere.
    EXPECT_EQ(UserPicturesFolder(config.string(), home), home / "Pictures");
    EXPECT_EQ(UserPicturesFolder("", home), home / "Pictures");

    testing::WriteFile(config / "user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Shots\"\n");
    testing::WriteFile(home / ".config/user-dirs.dirs", "XDG_PICTURES_DIR=\"/default/place\"\n");
    EXPECT_EQ(UserPicturesFolder(config.string(), home), home / "Shots");
    // XDG_CONFIG_HOME counts only as an absolute path.
    EXPECT_EQ(UserPicturesFolder("", home), "/default/place");
    EXPECT_EQ(UserPicturesFolder("config", home), "/default/place");

    // A file that names no folder, or is far too large to be the real one.
    testing::WriteFile(config / "user-dirs.dirs", "XDG_PICTURES_DIR=Shots\n");
    EXPECT_EQ(UserPicturesFolder(config.string(), home), home / "Pictures");
    testing::WriteFile(config / "user-dirs.dirs",
                       std::string(1 << 20, '#') + "\nXDG_PICTURES_DIR=\"/far\"\n");
    EXPECT_EQ(UserPicturesFolder(config.string(), home), home / "Pictures");
    // A folder in the file's place.
    fs::remove(config / "user-dirs.dirs");
    fs::create_directories(config / "user-dirs.dirs");
    EXPECT_EQ(UserPicturesFolder(config.string(), home), home / "Pictures");

    // Without a home only an absolute folder in the file is left.
    EXPECT_EQ(UserPicturesFolder(config.string(), {}), fs::path());
    fs::create_directories(dir / "other");
    testing::WriteFile(dir / "other/user-dirs.dirs", "XDG_PICTURES_DIR=\"/abs\"\n");
    EXPECT_EQ(UserPicturesFolder((dir / "other").string(), {}), "/abs");
}

}  // namespace
}  // namespace quova
