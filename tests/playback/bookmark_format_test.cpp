#include "playback/bookmark_format.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quova {
namespace {

BookmarkSettings Sample() {
    BookmarkSettings s;
    s.Volume = 70;
    s.ZoomFactor = 1.5;
    s.AspectFactor = 1.333;
    s.ZoomToWindow = true;
    s.ResizeToMedia = true;
    s.FullScreenMode = false;
    s.CropY = 8;
    s.CropX = -4;
    return s;
}

TEST(MovieBookmarkText, HasElevenCrLfLinesInUtf8) {
    const std::string text = FormatMovieBookmark("/films/café.avi", 83.456, Sample());
    EXPECT_EQ(text,
              "Quova1.1MovieBookmark\r\n[\r\n/films/café.avi\r\n83456\r\n70\r\n1500\r\n1333\r\n"
              "6\r\n8\r\n-4\r\n]\r\n");
}

TEST(MovieBookmarkText, RoundTripRestoresEverySetting) {
    BookmarkSettings s = Sample();
    s.FullScreenMode = true;
    const MovieBookmarkLines lines = ParseMovieBookmark(FormatMovieBookmark("/a/b.avi", 83.456, s));
    ASSERT_EQ(lines.Check, MovieBookmarkCheck::Ok);
    EXPECT_EQ(lines.Version, 11);
    EXPECT_EQ(lines.MediaPath, "/a/b.avi");
    const MovieRestorePlan plan = PlanMovieRestore(lines, 0, BookmarkSettings{});
    ASSERT_TRUE(plan.SeekTo);
    EXPECT_DOUBLE_EQ(*plan.SeekTo, 83.456);
    EXPECT_EQ(plan.Settings.Volume, 70);
    EXPECT_DOUBLE_EQ(plan.Settings.ZoomFactor, 1.5);
    EXPECT_DOUBLE_EQ(plan.Settings.AspectFactor, 1.333);
    EXPECT_TRUE(plan.Settings.ZoomToWindow);
    EXPECT_TRUE(plan.Settings.ResizeToMedia);
    EXPECT_TRUE(plan.Settings.FullScreenMode);
    EXPECT_EQ(plan.Settings.CropY, 8);
    EXPECT_EQ(plan.Settings.CropX, -4);
}

TEST(MovieBookmarkText, AnyFileNameComesBackByteForByteOnItsOwnLine) {
    // Latin-1 bytes as an older file system holds them, a line break, a
    // name that looks like an address: each stays one line and comes back.
    for (const std::string name :
         {"/films/Am\xE9lie.avi", "/films/two\nlines\r.avi", "/films/file:///x.avi",
          "file:///films/x%41.avi", "relative/\xFF\xFE.avi"}) {
        const std::string text = FormatMovieBookmark(name, 1.0, Sample());
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 11) << name;
        const MovieBookmarkLines lines = ParseMovieBookmark(text);
        ASSERT_EQ(lines.Check, MovieBookmarkCheck::Ok) << text;
        EXPECT_EQ(lines.MediaPath, name);
    }
    // An ordinary name is written as it always was.
    EXPECT_NE(FormatMovieBookmark("/films/caf\xC3\xA9.avi", 1.0, Sample())
                  .find("\r\n/films/caf\xC3\xA9.avi\r\n"),
              std::string::npos);
}

TEST(MovieBookmarkText, OldNineLineAnsiBookmarkReadsWithCropsZero) {
    // The original program wrote its bookmarks in the Windows code page.
    const std::string old =
        "Quova1.0MovieBookmark\r\n[\r\nC:\\Films\\caf\xe9.avi\r\n1000\r\n40\r\n2000\r\n500\r\n"
        "2\r\n]\r\n";
    const MovieBookmarkLines lines = ParseMovieBookmark(old);
    ASSERT_EQ(lines.Check, MovieBookmarkCheck::Ok);
    EXPECT_EQ(lines.Version, 10);
    EXPECT_EQ(lines.MediaPath, "C:\\Films\\café.avi");
    BookmarkSettings current = Sample();
    const MovieRestorePlan plan = PlanMovieRestore(lines, 0, current);
    EXPECT_DOUBLE_EQ(*plan.SeekTo, 1.0);
    EXPECT_EQ(plan.Settings.Volume, 40);
    EXPECT_DOUBLE_EQ(plan.Settings.ZoomFactor, 2.0);
    EXPECT_DOUBLE_EQ(plan.Settings.AspectFactor, 0.5);
    EXPECT_TRUE(plan.Settings.ZoomToWindow);
    EXPECT_FALSE(plan.Settings.ResizeToMedia);
    EXPECT_EQ(plan.Settings.CropY, 0);
    EXPECT_EQ(plan.Settings.CropX, 0);
}

