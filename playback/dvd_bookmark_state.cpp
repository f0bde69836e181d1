#include "playback/dvd_bookmark_state.h"

#include <string_view>

#include "graph/graph_state.h"
#include "platform/engine/dvd_navigator.h"
#include "platform/engine/dvd_state.h"
#include "platform/engine/dvd_types.h"

namespace quova {

namespace {

constexpr std::string_view kClassId(kDvdStateClassId, 16);

// The navigator's text behind the class identifier; a state another
// navigator saved (another identifier) is not ours to read.
bool NavigatorText(const std::string& stream, std::string& text) {
    if (stream.size() < kClassId.size() || std::string_view(stream).substr(0, 16) != kClassId)
        return false;
    text = stream.substr(kClassId.size());
    return true;
}

// The open disc's navigator (Graph().DvdControl and DvdInfo).
class NavigatorStateStore final : public DvdStateStore {
  public:
    bool CanSave() override {
        const GraphSession& g = Graph();
        return g.DvdInfo && g.DvdVideoAttributes.ulFrameRate != 0;
    }
    bool Ready() override { return Graph().DvdControl && Graph().DvdInfo; }
    std::int32_t GetState(std::string& state) override {
        if (!Graph().DvdInfo) return engine::E_POINTER;
        const engine::Outcome<std::string> got = Graph().DvdInfo->GetState();
        if (!got.ok()) return got.hr;
        state = std::string(kClassId) + got.value;
        return engine::S_OK;
    }
    std::int32_t StateDiscId(const std::string& state, std::uint64_t& discId) override {
        std::string text;
        if (!NavigatorText(state, text)) return engine::VFW_E_DVD_STATE_CORRUPT;
        const engine::Outcome<engine::DvdNavigatorState> parsed = engine::ParseDvdState(text);
        if (!parsed.ok()) return parsed.hr;
        discId = parsed.value.discId;
        return engine::S_OK;
    }
    std::uint64_t CurrentDiscId() override {
        if (!Graph().DvdInfo) return 0;
        const engine::Outcome<std::uint64_t> id = Graph().DvdInfo->GetDiscID();
        return id.ok() ? id.value : 0;
    }
    std::int32_t SetState(const std::string& state) override {
        if (!Graph().DvdControl) return engine::E_POINTER;
        std::string text;
        if (!NavigatorText(state, text)) return engine::VFW_E_DVD_STATE_CORRUPT;
        return Graph().DvdControl->SetState(text, engine::DVD_CMD_FLAG_Flush);
    }
};

DvdStateStore* standIn = nullptr;

}  // namespace

DvdStateStore& DvdStates() {
    static NavigatorStateStore navigator;
    return standIn ? *standIn : navigator;
}

void UseDvdStateStore(DvdStateStore* store) {
    standIn = store;
}

}  // namespace quova
