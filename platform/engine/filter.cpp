#include "platform/engine/filter.h"

#include "platform/engine/filter_graph.h"

#include <gst/gst.h>

#include <algorithm>

namespace quova::engine {

Filter::Filter(FilterInfo info, GstElement* element) : info_(std::move(info)), element_(element) {
    if (element_) gst_object_ref_sink(element_);
}

Filter::~Filter() {
    pins_.clear();
    if (element_) {
        gst_element_set_state(element_, GST_STATE_NULL);
        gst_object_unref(element_);
    }
}

std::string Filter::ElementFactoryName() const {
    GstElementFactory* factory = gst_element_get_factory(workElement());
    return factory ? GST_OBJECT_NAME(factory) : "";
}

void Filter::setGraph(FilterGraph* graph, std::string name) {
    graph_ = graph;
    name_ = std::move(name);
}

std::vector<PinPtr> Filter::Pins(PinDirection direction) const {
    std::vector<PinPtr> out;
    for (const PinPtr& p : pins_)
        if (p->Direction() == direction) out.push_back(p);
    return out;
}

PinPtr Filter::FindPin(std::string_view id) const {
    for (const PinPtr& p : pins_)
        if (p->Id() == id) return p;
    return nullptr;
}

bool Filter::IsSource() const {
    return info_.category == FilterCategory::Source || !info_.hasInputPins;
}

bool Filter::IsSink() const {
    return info_.category == FilterCategory::Renderer || info_.category == FilterCategory::Writer ||
           !info_.hasOutputPins;
}

PinPtr Filter::AddPin(std::string name, PinDirection direction, GstPad* pad,
                      GstPadTemplate* requestTemplate) {
    auto pin =
        std::make_shared<Pin>(shared_from_this(), std::move(name), direction, pad, requestTemplate);
    pins_.push_back(pin);
    return pin;
}

void Filter::RemovePin(const PinPtr& pin) {
    pins_.erase(std::remove(pins_.begin(), pins_.end(), pin), pins_.end());
}

void Filter::CreatePins() {
    GstIterator* it = gst_element_iterate_pads(element_);
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        auto* pad = GST_PAD(g_value_get_object(&item));
        AddPin(GST_PAD_NAME(pad),
               GST_PAD_DIRECTION(pad) == GST_PAD_SRC ? PinDirection::Output : PinDirection::Input,
               pad);
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    // One free pin per request template: the next stream a multiplexer takes.
    GstElementClass* klass = GST_ELEMENT_GET_CLASS(element_);
    for (GList* l = gst_element_class_get_pad_template_list(klass); l; l = l->next) {
        auto* templ = GST_PAD_TEMPLATE(l->data);
        if (GST_PAD_TEMPLATE_PRESENCE(templ) != GST_PAD_REQUEST) continue;
        const bool input = GST_PAD_TEMPLATE_DIRECTION(templ) == GST_PAD_SINK;
        AddPin(std::string(GST_PAD_TEMPLATE_NAME_TEMPLATE(templ)),
               input ? PinDirection::Input : PinDirection::Output, nullptr, templ);
    }
}

HResult Filter::PrepareInput(Pin& input, Pin&) {
    if (input.pad() || !input.requestTemplate()) return S_OK;
    GstPad* pad = gst_element_request_pad(workElement(), input.requestTemplate(), nullptr, nullptr);
    if (!pad) return VFW_E_CANNOT_CONNECT;
    input.setPad(pad);
    gst_object_unref(pad);
    RequestPinUsed(input);
    return S_OK;
}

void Filter::InputDisconnected(Pin& input) {
    if (input.requestTemplate() && input.pad()) RequestPinReleased(input);
}

void Filter::RequestPinUsed(Pin& pin) {
    // Keep the pin's name readable (the pad's real name) and add a new free one.
    GstPadTemplate* templ = pin.requestTemplate();
    AddPin(std::string(GST_PAD_TEMPLATE_NAME_TEMPLATE(templ)), pin.Direction(), nullptr, templ);
}

void Filter::RequestPinReleased(Pin& pin) {
    gst_element_release_request_pad(workElement(), pin.pad());
    pin.setPad(nullptr);
    // Keep a single free pin per template.
    int free = 0;
    for (const PinPtr& p : pins_)
        if (p->requestTemplate() == pin.requestTemplate() && !p->pad()) ++free;
    if (free > 1) RemovePin(pin.shared_from_this());
}

std::vector<std::pair<std::string, std::string>> Filter::RebuildProperties() const {
    return {};
}

std::string Filter::WorkPadName(const Pin& pin) const {
    GstPad* pad = pin.pad();
    if (!pad) return pin.Name();
    if (GST_IS_GHOST_PAD(pad)) {
        if (GstPad* target = gst_ghost_pad_get_target(GST_GHOST_PAD(pad))) {
            std::string name = GST_PAD_NAME(target);
            gst_object_unref(target);
            return name;
        }
    }
    return GST_PAD_NAME(pad);
}

namespace {

constexpr const char* kBitRates[] = {"min-bitrate", "bitrate", "max-bitrate"};

// Bit rates as integers and quality as a float: the settings of the Vorbis
// encoder's format block.
bool HasEncoderFormat(GstElement* e) {
    GObjectClass* klass = G_OBJECT_GET_CLASS(e);
    for (const char* name : kBitRates)
        if (!G_IS_PARAM_SPEC_INT(g_object_class_find_property(klass, name))) return false;
    return G_IS_PARAM_SPEC_FLOAT(g_object_class_find_property(klass, "quality"));
}

// Whether the element's range for the setting holds `value` (GObject drops a
// value out of range with no more than a warning).
bool InRange(GstElement* e, const char* name, double value) {
    GParamSpec* param = g_object_class_find_property(G_OBJECT_GET_CLASS(e), name);
    if (G_IS_PARAM_SPEC_INT(param))
        return value >= G_PARAM_SPEC_INT(param)->minimum &&
               value <= G_PARAM_SPEC_INT(param)->maximum;
    if (G_IS_PARAM_SPEC_FLOAT(param))
        return value >= G_PARAM_SPEC_FLOAT(param)->minimum &&
               value <= G_PARAM_SPEC_FLOAT(param)->maximum;
    return false;
}

}  // namespace

Outcome<AudioEncoderFormat> Filter::EncoderFormat() const {
    GstElement* e = workElement();
    if (!HasEncoderFormat(e)) return {E_NOINTERFACE, {}};
    AudioEncoderFormat f;
    gint minRate = -1, avgRate = -1, maxRate = -1;
    gfloat quality = 0;
    g_object_get(e, "min-bitrate", &minRate, "bitrate", &avgRate, "max-bitrate", &maxRate,
                 "quality", &quality, nullptr);
    f.minBitsPerSecond = minRate;
    f.avgBitsPerSecond = avgRate;
    f.maxBitsPerSecond = maxRate;
    f.quality = quality;
    for (const PinPtr& p : pins_) {
        if (p->Direction() != PinDirection::Input) continue;
        GstCaps* caps = p->pad() ? gst_pad_get_current_caps(p->pad()) : nullptr;
        if (caps) {
            const GstStructure* s = gst_caps_get_structure(caps, 0);
            gst_structure_get_int(s, "channels", &f.channels);
            gst_structure_get_int(s, "rate", &f.sampleRate);
            gst_caps_unref(caps);
        }
    }
    return {S_OK, f};
}

HResult Filter::SetEncoderFormat(const AudioEncoderFormat& f) {
    GstElement* e = workElement();
    if (!HasEncoderFormat(e)) return E_NOINTERFACE;
    const int rates[] = {f.minBitsPerSecond, f.avgBitsPerSecond, f.maxBitsPerSecond};
    for (int i = 0; i < 3; ++i)
        if (!InRange(e, kBitRates[i], rates[i])) return E_INVALIDARG;
    if (!InRange(e, "quality", f.quality)) return E_INVALIDARG;
    GstState state = GST_STATE_NULL;
    gst_element_get_state(e, &state, nullptr, 0);
    // An encoder takes its settings when its stream starts: while its graph
    // runs they cannot change; while it is stopped the pipeline is rebuilt.
    const bool started = state > GST_STATE_READY;
    if (started && graph_ && graph_->GetState(0).value == GraphState::Running)
        return VFW_E_WRONG_STATE;
    // -1 everywhere means quality mode; any bit rate set means managed mode.
    g_object_set(e, "min-bitrate", f.minBitsPerSecond, "bitrate", f.avgBitsPerSecond, "max-bitrate",
                 f.maxBitsPerSecond, "quality", static_cast<gfloat>(f.quality), nullptr);
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(e), "managed"))
        g_object_set(e, "managed", f.minBitsPerSecond > 0 || f.maxBitsPerSecond > 0 ? TRUE : FALSE,
                     nullptr);
    if (started && graph_) graph_->Refresh();
    return S_OK;
}

