// Loads a generated 10,000-cue SubRip file for a three-hour medium and reports
// the load time and the memory it takes. Goal: under 20 ms.
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "playback/player_session.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_dir.h"
#include "text/subtitle_loading.h"

namespace {

constexpr int kCues = 10000;
constexpr double kDuration = 3 * 3600.0;
constexpr int kRuns = 25;

std::string Clock(int ms) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d,%03d", ms / 3600000, ms / 60000 % 60,
                  ms / 1000 % 60, ms % 1000);
    return buf;
}

std::string MakeSubRip() {
    std::string out;
    const int step = static_cast<int>(kDuration * 1000 / kCues);
    for (int i = 0; i < kCues; ++i) {
        const int start = i * step + 120;
        out += std::to_string(i + 1) + "\r\n" + Clock(start) + " --> " +
               Clock(start + step * 9 / 10) + "\r\n";
        out += "<i>Line " + std::to_string(i) + " of the dialogue, said rather quickly</i>\r\n";
        out += "and a second line with {\\an8}a style code.\r\n\r\n";
    }
    return out;
}

long PeakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main() {
    quova::testing::TempDir dir;
    const auto file = dir / "film.srt";
    {
        const std::string bytes = MakeSubRip();
        quova::testing::WriteFile(file, bytes);
        std::printf("file: %d cues, %zu bytes, medium %.0f s\n", kCues, bytes.size(), kDuration);
    }
    malloc_trim(0);
    const long rssBefore = PeakRssKiB();
    const size_t heapBefore = mallinfo2().uordblks;

    quova::PlayerSession session;
    quova::testing::FakeUi ui{session};
    std::vector<double> times;
    size_t tableHeap = 0;
    int count = 0;
    for (int run = 0; run < kRuns; ++run) {
        quova::SubtitleTimetable table;
        const auto t0 = std::chrono::steady_clock::now();
        quova::ResetSubtitles(table, kDuration);
        table.SubtitleFileName = file;
        count = quova::LoadSubtitleFile(session, table, 25.0);
        const auto t1 = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        tableHeap = mallinfo2().uordblks - heapBefore;
    }
    std::sort(times.begin(), times.end());
    std::printf("entries: %d\n", count);
    std::printf("load time (reset + load), %d runs: min %.2f ms, median %.2f ms, max %.2f ms\n",
                kRuns, times.front(), times[times.size() / 2], times.back());
    std::printf("timetable heap after load: %.2f MiB\n", tableHeap / 1048576.0);
    std::printf("peak RSS: %.2f MiB (%.2f MiB above the state before loading)\n",
                PeakRssKiB() / 1024.0, (PeakRssKiB() - rssBefore) / 1024.0);
    return times[times.size() / 2] < 20.0 ? 0 : 1;
}
