// Reads of the settings store against its size: a store of 2,000 and one of
// 20,000 keys (each with a few values, the program's own key among them),
// read the way start-up reads it: Key::Read of a value of the main key, over
// and over. Prints reads per second for each size, once on a file that has
// just been written and once on one left alone for a while.
//
//   bench_registry [seconds per case]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/registry/registry.h"
#include "tests/support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
using quova::registry::Hive;
using quova::registry::Key;

std::string StoreText(int sections) {
    std::string text = "REGEDIT4\n";
    for (int i = 0; i < sections; ++i) {
        text += "\n[HKEY_CLASSES_ROOT\\Other.Program.Class" + std::to_string(i) +
                "\\shell\\open\\command]\n";
        text += "@=\"/usr/bin/other \\\"%1\\\"\"\n\"n\"=\"" + std::to_string(i) + "\"\n";
    }
    text += "\n[HKEY_CURRENT_USER\\SOFTWARE\\Dorvane\\Quova]\n\"volume\"=\"50\"\n\"osd\"=\"1\"\n";
    return text;
}

double ReadsPerSecond(const Key& key, double seconds) {
    long reads = 0;
    const auto start = Clock::now();
    const auto until = start + std::chrono::duration<double>(seconds);
    Clock::time_point now;
    do {
        if (key.Read(reads % 2 ? "volume" : "osd") != (reads % 2 ? "50" : "1")) {
            std::fprintf(stderr, "wrong value read\n");
            std::exit(1);
        }
        ++reads;
        now = Clock::now();
    } while (now < until);
    return reads / std::chrono::duration<double>(now - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
    quova::testing::TempDir dir;
    for (const int sections : {2000, 20000}) {
        const auto file = dir / ("registry" + std::to_string(sections) + ".reg");
        quova::testing::WriteFile(file, StoreText(sections));
        quova::registry::SetStorePath(file);
        const Key key(Hive::CurrentUser, "SOFTWARE\\Dorvane\\Quova", false);
        const double fresh = ReadsPerSecond(key, seconds);
        // A file changed within the last second or so is checked byte by byte.
        std::this_thread::sleep_for(std::chrono::milliseconds(2100));
        const double settled = ReadsPerSecond(key, seconds);
        std::printf("%6d sections: %12.0f reads/s just written, %12.0f reads/s settled\n", sections,
                    fresh, settled);
    }
    quova::registry::SetStorePath({});
    return 0;
}