std::vector<FilterProperty> Filter::Properties() const {
    std::vector<FilterProperty> out;
    GstElement* e = workElement();
    guint count = 0;
    GParamSpec** specs = g_object_class_list_properties(G_OBJECT_GET_CLASS(e), &count);
    for (guint i = 0; i < count; ++i) {
        GParamSpec* param = specs[i];
        if (!(param->flags & G_PARAM_READABLE) || param->owner_type == GST_TYPE_OBJECT ||
            param->owner_type == G_TYPE_OBJECT)
            continue;
        if (G_IS_PARAM_SPEC_OBJECT(param) || G_IS_PARAM_SPEC_POINTER(param) ||
            G_IS_PARAM_SPEC_BOXED(param))
            continue;
        FilterProperty p;
        p.name = param->name;
        if (const char* blurb = g_param_spec_get_blurb(param)) p.description = blurb;
        p.typeName = g_type_name(param->value_type);
        p.writable = (param->flags & G_PARAM_WRITABLE) && !(param->flags & G_PARAM_CONSTRUCT_ONLY);
        GValue value = G_VALUE_INIT;
        g_value_init(&value, param->value_type);
        g_object_get_property(G_OBJECT(e), param->name, &value);
        if (gchar* text = gst_value_serialize(&value)) {
            p.value = text;
            g_free(text);
        }
        g_value_unset(&value);
        out.push_back(std::move(p));
    }
    g_free(specs);
    return out;
}

