#include "platform/engine/file_source_filter.h"

#include <fcntl.h>
#include <gst/base/gsttypefindhelper.h>
#include <gst/gst.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/engine/descriptor_sink.h"
#include "platform/engine/stall_watch.h"
#include "platform/files/media_name.h"

namespace quova::engine {

namespace {

constexpr guint kNetworkBufferBytes = 4u * 1024 * 1024;
constexpr guint64 kNetworkBufferTime = 2 * GST_SECOND;

// The network's pace is not the medium's: a buffer between the reader and
// the splitter evens it out and tells how full it is (BUFFERING messages),
// so that playback can wait for data instead of stuttering.
GstElement* BufferedReader(GstElement* reader) {
    GstElement* bin = gst_bin_new(nullptr);
    GstElement* buffer = gst_element_factory_make("queue2", "buffer");
    g_object_set(buffer, "use-buffering", TRUE, "max-size-buffers", 0u, "max-size-bytes",
                 kNetworkBufferBytes, "max-size-time", kNetworkBufferTime, nullptr);
    gst_bin_add_many(GST_BIN(bin), reader, buffer, nullptr);
    gst_element_link(reader, buffer);
    GstPad* out = gst_element_get_static_pad(buffer, "src");
    gst_element_add_pad(bin, gst_ghost_pad_new("src", out));
    gst_object_unref(out);
    return bin;
}

}  // namespace

FileSourceFilter::FileSourceFilter(FilterInfo info)
    : Filter(std::move(info), gst_element_factory_make("filesrc", nullptr)), reader_(element_) {}

FileSourceFilter::FileSourceFilter(FilterInfo info, GstElement* reader)
    : Filter(std::move(info), BufferedReader(reader)), reader_(reader) {
    if (GstElement* buffer = gst_bin_get_by_name(GST_BIN(element_), "buffer")) {
        stallWatch_ = std::make_unique<StallWatch>(reader_, buffer);
        gst_object_unref(buffer);  // the bin holds it as long as the watch lives
    }
}

FileSourceFilter::~FileSourceFilter() = default;

namespace {

// The caps of the highest-ranked type finder claiming `ext`. GStreamer's own
// helper for this looks only at finders whose plugin is not loaded yet, so
// it answers differently once a file has been played.
GstCaps* CapsOfExtension(const std::string& ext) {
    GstCaps* found = nullptr;
    GList* finders = gst_type_find_factory_get_list();
    for (GList* l = finders; l && !found; l = l->next) {
        auto* factory = GST_TYPE_FIND_FACTORY(l->data);
        const gchar* const* exts = gst_type_find_factory_get_extensions(factory);
        GstCaps* caps = gst_type_find_factory_get_caps(factory);
        for (int i = 0; exts && exts[i] && caps; ++i)
            if (g_ascii_strcasecmp(exts[i], ext.c_str()) == 0) {
                found = gst_caps_copy(caps);
                break;
            }
    }
    gst_plugin_feature_list_free(finders);
    return found;
}

// The container an address names, told by its name's extension: the first
// bytes would have to come over the network, and the window must not wait
// for them here. A wrong guess fails when the graph first plays, as a damaged
// file does.
GstCaps* CapsOfAddress(const std::string& address) {
    std::string path = address.substr(0, address.find_first_of("?#"));
    const size_t authority = path.find("://");
    const size_t slash = path.find('/', authority == std::string::npos ? 0 : authority + 3);
    if (slash == std::string::npos) return nullptr;
    path = path.substr(slash);
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return nullptr;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(g_ascii_tolower(c));
    if (ext.empty()) return nullptr;
    return CapsOfExtension(ext);
}

}  // namespace

void FileSourceFilter::CreatePins() {
    GstPad* pad = gst_element_get_static_pad(element_, "src");
    AddPin("Output", PinDirection::Output, pad);
    gst_object_unref(pad);
}

HResult FileSourceFilter::Load(const std::string& path) {
    if (IsNetworkAddress(path)) {
        GstCaps* caps = CapsOfAddress(path);
        if (!caps) return VFW_E_UNKNOWN_FILE_TYPE;
        path_ = path;
        g_object_set(reader_, "location", path.c_str(), nullptr);
        pins_.front()->setOfferedCaps(caps);
        return S_OK;
    }
    std::error_code ec;
    const std::filesystem::path p(path);
    if (!std::filesystem::exists(p, ec)) {
        return std::filesystem::exists(p.parent_path(), ec) || p.parent_path().empty()
                   ? E_FILE_NOT_FOUND
                   : E_PATH_NOT_FOUND;
    }
    if (!std::filesystem::is_regular_file(p, ec)) return E_ACCESSDENIED;
    std::ifstream in(p, std::ios::binary);
    if (!in) return E_ACCESSDENIED;
    // Enough for every container's signature and a few MPEG audio frames.
    std::vector<char> head(256 * 1024);
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    if (head.empty()) return VFW_E_UNKNOWN_FILE_TYPE;
    std::string ext = p.extension().string();
    if (!ext.empty()) ext.erase(0, 1);
    GstTypeFindProbability probability = GST_TYPE_FIND_NONE;
    GstCaps* caps = gst_type_find_helper_for_data_with_extension(
        nullptr, reinterpret_cast<const guint8*>(head.data()), head.size(),
        ext.empty() ? nullptr : ext.c_str(), &probability);
    if (!caps) return VFW_E_UNKNOWN_FILE_TYPE;
    path_ = path;
    g_object_set(element_, "location", path.c_str(), nullptr);
    pins_.front()->setOfferedCaps(caps);
    return S_OK;
}

std::vector<std::pair<std::string, std::string>> FileSourceFilter::RebuildProperties() const {
    return {{"location", path_}};
}

FileWriterFilter::FileWriterFilter(FilterInfo info, std::string pinName)
    : Filter(std::move(info), MakeDescriptorSink()), pinName_(std::move(pinName)) {
    if (!element_) return;
    // Until a file is given, writes fail (the element's default descriptor
    // is the program's standard output).
    fd_ = open("/dev/null", O_RDONLY | O_CLOEXEC);
    // A file takes data as fast as it comes; no clock, no preroll to wait
    // for, and no last buffer held for nobody to look at.
    g_object_set(element_, "sync", FALSE, "async", FALSE, "enable-last-sample", FALSE, nullptr);
    if (fd_ >= 0) g_object_set(element_, "fd", fd_, nullptr);
}

FileWriterFilter::~FileWriterFilter() {
    // The element stops before the descriptor it writes to closes.
    if (element_) gst_element_set_state(element_, GST_STATE_NULL);
    if (fd_ >= 0) close(fd_);
}

void FileWriterFilter::CreatePins() {
    GstPad* pad = gst_element_get_static_pad(element_, "sink");
    AddPin(pinName_, PinDirection::Input, pad);
    gst_object_unref(pad);
}

HResult FileWriterFilter::SetFileName(const std::string& path) {
    if (path.empty()) return E_INVALIDARG;
    const int fd =
        open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) return errno == ENOENT ? E_FILE_NOT_FOUND : E_ACCESSDENIED;
    return SetFileDescriptor(fd, path);
}

HResult FileWriterFilter::SetFileDescriptor(int fd, const std::string& path) {
    if (fd < 0) return E_INVALIDARG;
    GstState state = GST_STATE_NULL;
    gst_element_get_state(element_, &state, nullptr, 0);
    if (state > GST_STATE_READY) {
        close(fd);
        return VFW_E_NOT_STOPPED;
    }
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
    path_ = path;
    g_object_set(element_, "fd", fd_, nullptr);
    return S_OK;
}

}  // namespace quova::engine
