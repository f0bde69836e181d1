#include "platform/engine/local_file_guard.h"

#include <gst/gst.h>

#include <atomic>
#include <set>
#include <string>
#include <vector>

namespace quova::engine {

namespace {

// GStreamer makes a reader from its process-wide registry with no word of
// the graph that asked: what the guard reads has to be the process's too.
std::atomic<int> gNetworkMedia{0};

// GStreamer's file reader with one change: it will not start while a network
// medium is open. Registered above the reader's rank, it is the element
// gst_element_make_from_uri makes for a file:// address, which the demuxers
// and their downloaders use; everything but the start is the reader's own.
GType GuardedFileSourceType();

// The reader's class: GObject keeps it while the guard's type exists.
GstElementClass* ReaderClass() {
    return GST_ELEMENT_CLASS(g_type_class_peek_parent(g_type_class_peek(GuardedFileSourceType())));
}

GstStateChangeReturn ChangeState(GstElement* element, GstStateChange transition) {
    if (transition == GST_STATE_CHANGE_NULL_TO_READY && LocalFilesRefused()) {
        gchar* uri = gst_uri_handler_get_uri(GST_URI_HANDLER(element));
        GST_ELEMENT_ERROR(element, RESOURCE, OPEN_READ,
                          ("A network medium may not read local files: %s", uri ? uri : "?"),
                          (nullptr));
        g_free(uri);
        return GST_STATE_CHANGE_FAILURE;
    }
    return ReaderClass()->change_state(element, transition);
}

void InitClass(gpointer klass, gpointer) {
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

// Every other reader GStreamer makes for an address that is not the web's
// (a descriptor the player holds, files through readers of their own, a
// camera, a disc, another network protocol) is stood in for by one element
// ranked above them all. While a network medium is open it takes the address
// and fails to start, with an error naming it; otherwise it declines the
// address, and gst_element_make_from_uri goes on to the real reader.
struct RefusedSource {
    GstElement parent;
    gchar* uri;
};
struct RefusedSourceClass {
    GstElementClass parent_class;
};

GType RefusedSourceType();
#define QUOVA_REFUSED_SOURCE(obj) \
    (G_TYPE_CHECK_INSTANCE_CAST((obj), RefusedSourceType(), RefusedSource))

// The schemes of every installed reader but the web's and file://'s (whose
// reader is guarded above), read from the registry without loading a plugin.
const gchar* const* RefusedSchemes(GType) {
    // Kept for the whole run: GStreamer reads the list whenever it looks for
    // a reader, until the process ends.
    struct Schemes {
        std::set<std::string> names;
        std::vector<const gchar*> list;
    };
    static const Schemes* schemes = [] {
        static const std::set<std::string> allowed = {"http", "https", "icy",
                                                      "icyx", "data",  "file"};
        auto* made = new Schemes;
        GList* features =
            gst_registry_get_feature_list(gst_registry_get(), GST_TYPE_ELEMENT_FACTORY);
        for (GList* l = features; l; l = l->next) {
            auto* factory = GST_ELEMENT_FACTORY(l->data);
            if (gst_element_factory_get_uri_type(factory) != GST_URI_SRC) continue;
            if (const gchar* const* protocols = gst_element_factory_get_uri_protocols(factory))
                for (; *protocols; ++protocols) {
                    std::string scheme = *protocols;
                    for (char& c : scheme) c = g_ascii_tolower(c);
                    if (!allowed.count(scheme)) made->names.insert(scheme);
                }
        }
        gst_plugin_feature_list_free(features);
        for (const std::string& scheme : made->names) made->list.push_back(scheme.c_str());
        made->list.push_back(nullptr);
        return made;
    }();
    return schemes->list.data();
}

GstURIType RefusedUriType(GType) {
    return GST_URI_SRC;
}

gchar* RefusedGetUri(GstURIHandler* handler) {
    return g_strdup(QUOVA_REFUSED_SOURCE(handler)->uri);
}

gboolean RefusedSetUri(GstURIHandler* handler, const gchar* uri, GError** error) {
    if (!LocalFilesRefused()) {
        g_set_error(error, GST_URI_ERROR, GST_URI_ERROR_UNSUPPORTED_PROTOCOL,
                    "left to GStreamer's own reader");
        return FALSE;
    }
    RefusedSource* self = QUOVA_REFUSED_SOURCE(handler);
    g_free(self->uri);
    self->uri = g_strdup(uri);
    return TRUE;
}

void RefusedUriHandlerInit(gpointer iface, gpointer) {
    auto* handler = static_cast<GstURIHandlerInterface*>(iface);
    handler->get_type = RefusedUriType;
    handler->get_protocols = RefusedSchemes;
    handler->get_uri = RefusedGetUri;
    handler->set_uri = RefusedSetUri;
}

GstStateChangeReturn RefusedChangeState(GstElement* element, GstStateChange transition) {
    if (transition == GST_STATE_CHANGE_NULL_TO_READY) {
        const gchar* uri = QUOVA_REFUSED_SOURCE(element)->uri;
        GST_ELEMENT_ERROR(element, RESOURCE, OPEN_READ,
                          ("A network medium may only read from the web: %s", uri ? uri : "?"),
                          (nullptr));
        return GST_STATE_CHANGE_FAILURE;
    }
    return GST_ELEMENT_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(element)))
        ->change_state(element, transition);
}

void RefusedFinalize(GObject* object) {
    g_free(QUOVA_REFUSED_SOURCE(object)->uri);
    G_OBJECT_CLASS(g_type_class_peek(GST_TYPE_ELEMENT))->finalize(object);
}

void RefusedClassInit(gpointer klass, gpointer) {
    G_OBJECT_CLASS(klass)->finalize = RefusedFinalize;
    auto* element = GST_ELEMENT_CLASS(klass);
    element->change_state = RefusedChangeState;
    // Class data: GStreamer keeps its caps inside it once they are first made.
    static GstStaticPadTemplate source =
        GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS_ANY);
    gst_element_class_add_static_pad_template(element, &source);
    gst_element_class_set_static_metadata(element, "Refused source", "Source",
                                          "Stands in for readers a network medium may not use",
                                          "Quova");
}

