#pragma once

#include <string>

namespace quova {

// The nice value "High Priority" asks for, below the one found at start.
inline constexpr int kHighPriorityRaise = 10;

// The process's scheduling priority (nice value) for "High Priority": raised
// (a lower nice value) when switched on, back to the start value when off.
class ProcessPriority {
  public:
    // Remembers the nice value the process runs at now.
    ProcessPriority();

    // Sets the high or the start priority; false when the system refuses
    // (an unprivileged user may not lower the nice value), `error` saying why.
    bool Set(bool high, std::string* error = nullptr);
    int startNice() const { return startNice_; }

  private:
    int startNice_;
};

// "High Priority": flips the option when the new priority could be set, and
// returns the OSD text reporting a refusal ("" when it worked). A priority
// that was not set is never reported as on.
std::string HighPriority1Click(bool& highPriority, ProcessPriority& priority);

}  // namespace quova
