#include "graph/multiple_audio.h"

#include <algorithm>
#include <exception>
#include <memory>

#include <QTimer>

#include "graph/custom_build.h"
#include "graph/filter_list.h"
#include "graph/graph_state.h"
#include "graph/medium_session.h"
#include "graph/message_box.h"
#include "graph/open_media_port.h"
#include "lexicon/lexicon.h"
#include "platform/engine/filter_graph.h"
#include "text/text_session.h"

namespace quova {

using namespace engine;

namespace {

// The menu offers a switch for the first four streams.
constexpr int kSwitchedStreams = 4;

// A lexicon text with its "%d" filled.
std::string WithNumber(int entry, int number) {
    std::string text = Lex(entry);
    const size_t at = text.find("%d");
    if (at != std::string::npos) text.replace(at, 2, std::to_string(number));
    return text;
}

// The renderer at the end of the branch that starts at `input`.
std::shared_ptr<AudioRendererFilter> RendererOf(const PinPtr& input) {
    FilterPtr filter = input ? input->Owner() : nullptr;
    for (int depth = 0; filter && depth < 16; ++depth) {
        if (auto renderer = std::dynamic_pointer_cast<AudioRendererFilter>(filter)) return renderer;
        FilterPtr next;
        for (const PinPtr& out : filter->Pins(PinDirection::Output))
            if (const PinPtr peer = out->ConnectedTo()) next = peer->Owner();
        filter = next;
    }
    return nullptr;
}

bool FindSplitterPins(MediumSession& session, FilterGraph& graph) {
    MultipleAudioState& s = session.audio;
    s.AudioSplitterPins = ListGraphFilters(&graph, "pins").audioSplitterPins;
    if (s.AudioSplitterPins.empty()) return false;
    s.splitterFound = true;
    const size_t n = s.AudioSplitterPins.size();
    s.AudioOutPins.assign(n, nullptr);
    s.AudioPeerPins.assign(n, nullptr);
    s.AudioConnected.assign(n, 1);
    return true;
}

void FillStreams(MediumSession& session) {
    MultipleAudioState& s = session.audio;
    size_t j = 0;
    for (const PinPtr& pin : s.AudioSplitterPins) {
        if (j >= s.AudioOutPins.size()) break;
        const Outcome<MediaType> type = pin->ConnectionMediaType();
        const PinPtr peer = pin->ConnectedTo();
        if (!type.ok() || !type.value.IsAudio() || !peer) continue;
        s.AudioOutPins[j] = pin;
        s.AudioPeerPins[j] = peer;
        s.AudioConnected[j] = 1;
        ++j;
    }
}

void Toggle(MediumSession& session, FilterGraph& graph, int index) {
    MultipleAudioState& s = session.audio;
    const PinPtr out = s.AudioOutPins[index];
    const PinPtr peer = s.AudioPeerPins[index];
    if (s.AudioConnected[index] == 0) {
        try {
            const HResult hr = graph.ConnectDirect(out, peer);
            if (Succeeded(hr)) {
                session.osdMessage = WithNumber(280, index + 1);
                s.AudioConnected[index] = 1;
                SetAudioStreamCheck(session, index, true);
            } else {
                session.osdMessage = WithNumber(290, index + 1) + ErrorText(hr);
            }
        } catch (const std::exception& e) {
            ShowMessage(std::string(e.what()) + "\n" + Lex(340), MbIconStop);
        }
        return;
    }
    try {
        const HResult hr = graph.Disconnect(out);
        if (Succeeded(hr)) {
            session.osdMessage = WithNumber(320, index + 1);
            s.AudioConnected[index] = 0;
            SetAudioStreamCheck(session, index, false);
        } else {
            session.osdMessage = WithNumber(330, index + 1) + ErrorText(hr);
        }
    } catch (const std::exception& e) {
        ShowMessage(std::string(e.what()) + "\n" + Lex(350), MbIconStop);
    }
}

bool SwitchOggStream(MediumSession& session, FilterGraph& graph, int index) {
    const FilterPtr splitter = graph.FindFilterByName("Ogg Splitter");
    StreamSelect* select = splitter ? splitter->AsStreamSelect() : nullptr;
    if (!select) return false;
    graph.Run();
    int audio = 0;
    for (int i = 0; i < select->Count(); ++i) {
        const Outcome<StreamInfo> info = select->Info(i);
        if (!info.ok() || !info.value.mediaType.IsAudio()) continue;
        if (audio++ != index) continue;
        const HResult hr = select->Enable(i, AMSTREAMSELECTENABLE_ENABLE);
        if (Succeeded(hr)) {
            session.osdMessage = WithNumber(280, index + 1);
            for (int k = 0; k < 4; ++k) SetAudioStreamCheck(session, k, k == index);
        } else {
            session.osdMessage = WithNumber(290, index + 1) + ErrorText(hr);
        }
        break;
    }
    graph.Stop();
    graph.Run();
    graph.Stop();
    return true;
}

}  // namespace

void ReleaseMultipleAudio(MediumSession& session) {
    session.audio = MultipleAudioState{};
}

void SetAudioStreamCheck(MediumSession& session, int index, bool checked) {
    if (index < 0 || index > 3) return;
    session.mediaPort.Get().SetAudioStreamCheck(index, checked);
}

std::string StreamQuestion(int k, int count) {
    return "Multiple Audio initial stream selection:\nEnable audio stream " + std::to_string(k) +
           " of " + std::to_string(count) + " ?";
}

HResult OpenMultipleAudio(MediumSession& session, const PinPtr& sourcePin) {
    HResult result = E_FAIL;
    FilterGraph* graph = session.graph.GraphBuilder.get();
    if (!graph || !sourcePin) return E_POINTER;
    try {
        const FilterPtr splitter = CreateFilterByName("AVI Splitter");
        if (!splitter) return graph->Render(sourcePin);
        result = graph->AddFilter(splitter, "AVI Splitter");
        if (Failed(result)) return result;
        const PinPtr input = splitter->FindPin("input pin");
        if (!input) return VFW_E_NOT_FOUND;
        result = graph->Connect(sourcePin, input);
        if (Failed(result)) return result;
        int k = 0;
        const int outputs = CountPins(splitter, PinsOutput);
        for (int i = 1; i <= outputs; ++i) {
            const PinPtr pin = GetPin(splitter, PinsOutput, i);
            if (!pin) continue;
            const std::vector<MediaType> types = pin->MediaTypes();
            if (types.empty()) continue;
            if (types.front().IsVideo()) {
                graph->Render(pin);
            } else if (types.front().IsAudio()) {
                ++k;
                if (ShowMessage(StreamQuestion(k, session.graph.AudioStreamCount),
                                MbOkCancel | MbIconQuestion) == IdOk) {
                    graph->Render(pin);
                    SetAudioStreamCheck(session, k - 1, true);
                } else {
                    SetAudioStreamCheck(session, k - 1, false);
                }
            }
        }
    } catch (const std::exception& e) {
        ShowMessage(std::string("SelectAudioStreams error: ") + e.what(), MbIconStop);
    }
    return result;
}

std::shared_ptr<AudioRendererFilter> StreamRenderer(MediumSession& session, int index) {
    FilterGraph* graph = session.graph.GraphBuilder.get();
    MultipleAudioState& s = session.audio;
    if (!graph || index < 0) return nullptr;
    if (!s.splitterFound && !FindSplitterPins(session, *graph)) return nullptr;
    const size_t at = static_cast<size_t>(index);
    if (at >= s.AudioOutPins.size()) return nullptr;
    if (!s.AudioPeerPins[at] || !s.AudioOutPins[at]) FillStreams(session);
    if (!s.AudioConnected[at] || !s.AudioPeerPins[at]) return nullptr;
    return RendererOf(s.AudioPeerPins[at]);
}

namespace {

// A stream switch is a chain of the graph's states with a pause of 100 ms
// after each, run from timers so that the window answers in between. A
// medium left meanwhile ends the chain; a switch asked for meanwhile runs
// after it. Each pending step holds the chain, which goes with the last.
class StreamSwitch : public std::enable_shared_from_this<StreamSwitch> {
  public:
    static void Start(MediumSession& session, int index) {
        FilterGraph* graph = session.graph.GraphBuilder.get();
        if (!graph) return;
        auto chain = std::make_shared<StreamSwitch>(session, index);
        session.audio.switching = true;
        if (chain->state_ == GraphState::Stopped) {
            graph->Run();
            chain->After([](StreamSwitch& c) { c.PauseAndStop(); });
        } else {
            chain->PauseAndStop();
        }
    }

