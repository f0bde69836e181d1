#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quova {

// A growable list of texts, as the subtitle and settings readers pass them around.
using TDynStrArray = std::vector<std::string>;

// Drops every character from an `open` character up to and including the next
// `close` character (an `open` without a `close` drops the rest of the text);
// a `close` with no `open` before it is dropped too.
std::string RemoveBetween(std::string_view text, char open, char close);

// Cuts `text` at every occurrence of `delimiter`. While `quote` (when not '\0')
// has been seen an odd number of times, delimiters do not cut; quotes stay in
// the fields. An empty text gives no fields, a trailing delimiter a final
// empty field, an empty delimiter the whole text as one field. The result is
// padded with empty fields up to `minimumCount`.
TDynStrArray SplitString(std::string_view text, std::string_view delimiter, int minimumCount = 0,
                         char quote = '\0');

// Joins `count` items from index `first` with `delimiter` between them; a
// count of -1 takes every item up to the last. Both are clamped to the array.
std::string JoinStrings(const TDynStrArray& items, std::string_view delimiter, int first,
                        int count);

// Small helpers the text readers share.

// Drops blanks and control characters (everything up to ' ') at both ends.
std::string_view TrimBlanks(std::string_view text);

// Replaces every non-overlapping `from` (scanning left to right) by `to`.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Same, comparing letters without regard to case (ASCII letters only).
std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view from, std::string_view to);

std::string ToUpperAscii(std::string_view text);

// A whole decimal integer with an optional sign that fits 32 bits; anything
// else (blanks, other characters, overflow) is not a number.
std::optional<int> ParseInteger(std::string_view text);

}  // namespace quova
