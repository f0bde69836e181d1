#include "playback/session_place.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>

#include "platform/files/folder_safety.h"
#include "platform/paths/state_folder.h"
#include "platform/paths/user_home.h"

namespace quova {

namespace fs = std::filesystem;

namespace {

// -1 until asked; then whether the program's folder takes new files. The
// session saver's thread may learn the answer is wrong and change it. A fact
// of the process's own folder, whichever session writes there.
std::atomic<int> gProgramFolderTakesFiles{-1};

std::string ProgramPath() {
    char program[4096];
    const ssize_t n = readlink("/proc/self/exe", program, sizeof program - 1);
    return n > 0 ? std::string(program, static_cast<std::size_t>(n)) : std::string();
}

std::string BesideProgram(const std::string& exePath) {
    fs::path beside(exePath);
    beside.replace_extension(".mpk");
    return beside.string();
}

bool ProgramFolderTakesFiles(const std::string& exePath) {
    int known = gProgramFolderTakesFiles.load();
    if (known < 0) {
        // Asked, not tried: a probe file every interval would be a write to
        // the program's folder for nothing. A read-only mount says no here;
        // what access() cannot tell (the superuser in /proc) the first
        // write tells.
        const fs::path folder = fs::path(exePath).parent_path();
        known = !exePath.empty() && access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
        gProgramFolderTakesFiles.store(known);
    }
    return known == 1;
}

}  // namespace

std::string SessionBookmarkPath(const std::string& exePath, bool besideProgram,
                                const std::string& xdgStateHome, const std::string& home) {
    if (!exePath.empty() && besideProgram) return BesideProgram(exePath);
    const fs::path folder = UserStateFolder(xdgStateHome, home);
    return folder.empty() ? std::string() : (folder / "quova.mpk").string();
}

std::string SessionBookmarkPath() {
    // Looked up once: the user database's lookup is not safe to run on the
    // session saver's thread and the user interface's at once.
    static const std::string home = UserHomeFolder().string();
    const std::string exePath = ProgramPath();
    const char* state = std::getenv("XDG_STATE_HOME");
    return SessionBookmarkPath(exePath, ProgramFolderTakesFiles(exePath), state ? state : "", home);
}

void KeepSessionOutOfProgramFolder() {
    gProgramFolderTakesFiles.store(0);
}

bool WriteSessionFile(const std::string& path,
                      const std::function<bool(const std::string& path)>& write) {
    if (path.empty()) return false;
    if (MakeUserFolder(fs::path(path).parent_path()) && write(path)) return true;
    const std::string exePath = ProgramPath();
    if (exePath.empty() || path != BesideProgram(exePath)) return false;
    gProgramFolderTakesFiles.store(0);
    const std::string elsewhere = SessionBookmarkPath();
    return elsewhere != path && WriteSessionFile(elsewhere, write);
}

}  // namespace quova
