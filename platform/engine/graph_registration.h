#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/engine/result.h"

namespace quova::engine {

class FilterGraph;

// Publishes a live graph for outside inspection: while registered, the graph
// is written as a Graphviz DOT file in the user's runtime folder and
// rewritten at every change; revoking removes the file. A graph that goes
// first ends the rewriting; the file stays until the revocation.
class GraphRegistration {
  public:
    GraphRegistration() = default;
    ~GraphRegistration() { Revoke(); }
    GraphRegistration(const GraphRegistration&) = delete;
    GraphRegistration& operator=(const GraphRegistration&) = delete;

    // `kind` starts the file name: "FilterGraph" or "DVDFilterGraph".
    HResult Register(FilterGraph& graph, const std::string& kind = "FilterGraph");
    // Rewrites the file now.
    HResult NoteChange();
    void Revoke();
    bool IsRegistered() const { return graph_ != nullptr; }
    const std::filesystem::path& Path() const { return path_; }

    // $XDG_RUNTIME_DIR/quova, else a per-user folder under the temporary
    // folder. It is used only when it is ours (a real folder, not a link,
    // owned by us), and kept at mode 0700; registration fails with
    // E_ACCESSDENIED otherwise.
    static std::filesystem::path Folder();

  private:
    FilterGraph* graph_ = nullptr;
    std::weak_ptr<const void> graphLifetime_;
    std::filesystem::path path_;
};

}  // namespace quova::engine
