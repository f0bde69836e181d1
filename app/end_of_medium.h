#pragma once

#include <functional>
#include <string>

#include "app/play_list.h"

namespace quova {

// What the polling tick does once a file has played to its end.
enum class EndAction {
    OpenEntry,    // the play list's chosen entry is opened
    Rewind,       // "Loop" on a single medium: back to the start
    StopPolling,  // the graph stays stopped and the tick stops
};

// A running extraction ends its files in its own tick (graph/extraction.h);
// an extraction mode without its graph plays like any file, but never at
// random and never round again.
struct EndOptions {
    bool extractionMode = false;
    bool random = false;
    bool loop = false;
};

// The choice after the end of the current entry; for OpenEntry the list's
// index is set to the entry chosen. The last entry of a list without "Loop"
// stops polling like a single medium, since its end would otherwise be found
// again on every tick; so does a single medium in an extraction mode.
EndAction ChooseAfterEnd(PlayListState& list, const EndOptions& options,
                         const RandomSource& random = LibraryRandom);

// What the world around the tick does after the end of a file.
class AfterEndSteps {
  public:
    virtual void Rewind() = 0;
    // Timer1 stops: the end would otherwise be found again on every tick.
    virtual void StopPolling() = 0;
    virtual void Open(const std::string& name) = 0;

  protected:
    ~AfterEndSteps() = default;
};

// After the end of a file (the graph stopped, "Stop" shown): the next entry,
// a rewind or the end of polling.
void ContinueAfterEnd(PlayListState& list, const EndOptions& options, AfterEndSteps& steps,
                      const RandomSource& random = LibraryRandom);

}  // namespace quova
