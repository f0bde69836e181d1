#include "playback/folder_play_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

namespace fs = std::filesystem;

std::string HeadOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes(512, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
    return names;
}

TEST(NaturalOrder, NumbersCountByValueAndLettersIgnoreCase) {
    EXPECT_EQ(Sorted({"ep10", "ep2", "ep1", "ep12", "ep3", "ep11"}),
              (std::vector<std::string>{"ep1", "ep2", "ep3", "ep10", "ep11", "ep12"}));
    // Case does not split a series, and a shorter name comes first.
    EXPECT_EQ(Sorted({"Ep4.mkv", "ep3.mkv", "EP10.mkv", "ep.mkv"}),
              (std::vector<std::string>{"ep.mkv", "ep3.mkv", "Ep4.mkv", "EP10.mkv"}));
    // Series numbered with leading zeros sort with those without.
    EXPECT_EQ(Sorted({"s01e10", "s01e9", "s01e002"}),
              (std::vector<std::string>{"s01e002", "s01e9", "s01e10"}));
    // Runs longer than any integer still compare by value.
    EXPECT_TRUE(NaturalLess("x99999999999999999999", "x100000000000000000000"));
    EXPECT_FALSE(NaturalLess("x100000000000000000000", "x99999999999999999999"));
    // Names equal but for case or zeros still have an order, and one only.
    EXPECT_NE(NaturalLess("ep2", "ep02"), NaturalLess("ep02", "ep2"));
    EXPECT_NE(NaturalLess("Ep2", "ep2"), NaturalLess("ep2", "Ep2"));
    EXPECT_FALSE(NaturalLess("ep2", "ep2"));
    // Later numbers decide once the earlier ones are equal.
    EXPECT_TRUE(NaturalLess("1.2.9", "1.2.10"));
    EXPECT_TRUE(NaturalLess("2 of 9", "10 of 1"));
}

TEST(FolderMedia, RealMediaIsKnownByItsBytesWithOrWithoutAnExtension) {
    testing::TempDir dir;
    const std::vector<fs::path> made = {
        testing::media::Wav(dir / "a.wav", 0.2),
        testing::media::OggVorbis(dir / "b.ogg", 0.2),
        testing::media::AviPcm(dir / "c.avi", 0.2),
        testing::media::MpegPs(dir / "d.mpg", 0.2),
        testing::media::MatroskaH264Mp3(dir / "e.mkv", 0.2),
        testing::media::Mp4H264Aac(dir / "f.mp4", 0.2),
        testing::media::Mp3(dir / "g.mp3", 0.2),
    };
    for (const fs::path& file : made) {
        const std::string head = HeadOf(file);
        EXPECT_TRUE(LooksLikeMedia(file, head)) << file;
        EXPECT_TRUE(LooksLikeMedia(file.stem(), head)) << file << " without its extension";
        EXPECT_TRUE(LooksLikeMedia(dir / "upper.MKV", head)) << file;
        // What names itself a subtitle or a picture is none, whatever it holds.
        EXPECT_FALSE(LooksLikeMedia(dir / "x.srt", head)) << file;
        EXPECT_FALSE(LooksLikeMedia(dir / "x.jpg", head)) << file;
    }
    // A medium's name on text or on nothing is no medium.
    EXPECT_FALSE(LooksLikeMedia("notes.mkv", "1\n00:00:01,000 --> 00:00:02,000\nHello\n"));
    EXPECT_FALSE(LooksLikeMedia("empty.avi", ""));
    EXPECT_FALSE(LooksLikeMedia("README", "Played with Quova.\n"));
    EXPECT_FALSE(LooksLikeMedia("list", std::string("\x7F\x45LF\x02\x01\x01\0", 8)));
    // Bytes of all ones pass for no audio frame: every field is reserved.
    EXPECT_FALSE(LooksLikeMedia("blob", std::string(64, '\xFF')));
}

