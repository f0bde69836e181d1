#include "text/string_utils.h"

#include <gtest/gtest.h>

namespace quova {
namespace {

TEST(RemoveBetween, DropsBracketedRunsAndStrayClosers) {
    EXPECT_EQ(RemoveBetween("{y:i}Hello {c:$FF}world", '{', '}'), "Hello world");
    EXPECT_EQ(RemoveBetween("<i>word</i>", '<', '>'), "word");
    EXPECT_EQ(RemoveBetween("a}b", '{', '}'), "ab");
    // Nothing nests: the first closer ends the run.
    EXPECT_EQ(RemoveBetween("a{b{c}d}e", '{', '}'), "ade");
    EXPECT_EQ(RemoveBetween("keep {unclosed", '{', '}'), "keep ");
    EXPECT_EQ(RemoveBetween("", '{', '}'), "");
}

TEST(SplitString, CutsAtEveryDelimiterAndPads) {
    using A = TDynStrArray;
    EXPECT_EQ(SplitString("a,b,,c", ","), (A{"a", "b", "", "c"}));
    EXPECT_EQ(SplitString("a,b,", ","), (A{"a", "b", ""}));
    EXPECT_EQ(SplitString("", ","), A{});
    EXPECT_EQ(SplitString("", ",", 2), (A{"", ""}));
    EXPECT_EQ(SplitString("a", ",", 3), (A{"a", "", ""}));
    EXPECT_EQ(SplitString("a,b", "", 0), (A{"a,b"}));
    EXPECT_EQ(SplitString("a::b:c", "::"), (A{"a", "b:c"}));
    // Quoted parts are not cut and keep their quotes.
    EXPECT_EQ(SplitString(R"(x,"a,b",y)", ",", 0, '"'), (A{"x", R"("a,b")", "y"}));
    EXPECT_EQ(SplitString(R"("open,ended)", ",", 0, '"'), (A{R"("open,ended)"}));
}

TEST(JoinStrings, TakesAClampedRange) {
    const TDynStrArray items{"a", "b", "c", "d"};
    EXPECT_EQ(JoinStrings(items, ",", 1, 2), "b,c");
    EXPECT_EQ(JoinStrings(items, ",", 2, -1), "c,d");
    EXPECT_EQ(JoinStrings(items, ", ", 0, 99), "a, b, c, d");
    EXPECT_EQ(JoinStrings(items, ",", 9, -1), "");
    EXPECT_EQ(JoinStrings(items, ",", -3, 1), "a");
    EXPECT_EQ(JoinStrings(items, ",", 0, 0), "");
    EXPECT_EQ(JoinStrings({}, ",", 0, -1), "");
}

TEST(StringHelpers, ReplaceTrimAndIntegers) {
    EXPECT_EQ(ReplaceAll("1 - - -> 2", "- ", "-"), "1 ---> 2");
    EXPECT_EQ(ReplaceAllIgnoreCase("one[br]two[BR]three[Br]", "[br]", "|"), "one|two|three|");
    EXPECT_EQ(TrimBlanks("\t  x y \r\x01"), "x y");
    EXPECT_EQ(ParseInteger("250"), 250);
    EXPECT_EQ(ParseInteger("-25"), -25);
    EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseInteger("2147483648"), std::nullopt);
    EXPECT_EQ(ParseInteger("99999999999999999999999"), std::nullopt);
    EXPECT_EQ(ParseInteger("12a"), std::nullopt);
    EXPECT_EQ(ParseInteger(""), std::nullopt);
    EXPECT_EQ(ParseInteger("-"), std::nullopt);
}

}  // namespace
}  // namespace quova
