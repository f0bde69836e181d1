// A hardware decoder that fails gives way to software at the same position.
#include <gst/gst.h>

#include <algorithm>

#include "platform/engine/decoder_choice.h"
#include "platform/engine/filter_graph.h"

namespace quova::engine {

namespace {

std::string CodecOf(const Filter& decoder) {
    for (const PinPtr& p : decoder.Pins(PinDirection::Input)) {
        GstCaps* caps = p->connectionCaps();
        if (caps && !gst_caps_is_any(caps) && !gst_caps_is_empty(caps))
            return gst_structure_get_name(gst_caps_get_structure(caps, 0));
    }
    return {};
}

}  // namespace

FilterPtr FilterGraph::HardwareDecoderOf(GstObject* source) const {
    if (!source) return nullptr;
    for (const FilterPtr& f : filters_)
        if (f->Info().hardware && f->element() &&
            gst_object_has_as_ancestor(source, GST_OBJECT(f->element())))
            return f;
    return nullptr;
}

bool FilterGraph::SwapFailedDecoders() {
    std::vector<FilterPtr> failed;
    failed.swap(failedDecoders_);
    bool all = true;
    bool swapped = false;
    for (const FilterPtr& decoder : failed) {
        if (decoder->Graph() != this) continue;
        // Remembered first: intelligent connect below must not take it again.
        DecoderChoice::Instance().NoteHardwareFailure(CodecOf(*decoder));
        PinPtr from;
        for (const PinPtr& p : decoder->Pins(PinDirection::Input))
            if (p->IsConnected()) from = p->ConnectedTo();
        PinPtr to;
        for (const PinPtr& p : decoder->Pins(PinDirection::Output))
            if (p->IsConnected() && !to) to = p->ConnectedTo();
        const std::string name = decoder->Name();
        RemoveFilter(decoder);
        if (!from) continue;
        const HResult hr = to ? Connect(from, to) : Render(from);
        Log("replaced the hardware decoder \"" + name + "\": " + ErrorText(hr));
        if (Failed(hr)) all = false;
        swapped = true;
    }
    if (swapped) events_.Post({EC_DECODER_REPLACED, 0, 0});
    return all;
}

void FilterGraph::ReplaceFailedDecoders() {
    if (failedDecoders_.empty() || replacing_) return;
    replacing_ = true;
    const GraphState was = state_;
    TakeDown();  // keeps the position, where the new decoder starts
    // The old run's last words (a demuxer's error or end of stream as its
    // refused task stops) are on the bus once it is down: read while the
    // decoders still count as failed, they are taken for the failure they are.
    DrainBus();
    const bool ok = SwapFailedDecoders();
    HResult hr = ok ? (was == GraphState::Running ? Run() : Realise()) : VFW_E_CANNOT_RENDER;
    replacing_ = false;
    if (Failed(hr)) {
        lastError_ = hr;
        events_.Post({EC_ERRORABORT, hr, 0});
    }
}

}  // namespace quova::engine
