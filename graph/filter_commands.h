#pragma once

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace quova {

struct MediumSession;

using TipShower = std::function<void(int tip)>;

// "Custom Graph Builder": its tip, then the option flips (for the next open).
void CustomGraphBuilder1Click(MediumSession& session, const TipShower& showTip);
// "Register Graph": its tip, then the option flips; the next open follows it.
void RegisterGraphOnROT1Click(bool& registerOnRot, const TipShower& showTip);
// A Filters item: the settings page of the filter its caption names ("&" removed).
void Filter2Click(MediumSession& session, const std::string& caption, QWidget* owner);

// What the Filters submenu shows when the popup opens: enabled with one item
// per filter that has settings, disabled (and its first item kept) when none.
struct FiltersMenuState {
    bool enabled = false;
    std::vector<std::string> captions;
};
FiltersMenuState FiltersMenu(MediumSession& session);

}  // namespace quova
