#include "playback/audio_output.h"

#include <map>

#include "graph/graph_state.h"
#include "graph/multiple_audio.h"
#include "lexicon/lexicon.h"
#include "platform/engine/audio_renderer.h"
#include "platform/engine/filter_graph.h"
#include "playback/player_session.h"
#include "text/text_session.h"

namespace quova {

namespace {

constexpr int kDefaultCaption = 2640;
constexpr int kDeviceChosen = 2650;
constexpr int kDeviceGone = 2660;
constexpr int kNoSound = 2670;

engine::FilterGraph* OpenGraph(PlayerSession& session) {
    GraphSession& g = session.graph;
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

std::string StartAudioOutput(PlayerSession& session, const std::string& stored,
                             std::function<void()> moved) {
    engine::AudioDeviceMonitor& monitor = engine::AudioDeviceMonitor::Instance();
    monitor.SetObserver([moved = std::move(moved), &session] {
        if (AudioDevicesChanged(session) && moved) moved();
    });
    monitor.Start();
    session.outputs.chosen = AvailableDevice(stored, monitor.Devices());
    engine::SetPreferredAudioDevice(session.outputs.chosen);
    if (engine::FilterGraph* graph = session.graph.GraphBuilder.get())
        graph->SetAudioDevice(session.outputs.chosen);
    return session.outputs.chosen;
}

void StopAudioOutput() {
    engine::AudioDeviceMonitor::Instance().SetObserver({});
    engine::AudioDeviceMonitor::Instance().Stop();
}

std::vector<engine::AudioDevice> AudioDevicesNow() {
    return engine::AudioDeviceMonitor::Instance().Devices();
}

void ChooseAudioDevice(PlayerSession& session, const std::string& name) {
    session.outputs.chosen = name;
    engine::SetPreferredAudioDevice(name);
    if (engine::FilterGraph* graph = session.graph.GraphBuilder.get()) graph->SetAudioDevice(name);
    session.osdMessage = FormatLex(kDeviceChosen, DescriptionOf(name));
}

bool ChooseStreamDevice(PlayerSession& session, int index, const std::string& name) {
    if (!OpenGraph(session)) return false;
    const auto renderer = StreamRenderer(session, index);
    if (!renderer) return false;
    renderer->SetDevice(name);
    session.osdMessage = FormatLex(kDeviceChosen, DescriptionOf(name));
    return true;
}

bool StreamDevice(PlayerSession& session, int index, std::string& name) {
    if (!OpenGraph(session)) return false;
    const auto renderer = StreamRenderer(session, index);
    if (!renderer) return false;
    name = renderer->Device();
    return true;
}

bool AudioDevicesChanged(PlayerSession& session) {
    const std::vector<engine::AudioDevice> devices = AudioDevicesNow();
    bool moved = false;
    if (!session.outputs.chosen.empty() && !Offered(session.outputs.chosen, devices)) {
        session.outputs.chosen.clear();
        engine::SetPreferredAudioDevice("");
        if (engine::FilterGraph* graph = session.graph.GraphBuilder.get())
            graph->SetAudioDevice("");
        moved = true;
    }
    // A stream given a device of its own moves on its own.
    if (engine::FilterGraph* graph = OpenGraph(session))
        for (const auto& renderer : graph->AudioRenderers())
            if (!renderer->Device().empty() && !Offered(renderer->Device(), devices)) {
                renderer->SetDevice("");
                moved = true;
            }
    if (moved) session.osdMessage = Lex(kDeviceGone);
    return moved;
}

bool ReportSilentAudio(PlayerSession& session) {
    engine::FilterGraph* graph = OpenGraph(session);
    if (!graph || session.outputs.silentReported) return false;
    for (const auto& renderer : graph->AudioRenderers())
        if (renderer->Silent()) {
            session.outputs.silentReported = true;
            session.osdMessage = Lex(kNoSound);
            return true;
        }
    return false;
}

}  // namespace quova
