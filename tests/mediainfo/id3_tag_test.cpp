#include "mediainfo/id3_tag.h"

#include <gtest/gtest.h>

#include "mediainfo/id3_genres.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

using namespace quova::testing;

std::string Tag(const std::string& title, const std::string& comment30, uint8_t track,
                uint8_t genre) {
    std::string tag(128, '\0');
    tag.replace(0, 3, "TAG");
    tag.replace(3, title.size(), title);
    tag.replace(33, 6, "Artist");
    tag.replace(63, 5, "Album");
    tag.replace(93, 4, "1999");
    tag.replace(97, comment30.size(), comment30);
    if (comment30.size() < 30) tag[126] = static_cast<char>(track);
    tag[127] = static_cast<char>(genre);
    return tag;
}

class Id3TagTest : public ::testing::Test {
  protected:
    bool Read(const std::string& bytes, Id3Buffer& buffer) {
        WriteFile(dir_ / "t.mp3", bytes);
        return ReadId3Tag(dir_ / "t.mp3", buffer);
    }
    TempDir dir_;
};

TEST_F(Id3TagTest, ReadsTheTagGStreamerMp3Carries) {
    Id3Buffer buffer;
    ASSERT_TRUE(ReadId3Tag(media::Mp3(dir_ / "tagged.mp3", 1.0, true), buffer));
    EXPECT_TRUE(HoldsId3Tag(buffer));
    EXPECT_EQ(Id3Field(buffer, Id3FieldId::Header), "TAG");
    const std::array<std::string, 7> expected = {
        "title: Test Title", "artist: Test Artist",   "album: Test Album",
        "year: 2001",        "comment: Test Comment", "track: 7",
        "genre: Rock"};
    EXPECT_EQ(Id3DisplayLines(buffer), expected);

    buffer.fill(1);
    EXPECT_FALSE(ReadId3Tag(media::Mp3(dir_ / "plain.mp3", 1.0, false), buffer));
    EXPECT_EQ(buffer, Id3Buffer{});
    EXPECT_FALSE(HoldsId3Tag(buffer));
}

TEST_F(Id3TagTest, FieldsAreTrimmedAndDecoded) {
    Id3Buffer buffer;
    std::string title = "  Padded title ";
    title += std::string(3, '\0') + "hidden";
    ASSERT_TRUE(Read(std::string(500, 'x') + Tag(title, "Comment", 3, 147), buffer));
    EXPECT_EQ(Id3Field(buffer, 1), "Padded title");
    EXPECT_EQ(Id3Field(buffer, 5), "Comment");
    EXPECT_EQ(Id3Field(buffer, 6), "3");
    EXPECT_EQ(Id3Field(buffer, 7), "Synthpop") << "the last of the 148 genres";
    ASSERT_TRUE(Read(Tag(title, "Comment", 3, 148), buffer));
    EXPECT_EQ(Id3Field(buffer, 7), "148") << "past the list: the number";
    EXPECT_EQ(Id3Field(buffer, 8), "");
    EXPECT_EQ(Id3Field(buffer, -1), "");

    // Old taggers wrote Windows-1252; "\xE9" is é.
    ASSERT_TRUE(Read(Tag("Caf\xE9", "", 0, 255), buffer));
    EXPECT_EQ(Id3Field(buffer, 1), "Caf\xC3\xA9");
    EXPECT_EQ(Id3Field(buffer, 6), "") << "track 0 is no track";
    EXPECT_EQ(Id3Field(buffer, 7), "255");
}

// ID3 v1.1 (as id3.org describes it) keeps byte 125 zero and puts a track
// number other than zero in byte 126; in any other tag the comment runs over
// both, as version 1.0 wrote it.
TEST_F(Id3TagTest, OnlyVersionOnePointOneCarriesATrack) {
    Id3Buffer buffer;
    ASSERT_TRUE(Read(Tag("T", "Thirty bytes of comment, all l", 0, 17), buffer));
    EXPECT_EQ(Id3Field(buffer, 5), "Thirty bytes of comment, all l");
    EXPECT_EQ(Id3Field(buffer, 6), "") << "not 108, the comment's last 'l'";
    EXPECT_EQ(Id3DisplayLines(buffer)[4], "comment: Thirty bytes of comment, all l");
    EXPECT_EQ(Id3DisplayLines(buffer)[5], "track: ");

    ASSERT_TRUE(Read(Tag("T", "Twenty-nine bytes of comment.", 0, 17), buffer));
    EXPECT_EQ(Id3Field(buffer, 5), "Twenty-nine bytes of comment.");
    EXPECT_EQ(Id3Field(buffer, 6), "");

    ASSERT_TRUE(Read(Tag("T", "A shorter comment", 12, 17), buffer));
    EXPECT_EQ(Id3Field(buffer, 5), "A shorter comment");
    EXPECT_EQ(Id3Field(buffer, 6), "12");
    ASSERT_TRUE(Read(Tag("T", "Exactly twenty-eight bytes!!", 255, 17), buffer));
    EXPECT_EQ(Id3Field(buffer, 5), "Exactly twenty-eight bytes!!");
    EXPECT_EQ(Id3Field(buffer, 6), "255");
    EXPECT_EQ(Id3DisplayLines(buffer)[5], "track: 255");
}

TEST_F(Id3TagTest, FilesWithoutATagLeaveTheBufferZero) {
    Id3Buffer buffer;
    buffer.fill(9);
    EXPECT_FALSE(Read("TAG too short", buffer));
    EXPECT_EQ(buffer, Id3Buffer{});
    buffer.fill(9);
    EXPECT_FALSE(Read(std::string(200, 'y'), buffer));
    EXPECT_EQ(buffer, Id3Buffer{});
    buffer.fill(9);
    EXPECT_FALSE(ReadId3Tag(dir_ / "missing.mp3", buffer));
    EXPECT_EQ(buffer, Id3Buffer{});
}

TEST(Id3Display, LinesStartTwoRowsDownAtTheLineHeight) {
    EXPECT_EQ(Id3DisplayLineOrigin(0, 20).x, 20);
    EXPECT_EQ(Id3DisplayLineOrigin(0, 20).y, 42);
    EXPECT_EQ(Id3DisplayLineOrigin(6, 20).y, 168);
}

TEST(Id3Genres, ListRunsFromBluesToSynthpop) {
    EXPECT_EQ(Id3GenreName(0), "Blues");
    EXPECT_EQ(Id3GenreName(17), "Rock");
    EXPECT_EQ(Id3GenreName(79), "Hard Rock");
    EXPECT_EQ(Id3GenreName(80), "Folk");
    EXPECT_EQ(Id3GenreName(144), "Trash Metal");
    EXPECT_EQ(Id3GenreName(146), "Jpop");
    EXPECT_EQ(Id3GenreName(147), "Synthpop");
    EXPECT_EQ(Id3GenreName(148), "");
    for (int i = 0; i < kId3GenreCount; ++i) EXPECT_NE(Id3GenreName(i), "") << i;
}

TEST(Id3Extension, SecondAndThirdCharactersAreMp) {
    EXPECT_TRUE(MayCarryId3Tag("/music/a.mp3"));
    EXPECT_TRUE(MayCarryId3Tag("/music/b.MP2"));
    EXPECT_TRUE(MayCarryId3Tag("/video/c.mpg"));
    EXPECT_FALSE(MayCarryId3Tag("/music/d.ogg"));
    EXPECT_FALSE(MayCarryId3Tag("/music/e.m"));
    EXPECT_FALSE(MayCarryId3Tag("/music/mp3"));
}

}  // namespace
}  // namespace quova
