#include "platform/encoding/text_encoding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

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

// The code units as a file holds them, behind their byte-order mark.
template <typename Unit>
std::string WideFile(std::basic_string_view<Unit> units, bool bigEndian) {
    std::string bytes;
    auto put = [&](uint32_t unit) {
        for (size_t k = 0; k < sizeof(Unit); ++k) {
            const size_t shift = 8 * (bigEndian ? sizeof(Unit) - 1 - k : k);
            bytes += static_cast<char>((unit >> shift) & 0xFF);
        }
    };
    put(0xFEFF);
    for (Unit unit : units) put(static_cast<uint32_t>(unit));
    return bytes;
}

TEST(TextEncoding, DecodesUtf16AndUtf32BehindTheirByteOrderMarks) {
    const std::string expected = "caf\xC3\xA9 \xF0\x9F\x8E\xAC\r\n";
    for (bool bigEndian : {false, true}) {
        const std::string utf16 =
            WideFile(std::u16string_view(u"caf\u00E9 \U0001F3AC\r\n"), bigEndian);
        const std::string utf32 =
            WideFile(std::u32string_view(U"caf\u00E9 \U0001F3AC\r\n"), bigEndian);
        EXPECT_TRUE(StartsWithWideByteOrderMark(utf16));
        EXPECT_TRUE(StartsWithWideByteOrderMark(utf32));
        EXPECT_EQ(WideUnicodeToUtf8(utf16), expected) << bigEndian;
        EXPECT_EQ(WideUnicodeToUtf8(utf32), expected) << bigEndian;
        EXPECT_EQ(WideUnicodeToUtf8(WideFile(std::u16string_view(u""), bigEndian)), "");
    }
    // Anything else is no wide text and comes back as it was.
    for (const std::string& other : {std::string(), std::string("\xFF"),
                                     std::string("\xEF\xBB\xBF"
                                                 "1"),
                                     std::string("\xFE"), std::string("plain")}) {
        EXPECT_FALSE(StartsWithWideByteOrderMark(other));
        EXPECT_EQ(WideUnicodeToUtf8(other), other);
    }
}

TEST(TextEncoding, BrokenWideTextGivesReplacementCharacters) {
    const std::string replacement = "\xEF\xBF\xBD";
    // Surrogates without their partner, in the middle and at the very end.
    EXPECT_EQ(WideUnicodeToUtf8(WideFile(std::u16string_view(u"a\xD83Cx\xDFAC"
                                                             u"b\xD83C"),
                                         false)),
              "a" + replacement + "x" + replacement + "b" + replacement);
    // A file cut inside its last code unit.
    EXPECT_EQ(WideUnicodeToUtf8(WideFile(std::u16string_view(u"ab"), true) + '\0'),
              "ab" + replacement);
    EXPECT_EQ(WideUnicodeToUtf8(WideFile(std::u32string_view(U"ab"), false) + std::string(3, 'c')),
              "ab" + replacement);
    // Past the last code point, and surrogates, which UTF-32 never holds.
    const std::u32string outside = {0x110000, 0xFFFFFFFF, 0xD800, 0xDC00, U'z'};
    const std::string decoded = WideUnicodeToUtf8(WideFile(std::u32string_view(outside), true));
    EXPECT_EQ(decoded, replacement + replacement + replacement + replacement + "z");
    EXPECT_TRUE(IsValidUtf8(decoded));
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
