#include "mediainfo/media_headers.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "mediainfo/id3_tag.h"

#include "mediainfo/info_pages.h"
#include "tests/mediainfo/media_writers.h"
#include "tests/support/gst_media.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

using namespace quova::testing;

TEST(MediaHeaders, ExtensionChoosesTheReader) {
    TempDir dir;
    const MediaHeaders avi = ReadMediaHeaders(media::AviPcm(dir / "clip.AVI", 0.5, 2));
    EXPECT_TRUE(avi.aviRead);
    EXPECT_FALSE(avi.oggRead);
    EXPECT_EQ(avi.Figures().audioStreamCount, 2);
    EXPECT_EQ(avi.InfoCommandCaption(), "AVI Info");
    EXPECT_EQ(avi.ErrorMessage(), "");
    const auto pages = InfoPagesToShow(avi.avi.text, avi.ogg.text);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].caption, "AVI Info");

    const MediaHeaders ogm = ReadMediaHeaders(media::OggVorbis(dir / "song.ogm", 0.5));
    EXPECT_TRUE(ogm.oggRead);
    EXPECT_EQ(ogm.Figures().audioStreamCount, 1);
    EXPECT_EQ(ogm.InfoCommandCaption(), "OGG Info");

    // An Ogg file named .avi is not a RIFF file: no header, nothing to show.
    std::filesystem::copy_file(dir / "song.ogm", dir / "song.avi");
    const MediaHeaders misnamed = ReadMediaHeaders(dir / "song.avi");
    EXPECT_TRUE(misnamed.aviRead);
    EXPECT_EQ(misnamed.InfoCommandCaption(), "");
    EXPECT_FALSE(misnamed.Figures().HasStreams());

    const MediaHeaders wav = ReadMediaHeaders(media::Wav(dir / "tone.wav", 0.2));
    EXPECT_FALSE(wav.aviRead || wav.oggRead);
    EXPECT_FALSE(wav.Figures().HasStreams());
}

TEST(MediaHeaders, DamagedFileGivesTheWarning) {
    TempDir dir;
    WriteFile(dir / "cut.ogg", ogg::Page(2, 0, 1, 0, ogg::VorbisId(2, 44100)) + "OggS\0\0");
    const MediaHeaders headers = ReadMediaHeaders(dir / "cut.ogg");
    EXPECT_EQ(headers.ErrorMessage(), "Read beyond end of file\nerror getting OGG information");
    EXPECT_EQ(headers.InfoCommandCaption(), "OGG Info");
    EXPECT_EQ(headers.Figures().audioStreamCount, 1);
}

// A pipe under a media file's name has no writer: reading it must neither
// wait for one nor take it for a file.
TEST(MediaHeaders, PipesAndFoldersAreNotRead) {
    TempDir dir;
    for (const char* name : {"pipe.avi", "pipe.ogg", "pipe.mp3"})
        ASSERT_EQ(::mkfifo((dir / name).c_str(), 0600), 0) << name;
    std::filesystem::create_directory(dir / "folder.avi");

    const MediaHeaders avi = ReadMediaHeaders(dir / "pipe.avi");
    EXPECT_EQ(avi.avi.text, "");
    EXPECT_EQ(avi.ErrorMessage(), "");
    EXPECT_EQ(ReadMediaHeaders(dir / "folder.avi").avi.text, "");
    const MediaHeaders ogg = ReadMediaHeaders(dir / "pipe.ogg");
    EXPECT_TRUE(ogg.ogg.streams.empty());
    EXPECT_EQ(ogg.ErrorMessage(), "");
    Id3Buffer buffer;
    buffer.fill(1);
    EXPECT_FALSE(ReadId3Tag(dir / "pipe.mp3", buffer));
    EXPECT_EQ(buffer, Id3Buffer{});
}

}  // namespace
}  // namespace quova
