#pragma once

#include <string>
#include <vector>

#include "app/program_observer.h"

namespace quova {

struct ProgramOptions {
    // The command line without the program's name.
    std::vector<std::string> params;
    // Ctrl was held down at start: never hand over.
    bool ctrlHeld = false;
    // Where instances meet; "" for the user's runtime folder.
    std::string socketPath;
    // The program's full path; "" for the running program's.
    std::string exePath;
    ProgramObserver* observer = nullptr;
};

enum class ProgramEnd { HandedOver, Finished };

// The program's life from start to end: hands the file over to a running
// instance, or creates the window and the splash, runs until the window has
// closed and finalises. Needs the QApplication to exist.
ProgramEnd RunProgram(const ProgramOptions& options);

}  // namespace quova