TEST(FolderMedia, AFolderOfTwelveEpisodesListsThemInOrderAndOneLevelDown) {
    testing::TempDir dir;
    const fs::path clip = testing::media::Wav(dir / "clip.wav", 0.2);
    const fs::path show = dir / "show";
    fs::create_directories(show / "Extras" / "deeper");
    fs::create_directories(show / "bonus");
    for (int n = 12; n >= 1; --n) fs::copy_file(clip, show / ("ep" + std::to_string(n) + ".wav"));
    // Beside them, what a folder of episodes also holds.
    testing::WriteFile(show / "ep1.srt", "1\n00:00:01,000 --> 00:00:02,000\nHello\n");
    testing::WriteFile(show / "cover.jpg", "\xFF\xD8\xFF\xE0");
    testing::WriteFile(show / "notes.mkv", "not a film\n");
    testing::WriteFile(show / "empty.avi", "");
    fs::copy_file(clip, show / "Extras" / "making of 2.wav");
    fs::copy_file(clip, show / "Extras" / "making of 10.wav");
    fs::copy_file(clip, show / "Extras" / "deeper" / "too far.wav");
    fs::copy_file(clip, show / "bonus" / "trailer");
    fs::create_symlink(show / "ep3.wav", show / "bonus" / "link to ep3.wav");
    fs::create_symlink(dir.path(), show / "bonus" / "loop");

    std::vector<std::string> expected;
    for (int n = 1; n <= 12; ++n)
        expected.push_back((show / ("ep" + std::to_string(n) + ".wav")).string());
    // Folders in natural order too: "bonus" before "Extras".
    expected.push_back((show / "bonus" / "link to ep3.wav").string());
    expected.push_back((show / "bonus" / "trailer").string());
    expected.push_back((show / "Extras" / "making of 2.wav").string());
    expected.push_back((show / "Extras" / "making of 10.wav").string());
    EXPECT_EQ(FolderPlayList(show), expected);

    // A folder without media, or one that is gone, gives an empty list.
    EXPECT_TRUE(FolderPlayList(show / "Extras" / "deeper" / "none").empty());
    fs::remove(show / "Extras" / "deeper" / "too far.wav");
    EXPECT_TRUE(FolderPlayList(show / "Extras" / "deeper").empty());
}

TEST(FolderMedia, AFileAloneFindsItsPlaceAmongTheMediaBesideIt) {
    testing::TempDir dir;
    const fs::path clip = testing::media::Wav(dir / "clip.wav", 0.2);
    const fs::path show = dir / "show";
    fs::create_directories(show / "Extras");
    for (const char* name : {"ep10.wav", "ep2.wav", "ep1.wav"}) fs::copy_file(clip, show / name);
    fs::copy_file(clip, show / "Extras" / "ep0.wav");
    testing::WriteFile(show / "ep2.srt", "1\n00:00:01,000 --> 00:00:02,000\nHello\n");
    const std::vector<std::string> beside = {
        (show / "ep1.wav").string(), (show / "ep2.wav").string(), (show / "ep10.wav").string()};

    MediaBesideFile found = MediaBeside(show / "ep2.wav");
    EXPECT_EQ(found.names, beside);
    EXPECT_EQ(found.index, 1);
    // A name with dots and a name relative to the working folder find the same.
    EXPECT_EQ(MediaBeside(show / "Extras" / ".." / "ep10.wav").index, 2);
    const fs::path before = fs::current_path();
    fs::current_path(show);
    found = MediaBeside("ep1.wav");
    fs::current_path(before);
    EXPECT_EQ(found.names, beside);
    EXPECT_EQ(found.index, 0);
    // A subtitle is not among the media, and a name that is gone has no folder.
    EXPECT_EQ(MediaBeside(show / "ep2.srt").index, -1);
    EXPECT_EQ(MediaBeside(show / "gone.wav").index, -1);
    EXPECT_TRUE(MediaBeside(show / "gone.wav").names.empty());
}

}  // namespace
}  // namespace quova