void RefusedInstanceInit(GTypeInstance* instance, gpointer) {
    auto* self = reinterpret_cast<RefusedSource*>(instance);
    self->uri = nullptr;
    GstPadTemplate* source =
        gst_element_class_get_pad_template(GST_ELEMENT_GET_CLASS(instance), "src");
    gst_element_add_pad(GST_ELEMENT(self), gst_pad_new_from_template(source, "src"));
}

GType RefusedSourceType() {
    static const GType type = [] {
        GTypeInfo info{};
        info.class_size = sizeof(RefusedSourceClass);
        info.class_init = RefusedClassInit;
        info.instance_size = sizeof(RefusedSource);
        info.instance_init = RefusedInstanceInit;
        const GType t =
            g_type_register_static(GST_TYPE_ELEMENT, "QuovaGuardedSource", &info, GTypeFlags(0));
        const GInterfaceInfo handler{RefusedUriHandlerInit, nullptr, nullptr};
        g_type_add_interface_static(t, GST_TYPE_URI_HANDLER, &handler);
        return t;
    }();
    return type;
}

}  // namespace

void RegisterLocalFileGuard() {
    static const bool registered = [] {
        const GType type = GuardedFileSourceType();
        const bool file =
            type != G_TYPE_INVALID &&
            gst_element_register(nullptr, "quovaguardedfilesrc", GST_RANK_PRIMARY + 1, type);
        // Above every reader's rank, and below what the rank arithmetic of
        // GStreamer's sorting can hold.
        const bool others = RefusedSchemes(0)[0] == nullptr ||
                            gst_element_register(nullptr, "quovaguardedsource",
                                                 GST_RANK_PRIMARY + 100, RefusedSourceType());
        return file && others;
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
