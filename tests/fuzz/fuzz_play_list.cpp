// Arbitrary bytes read as a play list, both as an .mpl (every line an entry)
// and as an .m3u/.m3u8 (comments and blank lines skipped).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/list_file.h"
#include "platform/encoding/file_name_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const bool m3u : {false, true}) {
        try {
            const auto entries = quova::ParseListFile(bytes, "/lists", m3u, "fuzz.mpl");
            if (entries.size() > quova::kMaxListEntries) __builtin_trap();
            for (const std::string& entry : entries) {
                // A name may hold a line break (from a file URI), but written
                // back it stays on one line.
                if (quova::FileNameLine(entry).find_first_of("\r\n") != std::string::npos)
                    __builtin_trap();
                if (m3u && entry.empty()) __builtin_trap();
            }
        } catch (const quova::ListFileError&) {
            // Too many entries: refused whole, with a message.
        }
    }
    return 0;
}
