// SPDX-License-Identifier: MIT
// The cost of the log's chain per record: the hash of the last line that each record names as
// "prev", read from the end of a log of 10,000 records, for a typical record (about 600 bytes)
// and a long one (9,000 bytes); and a whole Append (lock, write, fsync) beside it. Medians over
// the runs are printed; nothing is asserted.
// Usage: bench_log_chain [runs] [folder]   (folder: where the log lives; default the system's
// temporary folder)

#include "BenchClock.h"
#include "FileHandle.h"
#include "LogChain.h"
#include "PathText.h"
#include "ProductionLog.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace morlith;
namespace fs = std::filesystem;

namespace {

constexpr int kRecords = 10000;
constexpr int kRounds = 2000;

// A log of kRecords lines of `lineBytes`; the µs per hash of its last line.
double HashMicroseconds(const std::string &path, size_t lineBytes)
{
    {
        std::ofstream out(PathFromUtf8(path), std::ios::binary | std::ios::trunc);
        const std::string line = "{\"pad\":\"" + std::string(lineBytes - 10, 'x') + "\"}\n";
        for (int i = 0; i < kRecords; ++i)
            out << line;
    }
    TFileHandle file;
    uint64_t size = 0;
    if (!file.OpenForReading(path) || !file.IsRegularFile(size))
        return -1;
    std::string hash;
    const double start = NowMs();
    for (int i = 0; i < kRounds; ++i)
        if (!LastLineHash(file, size, hash))
            return -1;
    return (NowMs() - start) * 1000.0 / kRounds;
}

// The µs per Append of a 600-byte record, lock, write and fsync included.
double AppendMicroseconds(const std::string &path)
{
    fs::remove(PathFromUtf8(path));
    TFailure failure;
    const auto log = TProductionLog::Open(path, failure);
    if (!log)
        return -1;
    const std::string line = "{\"pad\":\"" + std::string(590, 'x') + "\"}";
    constexpr int kAppends = 200;
    const double start = NowMs();
    for (int i = 0; i < kAppends; ++i)
        if (!log->Append(line, failure))
            return -1;
    return (NowMs() - start) * 1000.0 / kAppends;
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const fs::path base = argc > 2 ? PathFromUtf8(argv[2]) : fs::temp_directory_path();
    const std::string path = Utf8OfPath(base / "morlith-log-chain-bench.jsonl");
    std::vector<double> typical, long_, appends;
    for (int run = 0; run < runs; ++run) {
        typical.push_back(HashMicroseconds(path, 600));
        long_.push_back(HashMicroseconds(path, 9000));
        appends.push_back(AppendMicroseconds(path));
    }
    fs::remove(PathFromUtf8(path));
    std::printf("prev of a 600-byte line:   %.2f us per record (median of %d runs)\n", Median(typical), runs);
    std::printf("prev of a 9,000-byte line: %.2f us per record\n", Median(long_));
    std::printf("whole Append with fsync:   %.1f us per record\n", Median(appends));
    return 0;
}