    StreamSwitch(MediumSession& session, int index)
        : session_(session),
          index_(index),
          medium_(session.graph.mediumGeneration),
          state_(session.graph.GraphBuilder->GetState(100).value) {}

  private:
    FilterGraph& Graph() { return *session_.graph.GraphBuilder; }

    void After(void (*next)(StreamSwitch&)) {
        QTimer::singleShot(100, &session_.context, [self = shared_from_this(), next] {
            MediumSession& session = self->session_;
            if (!session.graph.GraphBuilder || session.graph.mediumGeneration != self->medium_) {
                session.audio.switching = false;
                session.audio.pendingSwitches.clear();
                return;
            }
            next(*self);
        });
    }
    void PauseAndStop() {
        Graph().Pause();
        After([](StreamSwitch& c) {
            c.Graph().Stop();
            c.After([](StreamSwitch& d) { d.Toggle(); });
        });
    }

    void Toggle() {
        FilterGraph& graph = Graph();
        const bool ogg = session_.mediaPort.Get().Settings().OggStreamSelect &&
                         SwitchOggStream(session_, graph, index_);
        if (ogg) return Finish();
        MultipleAudioState& s = session_.audio;
        if (!s.splitterFound && !FindSplitterPins(session_, graph)) {
            session_.osdMessage = Lex(310);
            if (state_ == GraphState::Running) graph.Run();
            return Done();
        }
        const size_t at = static_cast<size_t>(index_);
        if (index_ < 0 || at >= s.AudioOutPins.size()) {
            // No stream of that number: only the stop and run cycle happens.
        } else {
            if (!s.AudioPeerPins[at] || !s.AudioOutPins[at]) FillStreams(session_);
            if (s.AudioPeerPins[at] && s.AudioOutPins[at]) quova::Toggle(session_, graph, index_);
        }
        graph.Run();
        After([](StreamSwitch& c) {
            c.Graph().Stop();
            c.Finish();
        });
    }

