#include "platform/engine/graph_registration.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/engine/filter_graph.h"

namespace quova::engine {

std::filesystem::path GraphRegistration::Folder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::filesystem::path(runtime) / "quova";
    return std::filesystem::temp_directory_path() / ("quova-" + std::to_string(getuid()));
}

HResult GraphRegistration::Register(FilterGraph& graph, const std::string& kind) {
    Revoke();
    std::error_code ec;
    const auto folder = Folder();
    std::filesystem::create_directories(folder, ec);
    if (ec) return E_ACCESSDENIED;
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
    // Written aside and renamed, so a reader never sees half a file.
    const auto temp = path_.string() + ".part";
    {
        std::ofstream out(temp, std::ios::trunc);
        if (!out) return E_ACCESSDENIED;
        out << graph_->ToDot();
        if (!out) return E_FAIL;
    }
    std::error_code ec;
    std::filesystem::rename(temp, path_, ec);
    return ec ? E_ACCESSDENIED : S_OK;
}

void GraphRegistration::Revoke() {
    if (!graph_) return;
    if (!graphLifetime_.expired()) graph_->SetChangeObserver(nullptr);
    graph_ = nullptr;
    std::error_code ec;
    std::filesystem::remove(path_, ec);
}

}  // namespace quova::engine
