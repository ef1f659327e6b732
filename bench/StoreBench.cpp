// SPDX-License-Identifier: MIT
// The shared store against the file counter: a serial number from a store sequence with 1, 8 and
// 32 station processes at once on the loopback (each its own connection), beside the same
// processes reserving from one counter file; p50 and p99 of one number's time. Then unit
// records written to the store: one at a time (a station's live path) and from a log (push).
// The store is a PostgreSQL started here in a temporary folder (as the tests start it).
// Figures are printed, never asserted. Usage: bench_store

#include "BenchClock.h"
#include "PostgresServer.h"
#include "SerialCounter.h"
#include "StoreSchema.h"
#include "StoreSequences.h"
#include "StoreUnits.h"
#include "PathText.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace morlith;
namespace fs = std::filesystem;

namespace {

constexpr int kTakesInAll = 960;

double Percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[std::min(values.size() - 1, size_t(share * double(values.size())))];
}

// `processes` processes take kTakesInAll / processes numbers each with `take`; every take's time
// in ms.
template <class TTake>
std::vector<double> TakeInProcesses(int processes, const fs::path &folder, TTake take)
{
    std::vector<pid_t> children;
    for (int p = 0; p < processes; ++p) {
        const pid_t child = fork();
        if (child == 0) {
            std::vector<double> times;
            if (!take(kTakesInAll / processes, times))
                _exit(1);
            std::ofstream out(folder / ("times-" + std::to_string(p)));
            for (double time : times)
                out << time << "\n";
            out.close();
            _exit(out ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            std::fprintf(stderr, "a station process failed\n");
    }
    std::vector<double> times;
    for (int p = 0; p < processes; ++p) {
        std::ifstream in(folder / ("times-" + std::to_string(p)));
        for (double time; in >> time;)
            times.push_back(time);
    }
    return times;
}

std::string UnitLine(int n)
{
    return R"({"schema":"unit/1","time":"2026-12-07T10:00:00.000Z","unit":"bench-)" + std::to_string(n) +
           R"(","serial":)" + std::to_string(100000 + n) +
           R"(,"station":"S1","lot":"L","port":"COM1","recipe":{"path":"r.toml","sha256":"ab"},"result":"ok",)"
           R"("steps":[{"command":"write-app","controller":0,"result":"ok","duration_ms":9000}],"duration_ms":9800})";
}

} // namespace

int main()
{
    test::TPostgresServer server;
    const std::string database = server.NewDatabase();
    TStoreAddress address{server.SocketUri(database), "bench"};
    // The loopback port, as a station on the network reaches the store.
    ::setenv("PGPASSFILE", server.PasswordFile().c_str(), 1);
    TStoreAddress tcp{server.TcpUri(database), "bench"};
    TStore store(address);
    TFailure failure;
    TStoreSchemaChange change;
    TSequenceChange moved;
    uint64_t before = 0;
    if (!InitStore(store, change, failure) || !SetSequence(store, "SN", 1, false, "bench", moved, before, failure)) {
        std::fprintf(stderr, "%s\n", failure.Message().c_str());
        return 1;
    }
    const fs::path folder = fs::temp_directory_path() / ("morlith-bench-store-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::printf("%-34s %10s %10s\n", "one serial number", "p50 ms", "p99 ms");
    for (int processes : {1, 8, 32}) {
        const auto fromStore = TakeInProcesses(processes, folder, [&](int count, std::vector<double> &times) {
            TStore own(tcp);
            TSerialRange range;
            TFailure takeFailure;
            // The connection is made once per station, before the line starts.
            if (!TakeSerials(own, "SN", 1, "bench", range, takeFailure))
                return false;
            for (int i = 0; i < count; ++i) {
                const double start = NowMs();
                if (!TakeSerials(own, "SN", 1, "bench", range, takeFailure))
                    return false;
                times.push_back(NowMs() - start);
            }
            return true;
        });
        const std::string counter = Utf8OfPath(folder / "serials.counter");
        std::ofstream(counter) << 1000 << "\n";
        const auto fromFile = TakeInProcesses(processes, folder, [&](int count, std::vector<double> &times) {
            TSerialCounter serials(counter);
            for (int i = 0; i < count; ++i) {
                uint64_t serial = 0;
                TFailure takeFailure;
                const double start = NowMs();
                if (!serials.Reserve(serial, takeFailure))
                    return false;
                times.push_back(NowMs() - start);
            }
            return true;
        });
        std::printf("store, %2d station processes        %10.2f %10.2f\n", processes, Percentile(fromStore, 0.5),
                    Percentile(fromStore, 0.99));
        std::printf("counter file, %2d processes         %10.2f %10.2f\n", processes, Percentile(fromFile, 0.5),
                    Percentile(fromFile, 0.99));
    }
    // Unit records: one statement each (as a station completes a unit), then one log pushed.
    constexpr int kRecords = 2000;
    double start = NowMs();
    for (int n = 0; n < kRecords; ++n) {
        uint64_t changed = 0;
        if (!WriteUnits(store, {*ParseUnitLine(UnitLine(n))}, changed, failure)) {
            std::fprintf(stderr, "%s\n", failure.Message().c_str());
            return 1;
        }
    }
    std::printf("unit records one at a time          %10.0f per second\n", kRecords / ((NowMs() - start) / 1000));
    const std::string log = Utf8OfPath(folder / "line.jsonl");
    {
        std::ofstream out(log);
        for (int n = kRecords; n < 11 * kRecords; ++n)
            out << UnitLine(n) << "\n";
    }
    TPushCount count;
    start = NowMs();
    if (!PushLog(store, log, count, failure)) {
        std::fprintf(stderr, "%s\n", failure.Message().c_str());
        return 1;
    }
    std::printf("unit records pushed from a log      %10.0f per second (%llu new)\n",
                double(count.New) / ((NowMs() - start) / 1000), static_cast<unsigned long long>(count.New));
    fs::remove_all(folder);
    return 0;
}
