#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quova {

// Text files from users come in two flavours: UTF-8 (today's) and the old
// Windows ANSI code page, Windows-1252. Everything inside the program is UTF-8.
// Some editors (Notepad's "Unicode", subtitle tools) write UTF-16 or UTF-32,
// always behind a byte-order mark, which is what tells them apart.

bool IsValidUtf8(std::string_view bytes);

// Converts Windows-1252 bytes to UTF-8; the five unassigned bytes map to the
// C1 control characters of the same value, as Windows does.
std::string Windows1252ToUtf8(std::string_view bytes);

// Whether `bytes` begin with a UTF-16 or UTF-32 byte-order mark, in either
// byte order.
bool StartsWithWideByteOrderMark(std::string_view bytes);

// Bytes behind a UTF-16 or UTF-32 byte-order mark as UTF-8, without the mark.
// What makes no character (an unpaired surrogate, a value past U+10FFFF, the
// last bytes of a file cut inside a code unit) becomes U+FFFD, so the result
// is always valid UTF-8. Bytes without such a mark come back unchanged.
std::string WideUnicodeToUtf8(std::string_view bytes);

// A file's bytes as UTF-8 text: a leading UTF-8 byte-order mark is dropped,
// valid UTF-8 is kept as it is, anything else is read as Windows-1252.
std::string DecodeText(std::string_view bytes);

// As DecodeText, but decided line by line: a line of valid UTF-8 is kept as
// it is and any other line read as Windows-1252, so that one line in another
// encoding leaves every other line as it was. For files whose lines are
// separate values (settings, lists, bookmarks).
std::string DecodeTextByLine(std::string_view bytes);

// Splits text into lines; CR LF, LF and a lone CR each end a line. A final
// line without an ending still counts; an ending at the very end adds none.
std::vector<std::string> SplitLines(std::string_view text);
// The same lines one at a time, for text too large to hold twice; stops
// when `line` returns false.
void ForEachLine(std::string_view text, const std::function<bool(std::string_view line)>& line);

// Splits text into lines ended by CR LF or LF only; a lone CR stays in the
// line's text. For formats whose lines may carry a CR as text.
std::vector<std::string> SplitLinesAtLineFeeds(std::string_view text);

}  // namespace quova
