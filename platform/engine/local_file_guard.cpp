#include "platform/engine/local_file_guard.h"

#include <gst/gst.h>

#include <atomic>

namespace quova::engine {

namespace {

std::atomic<int> gNetworkMedia{0};

// GStreamer's file reader with one change: it will not start while a network
// medium is open. Registered above the reader's rank, it is the element
// gst_element_make_from_uri makes for a file:// address, which the demuxers
// and their downloaders use; everything but the start is the reader's own.
GstElementClass* gParentClass = nullptr;

GstStateChangeReturn ChangeState(GstElement* element, GstStateChange transition) {
    if (transition == GST_STATE_CHANGE_NULL_TO_READY && LocalFilesRefused()) {
        gchar* uri = gst_uri_handler_get_uri(GST_URI_HANDLER(element));
        GST_ELEMENT_ERROR(element, RESOURCE, OPEN_READ,
                          ("A network medium may not read local files: %s", uri ? uri : "?"),
                          (nullptr));
        g_free(uri);
        return GST_STATE_CHANGE_FAILURE;
    }
    return gParentClass->change_state(element, transition);
}

void InitClass(gpointer klass, gpointer) {
    gParentClass = GST_ELEMENT_CLASS(g_type_class_peek_parent(klass));
    GST_ELEMENT_CLASS(klass)->change_state = ChangeState;
}

// The reader's type is not public: it is taken from its factory, and the
// guard derives from it with the sizes the type system gives.
GType GuardedFileSourceType() {
    static const GType type = [] {
        GstElementFactory* factory = gst_element_factory_find("filesrc");
        if (!factory) return G_TYPE_INVALID;
        GstPluginFeature* loaded = gst_plugin_feature_load(GST_PLUGIN_FEATURE(factory));
        gst_object_unref(factory);
        if (!loaded) return G_TYPE_INVALID;
        const GType reader = gst_element_factory_get_element_type(GST_ELEMENT_FACTORY(loaded));
        gst_object_unref(loaded);
        GTypeQuery sizes{};
        g_type_query(reader, &sizes);
        if (sizes.type == G_TYPE_INVALID) return G_TYPE_INVALID;
        GTypeInfo info{};
        info.class_size = static_cast<guint16>(sizes.class_size);
        info.class_init = InitClass;
        info.instance_size = static_cast<guint16>(sizes.instance_size);
        return g_type_register_static(reader, "QuovaGuardedFileSrc", &info, GTypeFlags(0));
    }();
    return type;
}

}  // namespace

void RegisterLocalFileGuard() {
    static const bool registered = [] {
        const GType type = GuardedFileSourceType();
        return type != G_TYPE_INVALID &&
               gst_element_register(nullptr, "quovaguardedfilesrc", GST_RANK_PRIMARY + 1, type);
    }();
    (void)registered;
}

NetworkMediumScope::NetworkMediumScope() {
    ++gNetworkMedia;
}

NetworkMediumScope::~NetworkMediumScope() {
    --gNetworkMedia;
}

bool LocalFilesRefused() {
    return gNetworkMedia.load() > 0;
}

}  // namespace quova::engine
