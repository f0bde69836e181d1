#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/settings.h"

namespace quova {

// The command line: file names and the switches /fs, /zoomtowin, /noosd,
// /sub, /1, /2, /3 in any letter case. Only those exact words are switches:
// everything else is a file name, so an absolute path such as /home/a.ogv
// stays a file.

bool IsSwitch(const std::string& param);

// A switch in the first or the second parameter keeps a start from handing
// its file to a running instance.
bool SwitchInFirstTwo(const std::vector<std::string>& params);

// Whether a start tries to hand its first parameter to a running instance:
// not with Ctrl held, not with a switch in front, and not without a file.
bool ShouldTryHandOver(const std::vector<std::string>& params, bool ctrlHeld);

// What a start hands over: the first parameter that names an existing file or
// folder (a file:// address as its local path) or an http(s) address, since the
// running instance opens nothing else; none when no parameter does, and the
// start then opens a window of its own.
std::optional<std::string> HandOverFile(const std::vector<std::string>& params);

// The first pass: the switches that override the loaded settings for this run.
void ApplySwitches(const std::vector<std::string>& params, Settings& settings);

// The second pass, in command-line order: files to open and zoom factors to
// set, each acting after the ones before it.
struct StartupAction {
    enum class Kind { Open, Zoom };
    Kind kind;
    std::string file;
    double zoom = 1.0;

    bool operator==(const StartupAction&) const = default;
};

std::vector<StartupAction> StartupActions(const std::vector<std::string>& params);

}  // namespace quova
