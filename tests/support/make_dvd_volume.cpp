// Authors the test DVD volume into a folder, for the scripts that start the
// real program on it.
//   make_dvd_volume <folder>
#include <cstdio>

#include "tests/support/dvd_volume.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_dvd_volume <folder>\n");
        return 2;
    }
    const std::string failure = quova::testing::MakeDvdVolume(argv[1]);
    if (!failure.empty()) {
        std::fprintf(stderr, "%s\n", failure.c_str());
        return 1;
    }
    return 0;
}
