#pragma once

#include <memory>
#include <string>

#include "platform/engine/dvd_navigator.h"
#include "platform/engine/dvd_types.h"
#include "platform/engine/filter_graph.h"

namespace quova::engine {

// Builds the graph that plays a DVD-Video volume: the navigator feeding the
// same video and audio renderers that files use.
class DvdGraphBuilder {
  public:
    DvdGraphBuilder() = default;
    DvdGraphBuilder(const DvdGraphBuilder&) = delete;
    DvdGraphBuilder& operator=(const DvdGraphBuilder&) = delete;

    // The graph to build into; without one the builder makes its own, which
    // GetFiltergraph hands over.
    HResult SetFiltergraph(FilterGraph* graph);
    // The graph built into. The first call after the builder made its own
    // graph hands over its ownership; later calls give only the graph.
    std::unique_ptr<FilterGraph> TakeFiltergraph();
    FilterGraph* Filtergraph() const { return graph_; }

    // `path` names a folder holding VIDEO_TS, the VIDEO_TS folder itself, an
    // image file, or ("") the first optical drive. S_FALSE when some stream
    // could not be rendered (the status says which);
    // VFW_E_DVD_INVALID_DISC when there is no readable volume there.
    HResult RenderDvdVideoVolume(const std::string& path, std::uint32_t flags,
                                 AM_DVD_RENDERSTATUS& status);

    // IDvdControl2 and IDvdInfo2 are both faces of the navigator.
    std::shared_ptr<DvdNavigatorFilter> GetDvdInterface() const { return navigator_.lock(); }

  private:
    std::unique_ptr<FilterGraph> owned_;
    FilterGraph* graph_ = nullptr;
    std::weak_ptr<DvdNavigatorFilter> navigator_;
};

}  // namespace quova::engine