HResult Filter::SetProperty(const std::string& name, const std::string& value) {
    GstElement* e = workElement();
    GParamSpec* param = g_object_class_find_property(G_OBJECT_GET_CLASS(e), name.c_str());
    if (!param) return VFW_E_NOT_FOUND;
    if (!(param->flags & G_PARAM_WRITABLE) || (param->flags & G_PARAM_CONSTRUCT_ONLY))
        return E_ACCESSDENIED;
    GValue v = G_VALUE_INIT;
    g_value_init(&v, param->value_type);
    const bool ok = gst_value_deserialize(&v, value.c_str());
    if (ok) g_object_set_property(G_OBJECT(e), name.c_str(), &v);
    g_value_unset(&v);
    return ok ? S_OK : E_INVALIDARG;
}

namespace {

GstPadProbeReturn DropData(GstPad*, GstPadProbeInfo*, gpointer) {
    return GST_PAD_PROBE_DROP;
}

}  // namespace

void Filter::DropWhileUnconnected(GstPad* pad, bool connected, unsigned long& probe) {
    if (connected && probe) {
        gst_pad_remove_probe(pad, probe);
        probe = 0;
    } else if (!connected && !probe) {
        probe = gst_pad_add_probe(pad,
                                  static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER |
                                                               GST_PAD_PROBE_TYPE_BUFFER_LIST),
                                  DropData, nullptr, nullptr);
    }
}

void Filter::Realising() {
    for (const PinPtr& out : Pins(PinDirection::Output)) {
        if (!out->pad()) continue;
        unsigned long probe = out->dropProbe();
        DropWhileUnconnected(out->pad(), out->IsConnected(), probe);
        out->setDropProbe(probe);
    }
}

}  // namespace quova::engine