    void Finish() {
        FilterGraph& graph = Graph();
        try {
            const HResult hr = graph.SetDefaultSyncSource();
            if (Failed(hr)) ShowMessage(Lex(300) + ": " + ErrorText(hr), MbIconExclamation);
            const Outcome<double> position = graph.CurrentPosition();
            if (position.ok()) graph.SetCurrentPosition(position.value);
        } catch (const std::exception& e) {
            ShowMessage(std::string(e.what()) + "\n" + Lex(300), MbIconStop);
        }
        // A paused medium stays paused, a running one runs again.
        if (state_ == GraphState::Running)
            graph.Run();
        else if (state_ == GraphState::Paused)
            graph.Pause();
        Done();
    }

    void Done() {
        MultipleAudioState& s = session_.audio;
        s.switching = false;
        if (s.pendingSwitches.empty()) return;
        const int next = s.pendingSwitches.front();
        s.pendingSwitches.pop_front();
        Start(session_, next);
    }

    MediumSession& session_;
    const int index_;
    const std::uint64_t medium_;
    const GraphState state_;
};

}  // namespace

int HeardAudioStreams(MediumSession& session) {
    FilterGraph* graph = session.graph.GraphBuilder.get();
    MultipleAudioState& s = session.audio;
    if (!graph || (!s.splitterFound && !FindSplitterPins(session, *graph))) return -1;
    const std::size_t count =
        std::min(s.AudioConnected.size(), static_cast<std::size_t>(kSwitchedStreams));
    if (count < 2) return -1;
    int heard = 0;
    for (std::size_t k = 0; k < count; ++k)
        if (s.AudioConnected[k]) heard |= 1 << k;
    return heard;
}

void HearAudioStreams(MediumSession& session, int heard) {
    const int now = HeardAudioStreams(session);
    if (heard < 0 || now < 0) return;
    for (int k = 0; k < kSwitchedStreams; ++k)
        if (((heard ^ now) >> k) & 1) SwitchAudioStream(session, k);
}

void SwitchAudioStream(MediumSession& session, int index) {
    if (session.audio.switching) {
        session.audio.pendingSwitches.push_back(index);
        return;
    }
    StreamSwitch::Start(session, index);
}

}  // namespace quova
