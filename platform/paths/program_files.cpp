#include "platform/paths/program_files.h"

#include <system_error>

namespace quova {

std::filesystem::path ProgramFile(const std::filesystem::path& program, const std::string& name) {
    const std::filesystem::path folder = program.parent_path();
    const std::filesystem::path beside = folder / name;
    std::error_code ec;
    if (std::filesystem::exists(beside, ec)) return beside;
    if (folder.filename() == "bin") {
        const std::filesystem::path shared = folder.parent_path() / kSharedFilesFolder / name;
        if (std::filesystem::exists(shared, ec)) return shared;
    }
    return beside;
}

}  // namespace quova
