#include "platform/engine/descriptor_sink.h"

#include <fcntl.h>
#include <gst/base/gstbasesink.h>
#include <gst/gst.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quova::engine {

namespace {

constexpr gsize kBlockBytes = 1024 * 1024;

struct Sink {
    GstBaseSink parent;
    int fd;
    guint8* block;
    gsize filled;
    // The file offset of the block's first byte: where it is written.
    guint64 blockStart;
};

struct SinkClass {
    GstBaseSinkClass parent;
};

enum { PROP_0, PROP_FD };

GType SinkType();

// The base sink's class: GObject keeps it while this type exists.
GstBaseSinkClass* ParentClass() {
    return GST_BASE_SINK_CLASS(g_type_class_peek_parent(g_type_class_peek(SinkType())));
}

Sink* Self(gpointer object) {
    return reinterpret_cast<Sink*>(object);
}

// Writes all of `size` bytes at the descriptor's position; false with errno
// set when the file cannot take them.
bool WriteAll(int fd, const guint8* data, gsize size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<gsize>(n);
    }
    return true;
}

// Reports the failed write as the element's error; the caller stops.
void WriteFailed(Sink* self, int code) {
    if (code == ENOSPC || code == EFBIG || code == EDQUOT) {
        GST_ELEMENT_ERROR(self, RESOURCE, NO_SPACE_LEFT, (nullptr), ("%s", std::strerror(code)));
    } else {
        GST_ELEMENT_ERROR(self, RESOURCE, WRITE, (nullptr), ("%s", std::strerror(code)));
    }
}

// Writes `size` bytes at the file offset `at`, which is where the descriptor
// stands, and starts them on their way to the disk.
bool WriteOut(Sink* self, const guint8* data, gsize size, guint64 at) {
    if (!WriteAll(self->fd, data, size)) {
        WriteFailed(self, errno);
        return false;
    }
    // Not a wait: the kernel begins writing these pages back now instead of
    // when its own time-out or memory pressure comes, so that a caller that
    // flushes the complete file does not wait for all of it at the end.
    // Descriptors that are not files refuse, which changes nothing.
    sync_file_range(self->fd, static_cast<off64_t>(at), static_cast<off64_t>(size),
                    SYNC_FILE_RANGE_WRITE);
    return true;
}

bool Flush(Sink* self) {
    if (self->filled == 0) return true;
    const gsize size = self->filled;
    self->filled = 0;
    const guint64 at = self->blockStart;
    self->blockStart += size;
    return WriteOut(self, self->block, size, at);
}

GstFlowReturn Render(GstBaseSink* sink, GstBuffer* buffer) {
    Sink* self = Self(sink);
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        GST_ELEMENT_ERROR(self, RESOURCE, WRITE, (nullptr), ("cannot read a buffer"));
        return GST_FLOW_ERROR;
    }
    bool ok = true;
    if (self->filled + map.size > kBlockBytes) ok = Flush(self);
    if (ok && map.size >= kBlockBytes) {
        // As large as a block itself: written as it is.
        ok = WriteOut(self, map.data, map.size, self->blockStart);
        self->blockStart += map.size;
    } else if (ok) {
        std::memcpy(self->block + self->filled, map.data, map.size);
        self->filled += map.size;
    }
    gst_buffer_unmap(buffer, &map);
    return ok ? GST_FLOW_OK : GST_FLOW_ERROR;
}

gboolean Event(GstBaseSink* sink, GstEvent* event) {
    Sink* self = Self(sink);
    switch (GST_EVENT_TYPE(event)) {
        case GST_EVENT_SEGMENT: {
            const GstSegment* segment = nullptr;
            gst_event_parse_segment(event, &segment);
            const guint64 at = segment->start;
            if (segment->format != GST_FORMAT_BYTES || at == self->blockStart + self->filled) break;
            if (!Flush(self)) {
                gst_event_unref(event);
                return FALSE;
            }
            if (lseek(self->fd, static_cast<off_t>(at), SEEK_SET) < 0) {
                GST_ELEMENT_ERROR(self, RESOURCE, SEEK, (nullptr), ("%s", std::strerror(errno)));
                gst_event_unref(event);
                return FALSE;
            }
            self->blockStart = at;
            break;
        }
        case GST_EVENT_EOS:
        case GST_EVENT_FLUSH_STOP:
            // The end is passed on only once all of it is in the file.
            if (!Flush(self)) {
                gst_event_unref(event);
                return FALSE;
            }
            break;
        default:
            break;
    }
    return ParentClass()->event(sink, event);
}

