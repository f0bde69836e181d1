#pragma once

#include <string>

namespace quova {

class TQuovaForm;

// Watches the program's life from outside (tests); every part is optional.
class ProgramObserver {
  public:
    // A start-up step completed, by name, starting with "lexicon".
    virtual void StepDone(const std::string&) {}
    // The main window exists and the splash is up.
    virtual void WindowCreated(TQuovaForm&) {}
    // Opens `name` instead of the open pipeline when it returns true.
    virtual bool OpenMedia(const std::string&) { return false; }

  protected:
    ~ProgramObserver() = default;
};

}  // namespace quova
