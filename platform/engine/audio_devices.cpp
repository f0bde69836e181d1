#include "platform/engine/audio_devices.h"

#include <gst/gst.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "platform/engine/gst_init.h"

namespace quova::engine {

namespace {

const QEvent::Type kDevicesEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// A socket file that takes connections: one left behind by a server that has
// gone (after a crash) refuses them at once. The attempt does not wait: a
// server too busy to take it is there all the same.
bool IsListeningSocket(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) return false;
    sockaddr_un address{};
    if (path.size() >= sizeof(address.sun_path)) return true;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return true;
    const bool answers =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 ||
        errno == EAGAIN || errno == EINPROGRESS;
    ::close(fd);
    return answers;
}

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Where libpulse looks for a local server, in its order.
bool ServerSocketPresent() {
    std::vector<std::string> places;
    if (const std::string runtime = Env("PULSE_RUNTIME_PATH"); !runtime.empty())
        places.push_back(runtime + "/native");
    if (const std::string xdg = Env("XDG_RUNTIME_DIR"); !xdg.empty())
        places.push_back(xdg + "/pulse/native");
    places.push_back("/run/user/" + std::to_string(::getuid()) + "/pulse/native");
    places.push_back("/run/pulse/native");
    places.push_back("/var/run/pulse/native");
    for (const std::string& place : places)
        if (IsListeningSocket(place)) return true;
    return false;
}

bool PlaybackDevicePresent() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/snd", ec)) {
        const std::string name = entry.path().filename().string();
        // pcmC<card>D<device>p: a playback device.
        if (name.rfind("pcmC", 0) == 0 && !name.empty() && name.back() == 'p') return true;
    }
    return false;
}

std::string StringProperty(GObject* object, const char* property) {
    if (!g_object_class_find_property(G_OBJECT_GET_CLASS(object), property)) return "";
    gchar* value = nullptr;
    g_object_get(object, property, &value, nullptr);
    std::string out = value ? value : "";
    g_free(value);
    return out;
}

AudioDevice Describe(GstDevice* device) {
    AudioDevice out;
    gchar* display = gst_device_get_display_name(device);
    out.description = display ? display : "";
    g_free(display);
    // PulseAudio's devices carry the sink name the server knows them by.
    out.name = StringProperty(G_OBJECT(device), "internal-name");
    GstStructure* props = gst_device_get_properties(device);
    if (props) {
        gboolean isDefault = FALSE;
        if (gst_structure_get_boolean(props, "is-default", &isDefault)) out.isDefault = isDefault;
        if (out.name.empty())
            if (const gchar* n = gst_structure_get_string(props, "device.name")) out.name = n;
        gst_structure_free(props);
    }
    if (out.name.empty()) out.name = out.description;
    return out;
}

}  // namespace

SoundOutput ChooseSoundOutput(const SoundFacts& facts) {
    if (facts.serverAddressGiven || facts.serverSocket) return SoundOutput::Server;
    if (facts.playbackDevice) return SoundOutput::Device;
    return SoundOutput::None;
}

namespace {
std::string& Preferred() {
    static std::string name;
    return name;
}
}  // namespace

void SetPreferredAudioDevice(const std::string& name) {
    Preferred() = name;
}

const std::string& PreferredAudioDevice() {
    return Preferred();
}

SoundFacts CurrentSoundFacts() {
    SoundFacts facts;
    facts.serverAddressGiven = !Env("PULSE_SERVER").empty();
    facts.serverSocket = ServerSocketPresent();
    facts.playbackDevice = PlaybackDevicePresent();
    return facts;
}

// Device messages come on the monitor's own thread; the list is read again
// on the UI thread, announced by a posted event.
struct AudioDeviceMonitor::Impl : QObject {
    GstDeviceMonitor* monitor = nullptr;
    std::vector<AudioDevice> devices;
    std::function<void()> observer;

    static GstBusSyncReply Sync(GstBus*, GstMessage* msg, gpointer data) {
        auto* self = static_cast<Impl*>(data);
        switch (GST_MESSAGE_TYPE(msg)) {
            case GST_MESSAGE_DEVICE_ADDED:
            case GST_MESSAGE_DEVICE_REMOVED:
            case GST_MESSAGE_DEVICE_CHANGED:
                if (QCoreApplication::instance())
                    QCoreApplication::postEvent(self, new QEvent(kDevicesEvent));
                break;
            default:
                break;
        }
        gst_message_unref(msg);
        return GST_BUS_DROP;
    }

    bool event(QEvent* e) override {
        if (e->type() != kDevicesEvent) return QObject::event(e);
        if (!monitor) return true;
        const std::vector<AudioDevice> now = Read();
        bool same = now.size() == devices.size();
        for (size_t i = 0; same && i < now.size(); ++i)
            same = now[i].name == devices[i].name && now[i].description == devices[i].description &&
                   now[i].isDefault == devices[i].isDefault;
        if (same) return true;  // several messages for one change
        devices = now;
        if (observer) observer();
        return true;
    }

    std::vector<AudioDevice> Read() const {
        std::vector<AudioDevice> out;
        GList* list = gst_device_monitor_get_devices(monitor);
        for (GList* l = list; l; l = l->next) {
            GstDevice* device = GST_DEVICE(l->data);
            if (gst_device_has_classes(device, "Audio/Sink")) out.push_back(Describe(device));
        }
        g_list_free_full(list, gst_object_unref);
        return out;
    }
};

AudioDeviceMonitor& AudioDeviceMonitor::Instance() {
    static AudioDeviceMonitor instance;
    return instance;
}

AudioDeviceMonitor::AudioDeviceMonitor() : impl_(std::make_unique<Impl>()) {}

AudioDeviceMonitor::~AudioDeviceMonitor() {
    Stop();
}

bool AudioDeviceMonitor::Start() {
    if (impl_->monitor) return true;
    if (ChooseSoundOutput(CurrentSoundFacts()) != SoundOutput::Server) return false;
    EnsureGstInitialized();
    GstDeviceMonitor* monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(monitor, "Audio/Sink", nullptr);
    GstBus* bus = gst_device_monitor_get_bus(monitor);
    gst_bus_set_sync_handler(bus, &Impl::Sync, impl_.get(), nullptr);
    gst_object_unref(bus);
    if (!gst_device_monitor_start(monitor)) {
        gst_object_unref(monitor);
        return false;
    }
    impl_->monitor = monitor;
    impl_->devices = impl_->Read();
    return true;
}

void AudioDeviceMonitor::Stop() {
    if (!impl_->monitor) return;
    gst_device_monitor_stop(impl_->monitor);
    GstBus* bus = gst_device_monitor_get_bus(impl_->monitor);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(impl_->monitor);
    impl_->monitor = nullptr;
    impl_->devices.clear();
    QCoreApplication::removePostedEvents(impl_.get(), kDevicesEvent);
}

bool AudioDeviceMonitor::Watching() const {
    return impl_->monitor != nullptr;
}

std::vector<AudioDevice> AudioDeviceMonitor::Devices() const {
    return impl_->devices;
}

std::string AudioDeviceMonitor::DefaultName() const {
    for (const AudioDevice& d : impl_->devices)
        if (d.isDefault) return d.name;
    return "";
}

bool AudioDeviceMonitor::Has(const std::string& name) const {
    for (const AudioDevice& d : impl_->devices)
        if (d.name == name) return true;
    return false;
}

void AudioDeviceMonitor::SetObserver(std::function<void()> observer) {
    impl_->observer = std::move(observer);
}

}  // namespace quova::engine