gboolean Query(GstBaseSink* sink, GstQuery* query) {
    Sink* self = Self(sink);
    GstFormat format = GST_FORMAT_UNDEFINED;
    switch (GST_QUERY_TYPE(query)) {
        case GST_QUERY_POSITION:
            gst_query_parse_position(query, &format, nullptr);
            if (format != GST_FORMAT_BYTES && format != GST_FORMAT_DEFAULT) break;
            gst_query_set_position(query, GST_FORMAT_BYTES,
                                   static_cast<gint64>(self->blockStart + self->filled));
            return TRUE;
        case GST_QUERY_FORMATS:
            gst_query_set_formats(query, 2, GST_FORMAT_DEFAULT, GST_FORMAT_BYTES);
            return TRUE;
        case GST_QUERY_SEEKING:
            gst_query_parse_seeking(query, &format, nullptr, nullptr, nullptr);
            if (format != GST_FORMAT_BYTES && format != GST_FORMAT_DEFAULT) break;
            gst_query_set_seeking(query, GST_FORMAT_BYTES,
                                  lseek(self->fd, 0, SEEK_CUR) >= 0 ? TRUE : FALSE, 0, -1);
            return TRUE;
        default:
            break;
    }
    return ParentClass()->query(sink, query);
}

gboolean Start(GstBaseSink* sink) {
    Sink* self = Self(sink);
    self->filled = 0;
    const off_t at = lseek(self->fd, 0, SEEK_CUR);
    self->blockStart = at > 0 ? static_cast<guint64>(at) : 0;
    if (!self->block) self->block = static_cast<guint8*>(g_malloc(kBlockBytes));
    return TRUE;
}

gboolean Stop(GstBaseSink* sink) {
    Sink* self = Self(sink);
    // Whatever came without an end of stream after it still goes in; a
    // failure is reported as the element's error, and stopping goes on.
    Flush(self);
    g_free(self->block);
    self->block = nullptr;
    return TRUE;
}

void SetProperty(GObject* object, guint id, const GValue* value, GParamSpec* pspec) {
    if (id == PROP_FD)
        Self(object)->fd = g_value_get_int(value);
    else
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
}

void GetProperty(GObject* object, guint id, GValue* value, GParamSpec* pspec) {
    if (id == PROP_FD)
        g_value_set_int(value, Self(object)->fd);
    else
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
}

void ClassInit(gpointer klass, gpointer) {
    auto* object = G_OBJECT_CLASS(klass);
    object->set_property = SetProperty;
    object->get_property = GetProperty;
    // Set while the element is stopped only: the descriptor is read at start.
    g_object_class_install_property(
        object, PROP_FD,
        g_param_spec_int("fd", "Descriptor", "The file descriptor to write to", 0, G_MAXINT, 1,
                         static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS |
                                                  GST_PARAM_MUTABLE_READY)));
    auto* element = GST_ELEMENT_CLASS(klass);
    gst_element_class_add_pad_template(
        element, gst_pad_template_new("sink", GST_PAD_SINK, GST_PAD_ALWAYS, gst_caps_new_any()));
    gst_element_class_set_static_metadata(element, "Descriptor sink", "Sink/File",
                                          "Writes into a file descriptor in large blocks", "Quova");
    auto* base = GST_BASE_SINK_CLASS(klass);
    base->render = Render;
    base->event = Event;
    base->query = Query;
    base->start = Start;
    base->stop = Stop;
}

void InstanceInit(GTypeInstance* instance, gpointer) {
    Sink* self = Self(instance);
    self->fd = 1;
    self->block = nullptr;
    self->filled = 0;
    self->blockStart = 0;
}

GType SinkType() {
    static const GType type = [] {
        GTypeInfo info{};
        info.class_size = sizeof(SinkClass);
        info.class_init = ClassInit;
        info.instance_size = sizeof(Sink);
        info.instance_init = InstanceInit;
        return g_type_register_static(GST_TYPE_BASE_SINK, "QuovaDescriptorSink", &info,
                                      static_cast<GTypeFlags>(0));
    }();
    return type;
}

}  // namespace

GstElement* MakeDescriptorSink() {
    return GST_ELEMENT(g_object_new(SinkType(), nullptr));
}

}  // namespace quova::engine
