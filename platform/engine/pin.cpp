#include "platform/engine/pin.h"

#include <gst/gst.h>

#include "platform/engine/filter.h"
#include "platform/engine/filter_graph.h"

namespace quova::engine {

Pin::Pin(const std::shared_ptr<Filter>& owner, std::string name, PinDirection direction,
         GstPad* pad, GstPadTemplate* requestTemplate)
    : owner_(owner), name_(std::move(name)), direction_(direction) {
    if (pad) pad_ = GST_PAD(gst_object_ref(pad));
    if (requestTemplate) requestTemplate_ = GST_PAD_TEMPLATE(gst_object_ref(requestTemplate));
}

Pin::~Pin() {
    if (pad_) gst_object_unref(pad_);
    if (requestTemplate_) gst_object_unref(requestTemplate_);
    if (connectionCaps_) gst_caps_unref(connectionCaps_);
    if (offeredCaps_) gst_caps_unref(offeredCaps_);
}

void Pin::setOfferedCaps(GstCaps* caps) {
    if (offeredCaps_) gst_caps_unref(offeredCaps_);
    offeredCaps_ = caps;
}

void Pin::setPad(GstPad* pad) {
    if (pad_ && dropProbe_) gst_pad_remove_probe(pad_, dropProbe_);
    dropProbe_ = 0;
    if (pad_) gst_object_unref(pad_);
    pad_ = pad ? GST_PAD(gst_object_ref(pad)) : nullptr;
}

void Pin::setConnectionCaps(GstCaps* caps) {
    if (connectionCaps_) gst_caps_unref(connectionCaps_);
    connectionCaps_ = caps;
}

GstCaps* Pin::CurrentCaps() const {
    if (pad_) {
        if (GstCaps* current = gst_pad_get_current_caps(pad_)) return current;
    }
    if (offeredCaps_) return gst_caps_ref(offeredCaps_);
    if (connectionCaps_) return gst_caps_ref(connectionCaps_);
    if (pad_) return gst_pad_query_caps(pad_, nullptr);
    if (requestTemplate_) return gst_pad_template_get_caps(requestTemplate_);
    return gst_caps_new_any();
}

namespace {

// A file source gives, and a splitter takes, the file's bytes: whatever the
// container holds, that data is a byte stream.
bool CarriesByteStream(const Filter* owner, PinDirection direction) {
    if (!owner) return false;
    if (direction == PinDirection::Output) return owner->Info().named == NamedFilter::FileSource;
    return owner->Category() == FilterCategory::Splitter;
}

}  // namespace

std::vector<MediaType> Pin::MediaTypes() const {
    GstCaps* caps = CurrentCaps();
    auto types = MediaTypesFromCaps(caps, CarriesByteStream(Owner().get(), direction_));
    if (caps) gst_caps_unref(caps);
    return types;
}

Outcome<MediaType> Pin::ConnectionMediaType() const {
    if (!IsConnected()) return {VFW_E_NOT_CONNECTED, {}};
    GstCaps* caps = nullptr;
    if (pad_) caps = gst_pad_get_current_caps(pad_);
    if (!caps && connectionCaps_) caps = gst_caps_ref(connectionCaps_);
    if (!caps) caps = CurrentCaps();
    auto types = MediaTypesFromCaps(caps, CarriesByteStream(Owner().get(), direction_));
    gst_caps_unref(caps);
    if (types.empty()) return {VFW_E_NOT_CONNECTED, {}};
    return {S_OK, types.front()};
}

HResult Pin::ConnectDirect(const PinPtr& other) {
    auto owner = Owner();
    if (!owner || !owner->Graph()) return VFW_E_NOT_IN_GRAPH;
    if (!other) return E_POINTER;
    auto self = std::const_pointer_cast<Pin>(shared_from_this());
    return direction_ == PinDirection::Output ? owner->Graph()->ConnectDirect(self, other)
                                              : owner->Graph()->ConnectDirect(other, self);
}

HResult Pin::Disconnect() {
    auto owner = Owner();
    if (!owner || !owner->Graph()) return VFW_E_NOT_IN_GRAPH;
    return owner->Graph()->Disconnect(shared_from_this());
}

}  // namespace quova::engine
