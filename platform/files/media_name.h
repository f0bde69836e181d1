#pragma once

#include <string>
#include <string_view>

namespace quova {

// What a name handed to the player stands for. Names come from outside (the
// command line, a play list, another program over D-Bus, a drop), so only
// what is plainly a local file or a web address is taken.
enum class MediaNameKind {
    LocalFile,  // a path on this machine (a file:// address is turned into one)
    Network,    // an http:// or https:// address, kept as given
    Refused,    // an address of another kind, or one that cannot be read
};

struct MediaName {
    MediaNameKind kind = MediaNameKind::Refused;
    std::string name;  // the local path, or the address; the given name when refused
};

// A name is an address only when it begins with a scheme followed by "://";
// anything else ("movie:part1.avi", "./http://x") is a local file name.
MediaName ClassifyMediaName(std::string_view given);

// Whether a name is an http:// or https:// address that can be opened.
bool IsNetworkAddress(std::string_view given);

}  // namespace quova
