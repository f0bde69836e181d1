// Reads of the settings store against its size: a store of 2,000 and one of
// 20,000 keys (each with a few values, the program's own key among them),
// read the way start-up reads it: Key::Read of a value of the main key, over
// and over. Prints reads per second for each size, once on a file that has
// just been written and once on one left alone for a while.
//
// Then the first start's writes: in a fresh home, the settings load (which
// creates every missing value with its start value) and the registration
// with the desktop (the class store's keys of ten extensions, the desktop
// entry and the default handlers), each timed apart (medians of five fresh
// homes), with the store's writes counted.
//
//   bench_registry [seconds per case]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/settings.h"
#include "app/shell_registration.h"
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

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A window that is not there: the load's arithmetic runs on these figures.
class NoWindow : public quova::SettingsHost {
  public:
    quova::ScreenSize Screen() const override { return {1920, 1080}; }
    quova::WindowBounds Bounds() const override { return bounds_; }
    void ApplyBounds(const quova::WindowBounds& bounds) override { bounds_ = bounds; }
    std::pair<int, int> ApplyFont(const quova::OsdFont&) override { return {8, 16}; }
    void ApplyShowHints(bool) override {}
    void RebuildRecentMenu() override {}

  private:
    quova::WindowBounds bounds_{100, 100, 478, 340};
};

struct FirstStart {
    double load = 0, registration = 0;
    int loadWrites = 0, registrationWrites = 0;
};

// The settings load and the registration of a first start in a new home.
FirstStart OneFirstStart() {
    quova::testing::TempDir home;
    setenv("HOME", home.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
    setenv("XDG_DATA_DIRS", (home / "system").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (home / "system-config").c_str(), 1);
    quova::registry::SetStorePath({});
    const std::filesystem::path program = home / "opt/quova/quova";
    std::filesystem::create_directories(program.parent_path());
    FirstStart f;
    quova::Settings settings;
    NoWindow window;
    const long writesBefore = quova::registry::StoreWrites();
    auto start = Clock::now();
    quova::LoadSettings(settings, window);
    f.load = Seconds(Clock::now() - start);
    const long writesLoaded = quova::registry::StoreWrites();
    start = Clock::now();
    quova::RegisterWithShell(program.string());
    f.registration = Seconds(Clock::now() - start);
    f.loadWrites = static_cast<int>(writesLoaded - writesBefore);
    f.registrationWrites = static_cast<int>(quova::registry::StoreWrites() - writesLoaded);
    return f;
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

    std::vector<double> load, registration;
    FirstStart last;
    for (int i = 0; i < 5; ++i) {
        last = OneFirstStart();
        load.push_back(last.load);
        registration.push_back(last.registration);
    }
    std::printf(
        "first start: settings load %.3f s (%d store writes), registration %.3f s (%d "
        "store writes)\n",
        Median(load), last.loadWrites, Median(registration), last.registrationWrites);
    return 0;
}
