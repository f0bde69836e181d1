#include "app/end_of_medium.h"

#include "lexicon/lexicon.h"
#include "text/osd_message.h"

namespace quova {

EndAction ChooseAfterEnd(PlayListState& list, const EndOptions& options,
                         const RandomSource& random) {
    const bool extractionCompletes = options.extractionMode && options.extractionReady;
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
        return extractionCompletes ? EndAction::ExtractionComplete : EndAction::StopPolling;
    }
    if (!options.extractionMode) return options.loop ? EndAction::Rewind : EndAction::StopPolling;
    return extractionCompletes ? EndAction::ExtractionComplete : EndAction::Nothing;
}

void ContinueAfterEnd(PlayListState& list, const EndOptions& options, const AfterEndSteps& steps,
                      const RandomSource& random) {
    switch (ChooseAfterEnd(list, options, random)) {
        case EndAction::OpenEntry:
            StartEntry(list, steps.open);
            break;
        case EndAction::ExtractionComplete:
            OsdMessage = Lex(1260);
            steps.extractionDone();
            steps.stopTimer1();
            break;
        case EndAction::Rewind:
            steps.rewind();
            break;
        case EndAction::StopPolling:
            steps.stopTimer1();
            break;
        case EndAction::Nothing:
            break;
    }
}

}  // namespace quova
