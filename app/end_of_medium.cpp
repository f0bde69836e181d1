#include "app/end_of_medium.h"

namespace quova {

EndAction ChooseAfterEnd(PlayListState& list, const EndOptions& options,
                         const RandomSource& random) {
    if (list.PlayListCount() > 1) {
        if (!options.extractionMode && options.random) {
            RandomPick(list, random);
            return EndAction::OpenEntry;
        }
        if (list.PlayListIndex < list.PlayListCount() - 1) {
            ++list.PlayListIndex;
            return EndAction::OpenEntry;
        }
        if (!options.extractionMode && options.loop) {
            list.PlayListIndex = 0;
            return EndAction::OpenEntry;
        }
        return EndAction::StopPolling;
    }
    return !options.extractionMode && options.loop ? EndAction::Rewind : EndAction::StopPolling;
}

void ContinueAfterEnd(PlayListState& list, const EndOptions& options, AfterEndSteps& steps,
                      const RandomSource& random) {
    switch (ChooseAfterEnd(list, options, random)) {
        case EndAction::OpenEntry:
            StartEntry(list, [&steps](const std::string& name) { steps.Open(name); });
            break;
        case EndAction::Rewind:
            steps.Rewind();
            break;
        case EndAction::StopPolling:
            steps.StopPolling();
            break;
    }
}

}  // namespace quova