TEST(MovieBookmarkText, LayoutFaultsAreTold) {
    EXPECT_EQ(ParseMovieBookmark("").Check, MovieBookmarkCheck::NotBookmark);
    EXPECT_EQ(ParseMovieBookmark("Quova1.2MovieBookmark\r\n[\r\n").Check,
              MovieBookmarkCheck::NotBookmark);
    EXPECT_EQ(ParseMovieBookmark("Quova1.1MovieBookmark\r\n{\r\n").Check,
              MovieBookmarkCheck::WrongFormat);
    // A 1.1 signature with the 1.0 layout: "]" is not where it belongs.
    EXPECT_EQ(
        ParseMovieBookmark("Quova1.1MovieBookmark\r\n[\r\n/a\r\n1\r\n2\r\n3\r\n4\r\n5\r\n]\r\n")
            .Check,
        MovieBookmarkCheck::WrongFormat);
    // Truncated: the closing line is missing.
    std::string cut = FormatMovieBookmark("/a", 1, Sample());
    cut.resize(cut.size() - 3);
    EXPECT_EQ(ParseMovieBookmark(cut).Check, MovieBookmarkCheck::WrongFormat);
    // Huge: refused without reading it all, still named by its signature.
    std::string huge = FormatMovieBookmark("/a", 1, Sample());
    huge.insert(huge.find("/a"), std::string(kMaxMovieBookmarkBytes, 'x'));
    EXPECT_EQ(ParseMovieBookmark(huge).Check, MovieBookmarkCheck::WrongFormat);
    EXPECT_EQ(ParseMovieBookmark(std::string(kMaxMovieBookmarkBytes + 1, 'x')).Check,
              MovieBookmarkCheck::NotBookmark);
}

TEST(MovieBookmarkText, OutOfRangeAndMalformedValuesKeepTheCurrentSettings) {
    const std::string text =
        "Quova1.1MovieBookmark\n[\n/a.avi\n-1\n150\n6000\n0\n16\nx\n99999999999\n]\n";
    const MovieBookmarkLines lines = ParseMovieBookmark(text);
    ASSERT_EQ(lines.Check, MovieBookmarkCheck::Ok);
    BookmarkSettings current = Sample();
    current.FullScreenMode = true;
    const MovieRestorePlan plan = PlanMovieRestore(lines, 5, current);
    EXPECT_FALSE(plan.SeekTo);  // -1 does not seek
    EXPECT_EQ(plan.Settings.Volume, 70);
    EXPECT_DOUBLE_EQ(plan.Settings.ZoomFactor, 1.5);
    EXPECT_DOUBLE_EQ(plan.Settings.AspectFactor, 1.333);
    // Flags 16: no known bit, so every window flag goes off.
    EXPECT_FALSE(plan.Settings.ZoomToWindow);
    EXPECT_FALSE(plan.Settings.ResizeToMedia);
    EXPECT_FALSE(plan.Settings.FullScreenMode);
    EXPECT_EQ(plan.Settings.CropY, 0);
    EXPECT_EQ(plan.Settings.CropX, 0);

    // A malformed position falls back to where the player is.
    const MovieBookmarkLines bad =
        ParseMovieBookmark("Quova1.0MovieBookmark\n[\n/a.avi\nabc\nx\ny\nz\nw\n]\n");
    const MovieRestorePlan kept = PlanMovieRestore(bad, 12.25, current);
    EXPECT_DOUBLE_EQ(*kept.SeekTo, 12.25);
    EXPECT_EQ(kept.Settings.Volume, 70);
    EXPECT_TRUE(kept.Settings.ZoomToWindow);
    EXPECT_TRUE(kept.Settings.FullScreenMode);
}

TEST(DvdSettingsRecord, FieldsAreLittleEndianSixtyFourBit) {
    BookmarkSettings s = Sample();
    s.FullScreenMode = true;
    const auto r = EncodeDvdRecord(s);
    auto field = [&r](int i) {
        std::uint64_t v = 0;
        for (int b = 7; b >= 0; --b) v = (v << 8) | r[8 * i + b];
        return static_cast<std::int64_t>(v);
    };
    EXPECT_EQ(field(0), 70);
    EXPECT_EQ(field(1), 1500);
    EXPECT_EQ(field(2), 1333);
    EXPECT_EQ(field(3), 2 | 4 | 8);
    EXPECT_EQ(field(4), 8);
    EXPECT_EQ(field(5), -4);
    EXPECT_EQ(r[40], 0xFC);  // -4, low byte first
    EXPECT_EQ(r[47], 0xFF);

    const BookmarkSettings back = ApplyDvdRecord(r.data(), r.size(), BookmarkSettings{});
    EXPECT_EQ(back.Volume, 70);
    EXPECT_DOUBLE_EQ(back.ZoomFactor, 1.5);
    EXPECT_TRUE(back.FullScreenMode);
    EXPECT_EQ(back.CropX, -4);

    // The older 32-byte record: crops count as 0.
    const BookmarkSettings old = ApplyDvdRecord(r.data(), kDvdRecordSize10, Sample());
    EXPECT_EQ(old.Volume, 70);
    EXPECT_EQ(old.CropY, 0);
    EXPECT_EQ(old.CropX, 0);
}

TEST(DvdSettingsRecord, ZeroZoomAndNonPositiveAspectAreIgnored) {
    BookmarkSettings s = Sample();
    s.ZoomFactor = 0;
    s.AspectFactor = -1;
    s.Volume = 100;
    const auto r = EncodeDvdRecord(s);
    const BookmarkSettings back = ApplyDvdRecord(r.data(), r.size(), Sample());
    EXPECT_EQ(back.Volume, 100);
    EXPECT_DOUBLE_EQ(back.ZoomFactor, 1.5);
    EXPECT_DOUBLE_EQ(back.AspectFactor, 1.333);
}

}  // namespace
}  // namespace quova
