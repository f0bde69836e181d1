#include "platform/engine/gst_init.h"

#include <gio/gio.h>
#include <gst/gst.h>

#include "platform/engine/local_file_guard.h"

namespace quova::engine {

void EnsureGstInitialized() {
    // gst_is_initialized() turns true before the plugin registry is read, let
    // alone rebuilt (a first start, or the first after a plugin update, scans
    // every plugin for seconds): a thread that trusted it would build its
    // filter list from a half-filled registry and keep it. gst_init returns
    // only once the registry stands, holding other callers back meanwhile.
    static const bool initialized = [] {
        gst_init(nullptr, nullptr);
        RegisterLocalFileGuard();
        return true;
    }();
    (void)initialized;
}

void SettleProxyLookup() {
    // Without the schema there are no such settings to follow: connections
    // then go direct.
    static const bool settled = [] {
        if (g_getenv("GIO_USE_PROXY_RESOLVER")) return true;
        GSettingsSchemaSource* schemas = g_settings_schema_source_get_default();
        GSettingsSchema* proxy =
            schemas ? g_settings_schema_source_lookup(schemas, "org.gnome.system.proxy", TRUE)
                    : nullptr;
        if (proxy)
            g_settings_schema_unref(proxy);
        else
            g_setenv("GIO_USE_PROXY_RESOLVER", "dummy", TRUE);
        return true;
    }();
    (void)settled;
}

}  // namespace quova::engine
