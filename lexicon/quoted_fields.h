#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quova {

// Lines of double-quoted, comma-separated fields, shared by lexicon files and
// menu template files:  "360","remain: "   ("" inside a field is one quote).
// Text outside quotes is skipped, so an unquoted field is never read.

// Splits `line` into exactly `count` fields; fields the line lacks stay empty.
std::vector<std::string> SplitQuotedFields(std::string_view line, int count);

using QuotedFieldHandler = std::function<void(const std::vector<std::string>& fields)>;

// Reads a text file (UTF-8, else Windows-1252) line by line (a line ends at
// CR LF or LF; a lone CR is part of the text) and hands each
// line's `count` fields to `handler`. Returns false, having called nothing,
// when the file cannot be read or is implausibly large for a text table.
bool ReadQuotedFieldFile(const std::filesystem::path& path, int count,
                         const QuotedFieldHandler& handler);

}  // namespace quova
