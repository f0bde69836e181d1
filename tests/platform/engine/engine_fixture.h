#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "platform/engine/filter_graph.h"
#include "tests/support/temp_dir.h"

namespace quova::engine::testing {

// Generated media shared by the engine's tests, made once per run.
class Media {
  public:
    static const std::filesystem::path& Get(const std::string& kind);

  private:
    static quova::testing::TempDir& Dir();
};

// Lets queued Qt work (frames, bus news) run for `ms` milliseconds.
void Spin(int ms);

// Processes Qt events until `done` holds; false when `ms` passed first. The
// time-out only bounds a failure: a loaded machine is slow, never wrong.
bool WaitUntil(const std::function<bool()>& done, int ms = 15000);

// Waits (processing Qt events) for an event of `code`; false when none came in `ms`.
bool WaitForEvent(FilterGraph& graph, long code, int ms, GraphEvent* got = nullptr);

// The names of the graph's filters joined by ", " (for failure messages).
std::string FilterNames(const FilterGraph& graph);

}  // namespace quova::engine::testing
