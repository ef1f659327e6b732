// SPDX-License-Identifier: MIT
#include "LotTally.h"

#include "DurableText.h"
#include "PathText.h"
#include "UserPlaces.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace morlith {
namespace {

constexpr const char *kStep = "keeping the lot's counts";
constexpr int kLockPollMs = 20;

// One line of the file: a lot's counts, or a line that is not one, kept as it stands.
struct TLotLine {
    TLotCounts Counts;
    std::string Lot;
    std::string Other;
};

// The lines of the tally file; none when it is missing.
std::vector<TLotLine> ReadLines(const std::string &path)
{
    std::vector<TLotLine> lines;
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    for (std::string text; std::getline(in, text);) {
        std::istringstream fields(text);
        TLotLine line;
        fields >> line.Counts.Ok >> line.Counts.Failed >> line.Counts.Stopped;
        if (!fields || fields.get() != ' ' || !std::getline(fields, line.Lot) || line.Lot.empty())
            line = TLotLine{{}, "", text};
        lines.push_back(line);
    }
    return lines;
}

std::string LineText(const TLotLine &line)
{
    if (line.Lot.empty())
        return line.Other + "\n";
    return std::to_string(line.Counts.Ok) + " " + std::to_string(line.Counts.Failed) + " " +
           std::to_string(line.Counts.Stopped) + " " + line.Lot + "\n";
}

// A lot name as one line of the file can hold it: line ends and other controls as "?".
std::string StorableLot(std::string lot)
{
    for (char &c : lot)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return lot;
}

} // namespace

TLotTally::TLotTally(std::string lot, std::string path) : FLot(std::move(lot)), FPath(std::move(path)) {}

void TLotTally::Load()
{
    if (FLot.empty() || FPath.empty())
        return;
    const std::string key = StorableLot(FLot);
    for (const TLotLine &line : ReadLines(FPath))
        if (line.Lot == key)
            FCounts = line.Counts;
}

bool TLotTally::Add(TSocketState result, TFailure &failure)
{
    const auto count = [result](TLotCounts &counts) {
        (result == TSocketState::ssOk ? counts.Ok : result == TSocketState::ssFailed ? counts.Failed : counts.Stopped)++;
    };
    count(FCounts);
    if (FLot.empty() || FPath.empty())
        return true;
    std::error_code error;
    std::filesystem::create_directories(PathFromUtf8(FPath).parent_path(), error);
    TFileLock lock;
    if (!lock.Take(LockFileOf(FPath), FStopRequested, kLockPollMs, "the lot counts " + FPath, kStep, failure))
        return false;
    // Another station may have counted meanwhile: the file's counts are the lot's.
    std::vector<TLotLine> lines = ReadLines(FPath);
    const std::string key = StorableLot(FLot);
    TLotLine *mine = nullptr;
    for (TLotLine &line : lines)
        if (line.Lot == key)
            mine = &line;
    if (!mine) {
        lines.push_back(TLotLine{{}, key, ""});
        mine = &lines.back();
    }
    count(mine->Counts);
    std::string text;
    for (const TLotLine &line : lines)
        text += LineText(line);
    if (!ReplaceTextDurably(FPath, text, kStep, failure))
        return false;
    FCounts = mine->Counts;
    return true;
}

std::string LotTallyPath() { return UserStateFile("station-lots.txt"); }

} // namespace morlith
