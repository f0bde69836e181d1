// Building the graph: direct and intelligent connection, rendering.
#include <gst/gst.h>

#include <algorithm>

#include "platform/engine/decoder_choice.h"
#include "platform/engine/filter_graph.h"

namespace quova::engine {

namespace {

constexpr int kMaxConnectDepth = 3;
constexpr int kMaxRenderDepth = 6;

std::string PinLabel(const Pin& pin) {
    auto owner = pin.Owner();
    return "\"" + (owner ? owner->Name() : std::string("?")) + "\":" + pin.Name();
}

std::string CapsText(GstCaps* caps) {
    if (!caps) return "(none)";
    gchar* text = gst_caps_to_string(caps);
    std::string out = text;
    g_free(text);
    return out.size() > 160 ? out.substr(0, 160) + "..." : out;
}

bool IsRaw(GstCaps* caps, const char* name) {
    if (!caps || gst_caps_is_any(caps) || gst_caps_is_empty(caps)) return false;
    for (guint i = 0; i < gst_caps_get_size(caps); ++i)
        if (!gst_structure_has_name(gst_caps_get_structure(caps, i), name)) return false;
    return true;
}

// A parser's output pads announce every stream the parser knows; what will
// come out is the stream that goes in, parsed. Narrowing the output pins to it
// keeps the next step from choosing a decoder for another kind of stream.
void ForeseeParserOutput(Filter& parser, const Pin& upstream) {
    if (parser.Category() != FilterCategory::Parser || parser.Info().dynamicOutputs) return;
    GstCaps* in = upstream.CurrentCaps();
    if (!in || gst_caps_is_any(in)) {
        if (in) gst_caps_unref(in);
        return;
    }
    GstCaps* parsed = gst_caps_make_writable(in);
    for (guint i = 0; i < gst_caps_get_size(parsed); ++i)
        gst_structure_set(gst_caps_get_structure(parsed, i), "parsed", G_TYPE_BOOLEAN, TRUE,
                          nullptr);
    for (const PinPtr& out : parser.Pins(PinDirection::Output)) {
        if (!out->pad()) continue;
        GstCaps* templ = gst_pad_query_caps(out->pad(), nullptr);
        GstCaps* expected = gst_caps_intersect(templ, parsed);
        gst_caps_unref(templ);
        if (gst_caps_is_empty(expected))
            gst_caps_unref(expected);
        else
            out->setOfferedCaps(expected);
    }
    gst_caps_unref(parsed);
}

// Whether data leaving `from` reaches `to`. The graph has no cycles, so the
// walk ends.
bool Feeds(const Filter& from, const Filter& to) {
    if (&from == &to) return true;
    for (const PinPtr& p : from.Pins(PinDirection::Output)) {
        const PinPtr peer = p->ConnectedTo();
        const auto next = peer ? peer->Owner() : nullptr;
        if (next && Feeds(*next, to)) return true;
    }
    return false;
}

}  // namespace

bool FilterGraph::Accepts(const Pin& output, const Pin& input) const {
    GstCaps* out = output.CurrentCaps();
    GstCaps* in = input.CurrentCaps();
    bool ok = false;
    if (out && in) {
        if (gst_caps_is_fixed(out) && input.pad())
            ok = gst_pad_query_accept_caps(input.pad(), out);
        else if (gst_caps_is_fixed(out))
            ok = gst_caps_is_subset(out, in);
        else
            ok = gst_caps_can_intersect(out, in);
    }
    if (out) gst_caps_unref(out);
    if (in) gst_caps_unref(in);
    return ok;
}

HResult FilterGraph::ConnectDirect(const PinPtr& output, const PinPtr& input) {
    if (!output || !input) return E_POINTER;
    if (output->Direction() != PinDirection::Output || input->Direction() != PinDirection::Input)
        return VFW_E_INVALID_DIRECTION;
    auto outOwner = output->Owner();
    auto inOwner = input->Owner();
    if (!outOwner || !inOwner || outOwner->Graph() != this || inOwner->Graph() != this)
        return VFW_E_NOT_IN_GRAPH;
    // A loop would never end its data, nor the walks along the graph.
    if (Feeds(*inOwner, *outOwner)) return VFW_E_CIRCULAR_GRAPH;
    if (output->IsConnected() || input->IsConnected()) return VFW_E_ALREADY_CONNECTED;
    if (!Accepts(*output, *input)) {
        Log("connect " + PinLabel(*output) + " -> " + PinLabel(*input) + ": types not accepted");
        return VFW_E_NO_ACCEPTABLE_TYPES;
    }
    TakeDown();
    HResult hr = inOwner->PrepareInput(*input, *output);
    if (Failed(hr)) {
        Log("connect " + PinLabel(*output) + " -> " + PinLabel(*input) + ": " + ErrorText(hr));
        return hr;
    }
    GstCaps* out = output->CurrentCaps();
    GstCaps* in = input->CurrentCaps();
    GstCaps* common = gst_caps_intersect(out, in);
    gst_caps_unref(in);
    if (gst_caps_is_empty(common)) {
        gst_caps_unref(common);
        common = gst_caps_ref(out);
    }
    gst_caps_unref(out);
    output->setConnectionCaps(gst_caps_ref(common));
    input->setConnectionCaps(common);
    output->setPeer(input);
    input->setPeer(output);
    ForeseeParserOutput(*inOwner, *output);
    Reconcile();
    Log("connected " + PinLabel(*output) + " -> " + PinLabel(*input) + " as " +
        CapsText(output->connectionCaps()));
    Changed();
    return S_OK;
}

HResult FilterGraph::Disconnect(const PinPtr& pin) {
    if (!pin) return E_POINTER;
    auto owner = pin->Owner();
    if (!owner || owner->Graph() != this) return VFW_E_NOT_IN_GRAPH;
    PinPtr peer = pin->ConnectedTo();
    if (!peer) return S_FALSE;
    TakeDown();
    const PinPtr& out = pin->Direction() == PinDirection::Output ? pin : peer;
    const PinPtr& in = pin->Direction() == PinDirection::Output ? peer : pin;
    if (out->pad() && in->pad() && GST_PAD_PEER(out->pad()) == in->pad())
        gst_pad_unlink(out->pad(), in->pad());
    out->setPeer(nullptr);
    in->setPeer(nullptr);
    out->setConnectionCaps(nullptr);
    in->setConnectionCaps(nullptr);
    Log("disconnected " + PinLabel(*out) + " -> " + PinLabel(*in));
    if (auto inOwner = in->Owner()) {
        inOwner->InputDisconnected(*in);
        if (inOwner->Category() == FilterCategory::Parser && !inOwner->Info().dynamicOutputs)
            for (const PinPtr& o : inOwner->Pins(PinDirection::Output)) o->setOfferedCaps(nullptr);
    }
    Reconcile();
    Changed();
    return S_OK;
}

std::vector<const FilterInfo*> FilterGraph::Candidates(const Pin& output) const {
    // Filters that take whatever the pin may give come before those that
    // take only some of it: MPEG audio of a layer not known yet goes to a
    // decoder of every layer, not to the first one for a single layer.
    std::vector<const FilterInfo*> out, partly;
    GstCaps* caps = output.CurrentCaps();
    if (!caps || gst_caps_is_any(caps) || gst_caps_is_empty(caps)) {
        if (caps) gst_caps_unref(caps);
        return out;
    }
    const bool fixed = gst_caps_is_fixed(caps);
    const std::string codec = gst_structure_get_name(gst_caps_get_structure(caps, 0));
    const DecoderChoice& choice = DecoderChoice::Instance();
    for (const FilterInfo& f : FilterMapper::Instance().Filters()) {
        const bool intermediate =
            f.category == FilterCategory::Splitter || f.category == FilterCategory::Parser ||
            f.category == FilterCategory::Decoder || f.category == FilterCategory::Converter;
        if (!intermediate || !f.inputCaps || !f.hasOutputPins) continue;
        // The mixer joins streams only where the player puts it.
        if (f.named == NamedFilter::AudioMixer) continue;
        // Converters carry no rank, yet are what connections need most.
        if (f.merit <= MERIT_DO_NOT_USE && f.category != FilterCategory::Converter) continue;
        if (gst_caps_is_any(f.inputCaps.get())) continue;
        if (f.hardware && !choice.MayDecode(codec, true)) continue;
        if (gst_caps_is_subset(caps, f.inputCaps.get()))
            out.push_back(&f);
        else if (!fixed && gst_caps_can_intersect(caps, f.inputCaps.get()))
            partly.push_back(&f);
    }
    gst_caps_unref(caps);
    out.insert(out.end(), partly.begin(), partly.end());
    return out;
}

HResult FilterGraph::RemoveDownstream(const FilterPtr& filter) {
    if (!filter || filter->Graph() != this) return VFW_E_NOT_FOUND;
    for (const PinPtr& p : filter->Pins(PinDirection::Output)) {
        PinPtr peer = p->ConnectedTo();
        if (!peer) continue;
        // A filter fed by two branches (a multiplexer) is gone by its second visit.
        if (auto next = peer->Owner(); next && next->Graph() == this) RemoveDownstream(next);
    }
    return RemoveFilter(filter);
}

HResult FilterGraph::Connect(const PinPtr& output, const PinPtr& input) {
    if (!output || !input) return E_POINTER;
    Log("connect " + PinLabel(*output) + " -> " + PinLabel(*input));
    HResult hr = ConnectDirect(output, input);
    if (Succeeded(hr) || hr == VFW_E_ALREADY_CONNECTED || hr == VFW_E_NOT_IN_GRAPH ||
        hr == VFW_E_INVALID_DIRECTION)
        return hr;
    std::set<std::string> used;
    hr = ConnectVia(output, input, 0, used);
    Log(std::string("connect ") + PinLabel(*output) + " -> " + PinLabel(*input) + ": " +
        (Succeeded(hr) ? "done" : ErrorText(hr)));
    return hr;
}

HResult FilterGraph::ConnectVia(const PinPtr& output, const PinPtr& input, int depth,
                                std::set<std::string>& used) {
    if (depth >= kMaxConnectDepth) return VFW_E_CANNOT_CONNECT;
    for (const FilterInfo* info : Candidates(*output)) {
        if (used.count(info->factoryName)) continue;
        FilterPtr filter = FilterMapper::Instance().Create(*info);
        if (!filter || Failed(AddFilter(filter, info->friendlyName))) continue;
        bool in = false;
        for (const PinPtr& p : filter->Pins(PinDirection::Input))
            if ((in = Succeeded(ConnectDirect(output, p)))) break;
        if (in) {
            used.insert(info->factoryName);
            for (const PinPtr& o : filter->Pins(PinDirection::Output)) {
                if (Succeeded(ConnectDirect(o, input))) return S_OK;
                if (Succeeded(ConnectVia(o, input, depth + 1, used))) return S_OK;
            }
            used.erase(info->factoryName);
        }
        RemoveFilter(filter);
    }
    return VFW_E_CANNOT_CONNECT;
}

HResult FilterGraph::Render(const PinPtr& output) {
    if (!output) return E_POINTER;
    if (output->Direction() != PinDirection::Output) return VFW_E_INVALID_DIRECTION;
    auto owner = output->Owner();
    if (!owner || owner->Graph() != this) return VFW_E_NOT_IN_GRAPH;
    if (output->IsConnected()) return VFW_E_ALREADY_CONNECTED;
    Log("render " + PinLabel(*output));
    std::set<std::string> used;
    HResult hr = RenderPin(output, 0, used);
    Log("render " + PinLabel(*output) + ": " + ErrorText(hr));
    return hr;
}

HResult FilterGraph::RenderPin(const PinPtr& output, int depth, std::set<std::string>& used) {
    if (depth > kMaxRenderDepth) return VFW_E_CANNOT_RENDER;
    GstCaps* caps = output->CurrentCaps();
    const bool video = IsRaw(caps, "video/x-raw");
    const bool audio = IsRaw(caps, "audio/x-raw");
    Log("  render " + PinLabel(*output) + " of " + CapsText(caps));
    if (caps) gst_caps_unref(caps);
    if (video || audio) {
        const FilterInfo* info = FilterMapper::Instance().FindNamed(
            video ? NamedFilter::VideoRenderer : NamedFilter::AudioRenderer);
        FilterPtr renderer = info ? FilterMapper::Instance().Create(*info) : nullptr;
        if (!renderer || Failed(AddFilter(renderer, info->friendlyName)))
            return VFW_E_CANNOT_RENDER;
        const PinPtr in = renderer->Pins(PinDirection::Input).front();
        if (Succeeded(ConnectDirect(output, in))) return S_OK;
        std::set<std::string> convertUsed;
        if (Succeeded(ConnectVia(output, in, 0, convertUsed))) return S_OK;
        RemoveFilter(renderer);
        return VFW_E_CANNOT_RENDER;
    }
    for (const FilterInfo* info : Candidates(*output)) {
        if (used.count(info->factoryName)) continue;
        FilterPtr filter = FilterMapper::Instance().Create(*info);
        if (!filter || Failed(AddFilter(filter, info->friendlyName))) continue;
        bool connected = false;
        for (const PinPtr& p : filter->Pins(PinDirection::Input))
            if ((connected = Succeeded(ConnectDirect(output, p)))) break;
        const auto outs = filter->Pins(PinDirection::Output);
        if (!connected || outs.empty()) {
            RemoveFilter(filter);
            continue;
        }
        used.insert(info->factoryName);
        int rendered = 0;
        bool partial = false;
        for (const PinPtr& o : outs) {
            // Free pins of request templates are not streams of their own.
            if (!o->pad()) continue;
            const HResult hr = RenderPin(o, depth + 1, used);
            if (Succeeded(hr)) ++rendered;
            partial = partial || hr == VFW_S_PARTIAL_RENDER;
        }
        used.erase(info->factoryName);
        if (rendered == 0) {
            RemoveDownstream(filter);
            continue;
        }
        return rendered == static_cast<int>(outs.size()) && !partial ? S_OK : VFW_S_PARTIAL_RENDER;
    }
    return VFW_E_CANNOT_RENDER;
}

HResult FilterGraph::RenderFile(const std::string& fileName) {
    Log("render file \"" + fileName + "\"");
    auto source = AddSourceFilter(fileName, fileName);
    if (!source.ok()) return source.hr;
    const PinPtr out = source.value->FindPin("Output");
    HResult hr = Render(out);
    const bool hadEvents = !events_.Empty();
    bool prerollFailed = false;
    if (Succeeded(hr)) {
        // A damaged file shows when its data is first decoded: that happens
        // here, so that opening the file reports it, not the first Run.
        const HResult prerolled = Realise();
        if (Failed(prerolled)) {
            prerollFailed = true;
            // What was built cannot play what the file holds: its data.
            hr =
                prerolled == VFW_E_RUNTIME_ERROR || prerolled == E_UNEXPECTED || prerolled == E_FAIL
                    ? VFW_E_INVALID_FILE_FORMAT
                    : prerolled;
            Log("render file: the data cannot be played: " + ErrorText(hr));
        }
    }
    if (Failed(hr)) {
        // Nothing of a failed render stays behind.
        RemoveDownstream(source.value);
        if (hr == VFW_E_CANNOT_RENDER) hr = VFW_E_UNSUPPORTED_STREAM;
    }
    if (prerollFailed && !hadEvents) {
        // The failure is the answer; it is not also an event of a graph that
        // never played.
        DrainBus();
        while (!events_.Empty()) events_.Take();
    }
    return hr;
}

std::vector<ChainStep> FilterGraph::UpstreamChain(const Pin& output) const {
    std::vector<ChainStep> steps;
    const Pin* current = &output;
    for (int guard = 0; current && guard < 32; ++guard) {
        auto filter = current->Owner();
        if (!filter) return {};
        ChainStep step;
        step.factory = filter->ElementFactoryName();
        step.properties = filter->RebuildProperties();
        step.srcPad = filter->WorkPadName(*current);
        PinPtr in;
        for (const PinPtr& p : filter->Pins(PinDirection::Input))
            if (p->IsConnected()) in = p;
        if (in) step.sinkPad = filter->WorkPadName(*in);
        steps.push_back(step);
        if (filter->IsSource()) break;
        if (!in) return {};
        current = in->ConnectedTo().get();
    }
    if (steps.empty() || steps.back().properties.empty()) return {};
    std::reverse(steps.begin(), steps.end());
    return steps;
}

}  // namespace quova::engine
