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

}  // namespace

void InstallDvdBookmarkHooks(BookmarkHooks& hooks) {
    hooks.DvdCanSave = [] {
        const GraphSession& g = Graph();
        return g.DvdInfo && g.DvdVideoAttributes.ulFrameRate != 0;
    };
    hooks.DvdReady = [] { return Graph().DvdControl && Graph().DvdInfo; };
    hooks.GetDvdState = [](std::string& state) -> std::int32_t {
        if (!Graph().DvdInfo) return engine::E_POINTER;
        const engine::Outcome<std::string> got = Graph().DvdInfo->GetState();
        if (!got.ok()) return got.hr;
        state = std::string(kClassId) + got.value;
        return engine::S_OK;
    };
    hooks.StateDiscId = [](const std::string& state, std::uint64_t& discId) -> std::int32_t {
        std::string text;
        if (!NavigatorText(state, text)) return engine::VFW_E_DVD_STATE_CORRUPT;
        const engine::Outcome<engine::DvdNavigatorState> parsed = engine::ParseDvdState(text);
        if (!parsed.ok()) return parsed.hr;
        discId = parsed.value.discId;
        return engine::S_OK;
    };
    hooks.CurrentDiscId = []() -> std::uint64_t {
        if (!Graph().DvdInfo) return 0;
        const engine::Outcome<std::uint64_t> id = Graph().DvdInfo->GetDiscID();
        return id.ok() ? id.value : 0;
    };
    hooks.SetDvdState = [](const std::string& state) -> std::int32_t {
        if (!Graph().DvdControl) return engine::E_POINTER;
        std::string text;
        if (!NavigatorText(state, text)) return engine::VFW_E_DVD_STATE_CORRUPT;
        return Graph().DvdControl->SetState(text, engine::DVD_CMD_FLAG_Flush);
    };
}

}  // namespace quova
