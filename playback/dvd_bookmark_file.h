#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quova {

inline constexpr const char* kDvdStateStream = "dvdnavigatorstate";
inline constexpr const char* kDvdExtension11 = "quova1.1extension";
inline constexpr const char* kDvdExtension10 = "quova1.0extension";

// Compound-file result codes, as the structured storage layer reports them.
inline constexpr std::int32_t kStgFileNotFound = static_cast<std::int32_t>(0x80030002u);
inline constexpr std::int32_t kStgReadFault = static_cast<std::int32_t>(0x8003001Eu);
inline constexpr std::int32_t kStgWriteFault = static_cast<std::int32_t>(0x8003001Du);
inline constexpr std::int32_t kStgInvalidHeader = static_cast<std::int32_t>(0x800300FBu);
inline constexpr std::int32_t kStgDocfileCorrupt = static_cast<std::int32_t>(0x80030109u);
inline constexpr std::int32_t kStgInvalidName = static_cast<std::int32_t>(0x800300FCu);

// Limits far above what a navigator or the player writes; larger files are
// damaged or hostile and are refused before the compound reader sees them.
inline constexpr std::size_t kMaxDvdBookmarkBytes = 4 * 1024 * 1024;
inline constexpr std::size_t kMaxNavigatorStateBytes = 256 * 1024;

// Writes a DVD bookmark: a compound file whose root holds the navigator's
// state (its 16-byte class identifier, then its own data) and the player's
// 48-byte settings record. The file is replaced whole, atomically.
// Returns 0 or the failure's code; `failedStep` names it: "create",
// "state", "extension" (creating the stream) or "write" (writing it).
std::int32_t WriteDvdBookmarkFile(const std::string& path, std::string_view navigatorState,
                                  std::string_view record, std::string* failedStep);

// What a DVD bookmark holds, read with every size checked.
struct DvdBookmarkContent {
    std::int32_t OpenResult = 0;   // failure to open the file as a compound file
    std::int32_t StateResult = 0;  // failure to open or read the state stream
    std::string NavigatorState;
    std::int32_t ExtensionOpenResult = 0;  // neither settings stream is there
    std::int32_t ExtensionReadResult = 0;  // the settings stream could not be read
    int ExtensionVersion = 0;              // 11, 10, or 0 when there is none
    std::string Record;                    // at most the record's size
};

DvdBookmarkContent ReadDvdBookmarkBytes(std::string_view bytes);
DvdBookmarkContent ReadDvdBookmarkFile(const std::string& path);

}  // namespace quova
