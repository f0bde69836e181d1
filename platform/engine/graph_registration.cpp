#include "platform/engine/graph_registration.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/engine/filter_graph.h"

namespace quova::engine {

namespace {

// Opens `folder` for writing our files only when it is ours: a real folder
// (not a link) owned by us. It is created when missing, and it is kept closed
// to everyone else (mode 0700): a folder of ours left open, as earlier
// versions made it, is closed again. A shared temporary folder lets anyone
// create the name first or put a link there; a folder of someone else, or a
// link, is refused. -1 when refused.
int OpenPrivateFolder(const std::filesystem::path& folder) {
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return -1;
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    const bool ours = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
    // The creation mode passed through the umask; the mode is made exactly ours.
    if (!ours || ((st.st_mode & 0777) != 0700 && fchmod(fd, 0700) != 0)) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

std::filesystem::path GraphRegistration::Folder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::filesystem::path(runtime) / "quova";
    return std::filesystem::temp_directory_path() / ("quova-" + std::to_string(getuid()));
}

HResult GraphRegistration::Register(FilterGraph& graph, const std::string& kind) {
    Revoke();
    const auto folder = Folder();
    const int fd = OpenPrivateFolder(folder);
    if (fd < 0) return E_ACCESSDENIED;
    close(fd);
    char name[80];
    std::snprintf(name, sizeof name, "%s %08X pid %08X.dot", kind.c_str(),
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(&graph)),
                  static_cast<unsigned>(getpid()));
    path_ = folder / name;
    graph_ = &graph;
    graphLifetime_ = graph.Lifetime();
    graph.SetChangeObserver([this] { NoteChange(); });
    return NoteChange();
}

HResult GraphRegistration::NoteChange() {
    if (!graph_ || graphLifetime_.expired()) return E_UNEXPECTED;
    // The folder is checked again each time: it may have been replaced since.
    const int dir = OpenPrivateFolder(path_.parent_path());
    if (dir < 0) return E_ACCESSDENIED;
    // Written aside and renamed, so a reader never sees half a file. The
    // temporary file is always a new one of our own: whatever sits at its
    // name (a left-over, a link) is removed, never written through.
    const std::string name = path_.filename().string();
    const std::string temp = name + ".part";
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int out = openat(dir, temp.c_str(), flags, 0600);
    if (out < 0 && errno == EEXIST && unlinkat(dir, temp.c_str(), 0) == 0)
        out = openat(dir, temp.c_str(), flags, 0600);
    if (out < 0) {
        close(dir);
        return E_ACCESSDENIED;
    }
    const std::string dot = graph_->ToDot();
    bool written = true;
    for (size_t done = 0; written && done < dot.size();) {
        const ssize_t n = write(out, dot.data() + done, dot.size() - done);
        if (n < 0 && errno == EINTR) continue;
        written = n > 0;
        if (written) done += static_cast<size_t>(n);
    }
    written = close(out) == 0 && written;
    HResult hr = S_OK;
    if (!written) {
        unlinkat(dir, temp.c_str(), 0);
        hr = E_FAIL;
    } else if (renameat(dir, temp.c_str(), dir, name.c_str()) != 0) {
        unlinkat(dir, temp.c_str(), 0);
        hr = E_ACCESSDENIED;
    }
    close(dir);
    return hr;
}

void GraphRegistration::Revoke() {
    if (!graph_) return;
    if (!graphLifetime_.expired()) graph_->SetChangeObserver(nullptr);
    graph_ = nullptr;
    std::error_code ec;
    std::filesystem::remove(path_, ec);
}

}  // namespace quova::engine
