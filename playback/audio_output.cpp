#include "playback/audio_output.h"

#include <map>

#include "graph/graph_state.h"
#include "graph/multiple_audio.h"
#include "lexicon/lexicon.h"
#include "platform/engine/audio_renderer.h"
#include "platform/engine/filter_graph.h"
#include "text/osd_message.h"

namespace quova {

namespace {

constexpr int kDefaultCaption = 2640;
constexpr int kDeviceChosen = 2650;
constexpr int kDeviceGone = 2660;
constexpr int kNoSound = 2670;

engine::FilterGraph* OpenGraph() {
    GraphSession& g = Graph();
    if (!g.GraphBuilder || g.MediaKind == MediaKindNone) return nullptr;
    return g.GraphBuilder.get();
}

bool Offered(const std::string& name, const std::vector<engine::AudioDevice>& devices) {
    for (const engine::AudioDevice& d : devices)
        if (d.name == name) return true;
    return false;
}

std::string DescriptionOf(const std::string& name) {
    if (name.empty()) return Lex(kDefaultCaption);
    for (const AudioDeviceItem& item : AudioDeviceItems(AudioDevicesNow(), name))
        if (item.name == name) return item.caption;
    return name;
}

}  // namespace

std::vector<AudioDeviceItem> AudioDeviceItems(const std::vector<engine::AudioDevice>& devices,
                                              const std::string& chosen) {
    std::map<std::string, int> uses;
    for (const engine::AudioDevice& d : devices) ++uses[d.description];
    std::vector<AudioDeviceItem> items;
    items.push_back({Lex(kDefaultCaption), "", chosen.empty()});
    for (const engine::AudioDevice& d : devices) {
        std::string caption = d.description.empty() ? d.name : d.description;
        if (uses[d.description] > 1) caption += " (" + d.name + ")";
        items.push_back({caption, d.name, !chosen.empty() && d.name == chosen});
    }
    return items;
}

std::string AvailableDevice(const std::string& wanted,
                            const std::vector<engine::AudioDevice>& devices) {
    return Offered(wanted, devices) ? wanted : "";
}

AudioOutputState& AudioOutput() {
    static AudioOutputState state;
    return state;
}

std::string StartAudioOutput(const std::string& stored, std::function<void()> moved) {
    engine::AudioDeviceMonitor& monitor = engine::AudioDeviceMonitor::Instance();
    monitor.SetObserver([moved = std::move(moved)] {
        if (AudioDevicesChanged() && moved) moved();
    });
    monitor.Start();
    AudioOutput().chosen = AvailableDevice(stored, monitor.Devices());
    engine::SetPreferredAudioDevice(AudioOutput().chosen);
    if (engine::FilterGraph* graph = Graph().GraphBuilder.get())
        graph->SetAudioDevice(AudioOutput().chosen);
    return AudioOutput().chosen;
}

void StopAudioOutput() {
    engine::AudioDeviceMonitor::Instance().SetObserver({});
    engine::AudioDeviceMonitor::Instance().Stop();
}

std::vector<engine::AudioDevice> AudioDevicesNow() {
    return engine::AudioDeviceMonitor::Instance().Devices();
}

void ChooseAudioDevice(const std::string& name) {
    AudioOutput().chosen = name;
    engine::SetPreferredAudioDevice(name);
    if (engine::FilterGraph* graph = Graph().GraphBuilder.get()) graph->SetAudioDevice(name);
    OsdMessage = FormatLex(kDeviceChosen, DescriptionOf(name));
}

bool ChooseStreamDevice(int index, const std::string& name) {
    if (!OpenGraph()) return false;
    const auto renderer = StreamRenderer(index);
    if (!renderer) return false;
    renderer->SetDevice(name);
    OsdMessage = FormatLex(kDeviceChosen, DescriptionOf(name));
    return true;
}

bool StreamDevice(int index, std::string& name) {
    if (!OpenGraph()) return false;
    const auto renderer = StreamRenderer(index);
    if (!renderer) return false;
    name = renderer->Device();
    return true;
}

bool AudioDevicesChanged() {
    const std::vector<engine::AudioDevice> devices = AudioDevicesNow();
    bool moved = false;
    if (!AudioOutput().chosen.empty() && !Offered(AudioOutput().chosen, devices)) {
        AudioOutput().chosen.clear();
        engine::SetPreferredAudioDevice("");
        if (engine::FilterGraph* graph = Graph().GraphBuilder.get()) graph->SetAudioDevice("");
        moved = true;
    }
    // A stream given a device of its own moves on its own.
    if (engine::FilterGraph* graph = OpenGraph())
        for (const auto& renderer : graph->AudioRenderers())
            if (!renderer->Device().empty() && !Offered(renderer->Device(), devices)) {
                renderer->SetDevice("");
                moved = true;
            }
    if (moved) OsdMessage = Lex(kDeviceGone);
    return moved;
}

bool ReportSilentAudio() {
    engine::FilterGraph* graph = OpenGraph();
    if (!graph || AudioOutput().silentReported) return false;
    for (const auto& renderer : graph->AudioRenderers())
        if (renderer->Silent()) {
            AudioOutput().silentReported = true;
            OsdMessage = Lex(kNoSound);
            return true;
        }
    return false;
}

}  // namespace quova
