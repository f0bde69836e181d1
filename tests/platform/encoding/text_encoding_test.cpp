#include "platform/encoding/text_encoding.h"

#include <gtest/gtest.h>

#include "platform/encoding/file_name_line.h"

namespace quova {
namespace {

TEST(TextEncoding, RecognisesValidAndBrokenUtf8) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain ascii"));
    EXPECT_TRUE(
        IsValidUtf8("Gr\xC3\xBC\xC3\x9F"
                    "e \xE2\x82\xAC \xF0\x9F\x8E\xAC"));
    EXPECT_FALSE(IsValidUtf8("caf\xE9"));           // Windows-1252 é
    EXPECT_FALSE(IsValidUtf8("\xC3"));              // truncated sequence
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));          // truncated at the end
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
}

TEST(TextEncoding, DecodesWindows1252AndKeepsUtf8) {
    EXPECT_EQ(DecodeText("caf\xE9 \x80 \x93quoted\x94"),
              "caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cquoted\xE2\x80\x9D");
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF"
                         "caf\xC3\xA9"),
              "caf\xC3\xA9");
    EXPECT_EQ(Windows1252ToUtf8("\x81\xFF"), "\xC2\x81\xC3\xBF");
}

TEST(TextEncoding, LineByLineDecodingKeepsEveryOtherLineAsItIs) {
    // One Windows-1252 line among UTF-8 ones, whatever ends the lines.
    EXPECT_EQ(DecodeTextByLine("\xEF\xBB\xBF"
                               "caf\xC3\xA9\r\nAm\xE9lie\n\xC3\xBC\rna\xEFve\r\xE2\x82\xAC"),
              "caf\xC3\xA9\r\nAm\xC3\xA9lie\n\xC3\xBC\rna\xC3\xAFve\r\xE2\x82\xAC");
    EXPECT_EQ(DecodeTextByLine(""), "");
    EXPECT_EQ(DecodeTextByLine("\x93only\x94"), "\xE2\x80\x9Conly\xE2\x80\x9D");
}

TEST(TextEncoding, SplitsOnEveryLineEnding) {
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\n\nb\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitLines("\r\n\r\n"), (std::vector<std::string>{"", ""}));
    EXPECT_TRUE(SplitLines("").empty());
}

TEST(TextEncoding, LineFeedRuleKeepsALoneCrAsText) {
    EXPECT_EQ(SplitLinesAtLineFeeds("a\r\nb\nc\rd\r"),
              (std::vector<std::string>{"a", "b", "c\rd\r"}));
}

}  // namespace
// File names are bytes: any of them survives a line of a list or bookmark,
// and a line that only looks like a file URI stays the name it is.
TEST(FileNameLines, AnyNameComesBackAndABareSchemeIsAName) {
    for (const std::string& name :
         {std::string("/films/caf\xC3\xA9.avi"), std::string("/films/Am\xE9lie.avi"),
          std::string("/films/two\nlines\r.avi"), std::string("relative 100%.avi"),
          std::string("file:/looks/like/a/uri"), std::string("file:")}) {
        const std::string line = FileNameLine(name);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
        EXPECT_EQ(FileNameFromLine(line), name) << line;
    }
    EXPECT_EQ(FileNameFromLine("file:"), "file:") << "not an empty name";
    EXPECT_EQ(FileNameFromLine("file:///a%20b"), "/a b");
    EXPECT_EQ(FileNameFromLine("file://otherhost/a"), "file://otherhost/a");
}

}  // namespace quova
