// SPDX-License-Identifier: MIT
#include "LotRecords.h"

#include "JsonLines.h"
#include "PathText.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>

namespace morlith {
namespace {

constexpr const char *kStep = "counting the lot's records";

void CountResult(TLotCounts &counts, TSocketState result)
{
    (result == TSocketState::ssOk ? counts.Ok : result == TSocketState::ssFailed ? counts.Failed : counts.Stopped)++;
}

} // namespace

TSocketState RecordResult(const std::string &result, const std::string &failureKind)
{
    if (result == "ok")
        return TSocketState::ssOk;
    return failureKind == "stopped" ? TSocketState::ssStopped : TSocketState::ssFailed;
}

TLotRecords::TLotRecords(std::string lot, std::string logPath)
    : FLot(std::move(lot)),
      FPath(std::move(logPath)),
      FPlainLot(std::all_of(FLot.begin(), FLot.end(), [](char c) {
          const auto byte = static_cast<unsigned char>(c);
          return byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\';
      }))
{
}

bool TLotRecords::Read(TFailure &failure)
{
    if (!FromRecords())
        return true;
    std::ifstream in(PathFromUtf8(FPath), std::ios::binary);
    if (!in)
        return true; // no log yet: no records
    in.seekg(0, std::ios::end);
    const auto size = uint64_t(std::streamoff(in.tellg()));
    if (size < FRead) {
        // The log was replaced by a shorter one: its records are counted anew.
        FRead = 0;
        FCounts = {};
    }
    in.seekg(std::streamoff(FRead));
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        failure = MakeFailure(TFailureKind::fkFile, "cannot read the production log " + FPath).During(kStep);
        failure.OsError = errno;
        return false;
    }
    // A line still being written is counted once it is whole.
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        Count(text.substr(start, end - start));
        start = end + 1;
    }
    FRead += start;
    return true;
}

void TLotRecords::Count(const std::string &line)
{
    // Most lines are of other lots: a name that JSON writes as it stands must stand in the line
    // before the line is parsed.
    if (FPlainLot && line.find(FLot) == std::string::npos)
        return;
    const std::optional<nlohmann::json> record = ParseJsonLine(line);
    if (!record || !record->is_object() || JsonTextOf(*record, "lot") != FLot)
        return;
    const nlohmann::json *error = JsonField(*record, "error");
    CountResult(FCounts, RecordResult(JsonTextOf(*record, "result"), error ? JsonTextOf(*error, "kind") : ""));
}

bool TLotRecords::Ended(TSocketState result, TFailure &failure)
{
    if (FromRecords())
        return Read(failure);
    CountResult(FCounts, result);
    return true;
}

} // namespace morlith
