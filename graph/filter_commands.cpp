#include "graph/filter_commands.h"

#include <algorithm>

#include "graph/filter_list.h"
#include "graph/graph_state.h"
#include "graph/medium_session.h"
#include "graph/message_box.h"
#include "graph/property_page.h"
#include "lexicon/lexicon.h"

namespace quova {

void CustomGraphBuilder1Click(MediumSession& session, const TipShower& showTip) {
    if (showTip) showTip(16);
    session.flags.CustomRender = !session.flags.CustomRender;
}

void RegisterGraphOnROT1Click(bool& registerOnRot, const TipShower& showTip) {
    if (showTip) showTip(17);
    registerOnRot = !registerOnRot;
}

void Filter2Click(MediumSession& session, const std::string& caption, QWidget* owner) {
    std::string name = caption;
    name.erase(std::remove(name.begin(), name.end(), '&'), name.end());
    try {
        for (const engine::FilterPtr& filter :
             ListGraphFilters(session.graph.GraphBuilder.get(), name).pagesToOpen)
            ShowFilterPropertyPage(owner, filter);
    } catch (const std::exception& e) {
        ShowMessage(std::string(e.what()) + "\n" + Lex(270), MbIconExclamation);
    }
}

FiltersMenuState FiltersMenu(MediumSession& session) {
    FiltersMenuState state;
    try {
        state.captions = ListGraphFilters(session.graph.GraphBuilder.get(), "menu").withPages;
    } catch (const std::exception& e) {
        ShowMessage(std::string(e.what()) + "\n" + Lex(270), MbIconExclamation);
    }
    state.enabled = !state.captions.empty();
    return state;
}

}  // namespace quova
