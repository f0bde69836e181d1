#include "playback/dvd_bookmark_state.h"

#include <string_view>

#include "graph/graph_state.h"
#include "platform/engine/dvd_navigator.h"
#include "platform/engine/dvd_state.h"
#include "platform/engine/dvd_types.h"
#include "playback/player_session.h"

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

}  // namespace

bool NavigatorStateStore::CanSave() {
    return graph_.DvdInfo && graph_.DvdVideoAttributes.ulFrameRate != 0;
}

bool NavigatorStateStore::Ready() {
    return graph_.DvdControl && graph_.DvdInfo;
}

std::int32_t NavigatorStateStore::GetState(std::string& state) {
    if (!graph_.DvdInfo) return engine::E_POINTER;
    const engine::Outcome<std::string> got = graph_.DvdInfo->GetState();
    if (!got.ok()) return got.hr;
    state = std::string(kClassId) + got.value;
    return engine::S_OK;
}

std::int32_t NavigatorStateStore::StateDiscId(const std::string& state, std::uint64_t& discId) {
    std::string text;
    if (!NavigatorText(state, text)) return engine::VFW_E_DVD_STATE_CORRUPT;
    const engine::Outcome<engine::DvdNavigatorState> parsed = engine::ParseDvdState(text);
    if (!parsed.ok()) return parsed.hr;
    discId = parsed.value.discId;
    return engine::S_OK;
}

std::uint64_t NavigatorStateStore::CurrentDiscId() {
    if (!graph_.DvdInfo) return 0;
    const engine::Outcome<std::uint64_t> id = graph_.DvdInfo->GetDiscID();
    return id.ok() ? id.value : 0;
}

std::int32_t NavigatorStateStore::SetState(const std::string& state) {
    if (!graph_.DvdControl) return engine::E_POINTER;
    std::string text;
    if (!NavigatorText(state, text)) return engine::VFW_E_DVD_STATE_CORRUPT;
    return graph_.DvdControl->SetState(text, engine::DVD_CMD_FLAG_Flush);
}

DvdStateStore& DvdStates(PlayerSession& session) {
    if (session.dvdStates) return *session.dvdStates;
    return session.navigatorStates;
}

void UseDvdStateStore(PlayerSession& session, DvdStateStore* store) {
    session.dvdStates = store;
}

}  // namespace quova
