// SPDX-License-Identifier: MIT
// Serial counter benchmark: 8 processes reserve 200 numbers each from one counter file, against
// one process reserving all 1,600; wall time per run and per reservation, and whether every
// number came out once. Medians over the runs are printed; nothing is asserted.
// Usage: bench_serial_counter [runs] [folder]   (folder: where the counter lives; default the
// system's temporary folder, which should be on the disk the stations would use)

#include "BenchClock.h"
#include "SerialCounter.h"
#include "PathText.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace morlith;
namespace fs = std::filesystem;

namespace {

constexpr int kReservations = 1600;

// `processes` processes reserve kReservations / processes numbers each into files of their own;
// the wall time in ms, and in `distinct` how many different numbers came out.
double Run(const fs::path &folder, int processes, size_t &distinct)
{
    const std::string counter = Utf8OfPath(folder / "serials.counter");
    std::ofstream(counter) << 1000 << "\n";
    const double start = NowMs();
    std::vector<pid_t> children;
    for (int p = 0; p < processes; ++p) {
        const pid_t child = fork();
        if (child == 0) {
            std::ofstream out(folder / ("given-" + std::to_string(p)));
            TSerialCounter serials(counter);
            for (int i = 0; i < kReservations / processes; ++i) {
                uint64_t serial = 0;
                TFailure failure;
                if (!serials.Reserve(serial, failure)) {
                    std::fprintf(stderr, "%s\n", failure.Message().c_str());
                    _exit(1);
                }
                out << serial << "\n";
            }
            out.close();
            _exit(out ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children)
        waitpid(child, nullptr, 0);
    const double wall = NowMs() - start;
    std::set<uint64_t> numbers;
    for (int p = 0; p < processes; ++p) {
        std::ifstream in(folder / ("given-" + std::to_string(p)));
        for (uint64_t n; in >> n;)
            numbers.insert(n);
    }
    distinct = numbers.size();
    return wall;
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const fs::path base = argc > 2 ? PathFromUtf8(argv[2]) : fs::temp_directory_path();
    const fs::path folder = base / ("morlith-counter-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    for (const int processes : {8, 1}) {
        std::vector<double> walls;
        size_t distinct = 0;
        for (int run = 0; run < runs; ++run)
            walls.push_back(Run(folder, processes, distinct));
        const double wall = Median(walls);
        std::printf("%d process%s x %d reservations: %.0f ms (runs %.0f to %.0f), %.2f ms per number, "
                    "%zu distinct of %d\n",
                    processes, processes == 1 ? "" : "es", kReservations / processes, wall,
                    *std::min_element(walls.begin(), walls.end()), *std::max_element(walls.begin(), walls.end()),
                    wall / kReservations, distinct, kReservations);
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
