#include "lexicon/quoted_fields.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace quova {
namespace {

using Fields = std::vector<std::string>;

TEST(SplitQuotedFields, ReadsQuotedFieldsAndSkipsEverythingElse) {
    EXPECT_EQ(SplitQuotedFields(R"("360","remain: ")", 2), (Fields{"360", "remain: "}));
    EXPECT_EQ(SplitQuotedFields(R"(  "1","two",  trailing)", 2), (Fields{"1", "two"}));
    // After a closing quote, text up to the comma still joins the field.
    EXPECT_EQ(SplitQuotedFields(R"("1" ,"two")", 2), (Fields{"1 ", "two"}));
    EXPECT_EQ(SplitQuotedFields(R"(unquoted,"x")", 2), (Fields{"x", ""}));
    EXPECT_EQ(SplitQuotedFields("", 3), (Fields{"", "", ""}));
    EXPECT_EQ(SplitQuotedFields("; a comment", 2), (Fields{"", ""}));
}

TEST(SplitQuotedFields, DoubledQuoteIsOneLiteralQuote) {
    EXPECT_EQ(SplitQuotedFields(R"("470","""%s"" filter")", 2), (Fields{"470", R"("%s" filter)"}));
    // A comma inside quotes belongs to the field.
    EXPECT_EQ(SplitQuotedFields(R"("a,b","c")", 2), (Fields{"a,b", "c"}));
}

TEST(SplitQuotedFields, StopsAfterTheRequestedFieldsAndEndsOpenFieldsAtLineEnd) {
    EXPECT_EQ(SplitQuotedFields(R"("1","2","3")", 2), (Fields{"1", "2"}));
    EXPECT_EQ(SplitQuotedFields(R"("1","unterminated)", 2), (Fields{"1", "unterminated"}));
    // A quote after text that followed a closing quote pairs with it as a
    // literal quote, so the comma after it is text and the field runs on.
    EXPECT_EQ(SplitQuotedFields(R"("ab"cd","e")", 2), (Fields{"abcd\",e\"", ""}));
}

TEST(ReadQuotedFieldFile, HandsEveryLineDecodedAndRefusesMissingFiles) {
    testing::TempDir dir;
    testing::WriteFile(dir / "t.lex", "\"1\",\"caf\xE9\"\r\n\n\"2\",\"b\"");
    std::vector<Fields> seen;
    ASSERT_TRUE(ReadQuotedFieldFile(dir / "t.lex", 2, [&](const Fields& f) { seen.push_back(f); }));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], (Fields{"1", "caf\xC3\xA9"}));
    EXPECT_EQ(seen[1], (Fields{"", ""}));
    EXPECT_EQ(seen[2], (Fields{"2", "b"}));
    EXPECT_FALSE(ReadQuotedFieldFile(dir / "missing.lex", 2, [](const Fields&) { FAIL(); }));
}

}  // namespace
}  // namespace quova
