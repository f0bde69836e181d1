#include "platform/engine/dvd_graph_builder.h"

#include "platform/engine/filter_mapper.h"

namespace quova::engine {

HResult DvdGraphBuilder::SetFiltergraph(FilterGraph* graph) {
    if (!graph) return E_POINTER;
    if (graph_ && !graph_->Filters().empty()) return VFW_E_DVD_RENDERFAIL;
    owned_.reset();
    graph_ = graph;
    return S_OK;
}

std::unique_ptr<FilterGraph> DvdGraphBuilder::TakeFiltergraph() {
    return std::move(owned_);
}

HResult DvdGraphBuilder::RenderDvdVideoVolume(const std::string& path, std::uint32_t,
                                              AM_DVD_RENDERSTATUS& status) {
    status = AM_DVD_RENDERSTATUS{};
    if (!graph_) {
        owned_ = std::make_unique<FilterGraph>();
        graph_ = owned_.get();
    }
    FilterInfo info;
    info.friendlyName = "DVD Navigator";
    info.factoryName = "bin";
    info.category = FilterCategory::Source;
    auto navigator = std::make_shared<DvdNavigatorFilter>(info);
    navigator->CreatePins();
    const HResult loaded = navigator->Load(path);
    if (Failed(loaded)) {
        status.bDvdVolInvalid = true;
        status.bDvdVolUnknown = path.empty();
        return loaded;
    }
    HResult hr = graph_->AddFilter(navigator, "DVD Navigator");
    if (Failed(hr)) return hr;
    navigator_ = navigator;

    auto render = [this, &status](const PinPtr& out, const char* renderer, std::uint32_t flag) {
        ++status.iNumStreams;
        std::shared_ptr<Filter> sink = FilterMapper::Instance().CreateByName(renderer);
        HResult r = sink ? graph_->AddFilter(sink, renderer) : VFW_E_CANNOT_RENDER;
        if (Succeeded(r) && out) {
            const auto inputs = sink->Pins(PinDirection::Input);
            r = inputs.empty() ? VFW_E_CANNOT_CONNECT : graph_->ConnectDirect(out, inputs.front());
        } else if (!out) {
            r = VFW_E_CANNOT_RENDER;
        }
        if (Failed(r)) {
            ++status.iNumStreamsFailed;
            status.dwFailedStreamsFlag |= flag;
            if (sink && sink->Graph()) graph_->RemoveFilter(sink);
        }
        return r;
    };
    const HResult video = render(navigator->FindPin("Video"), "Video Renderer", 1);
    render(navigator->FindPin("Audio"), "Audio Renderer", 2);
    if (Failed(video)) {
        graph_->RemoveFilter(navigator);
        return VFW_E_DVD_RENDERFAIL;
    }
    return status.iNumStreamsFailed ? S_FALSE : S_OK;
}

}  // namespace quova::engine
