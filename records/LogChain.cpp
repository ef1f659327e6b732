// SPDX-License-Identifier: MIT
#include "LogChain.h"

#include "PathText.h"
#include "Sha256.h"

#include <cerrno>
#include <fstream>
#include <vector>

namespace morlith {
namespace {

constexpr const char *kPrevField = ",\"prev\":\"";
constexpr size_t kHashDigits = 64;
// How much of a file is read at once when looking for the start of its last line.
constexpr size_t kChunkBytes = 4096;

// The "prev" a line ends with, or empty when it carries none.
std::string PrevOf(const std::string &line)
{
    const std::string field = kPrevField;
    const size_t tail = field.size() + kHashDigits + 2; // the closing quote and brace
    if (line.size() < tail + 1 || line.compare(line.size() - 2, 2, "\"}") != 0 ||
        line.compare(line.size() - tail, field.size(), field) != 0)
        return "";
    const std::string hash = line.substr(line.size() - kHashDigits - 2, kHashDigits);
    return hash.find_first_not_of("0123456789abcdef") == std::string::npos ? hash : "";
}

} // namespace

std::string ChainedLine(const std::string &line, const std::string &previousHash)
{
    if (previousHash.empty() || line.empty() || line.back() != '}')
        return line;
    const bool empty = line.size() >= 2 && line[line.size() - 2] == '{';
    return line.substr(0, line.size() - 1) + (empty ? "\"prev\":\"" : kPrevField) + previousHash + "\"}";
}

bool LastLineHash(TFileHandle &file, uint64_t size, std::string &hash)
{
    hash.clear();
    if (size == 0)
        return true;
    unsigned char last = 0;
    if (file.ReadAt(size - 1, &last, 1) != 1)
        return false;
    // A closed line ends before its line end; an unfinished one runs to the end of the file.
    const uint64_t end = last == '\n' ? size - 1 : size;
    uint64_t start = end;
    std::vector<char> chunk(kChunkBytes);
    bool found = false;
    while (start > 0 && !found) {
        const uint64_t from = start > kChunkBytes ? start - kChunkBytes : 0;
        const long got = file.ReadAt(from, chunk.data(), size_t(start - from));
        if (got != long(start - from))
            return false;
        for (uint64_t i = start; i > from; --i)
            if (chunk[size_t(i - 1 - from)] == '\n') {
                start = i;
                found = true;
                break;
            }
        if (!found)
            start = from;
    }
    TSha256 sha;
    for (uint64_t at = start; at < end;) {
        const size_t want = size_t(std::min<uint64_t>(kChunkBytes, end - at));
        const long got = file.ReadAt(at, chunk.data(), want);
        if (got <= 0)
            return false;
        sha.Update(chunk.data(), size_t(got));
        at += uint64_t(got);
    }
    hash = sha.FinishHex();
    return true;
}

TFailure VerifyLogChain(const std::string &path, TChainCheck &check)
{
    check = TChainCheck{};
    std::ifstream file(PathFromUtf8(path), std::ios::binary);
    if (!file)
        return FileFailure(errno != 0 ? errno : ENOENT, "read", path, "verifying the production log");
    std::string line;
    std::string previousHash;
    while (std::getline(file, line)) {
        ++check.Lines;
        const std::string prev = PrevOf(line);
        if (!prev.empty())
            ++check.Chained;
        if (check.BrokenLine == 0) {
            if (!prev.empty() && check.Lines == 1)
                check.Problem = "the first line follows a line that is not there: lines were taken from the start";
            else if (!prev.empty() && prev != previousHash)
                check.Problem = "it does not follow line " + std::to_string(check.Lines - 1) +
                                ": a line was changed, taken out or put in between";
            else if (prev.empty() && check.Chained > 0)
                check.Problem = "it carries no \"prev\" though the lines before it are chained";
            if (!check.Problem.empty())
                check.BrokenLine = check.Lines;
        }
        previousHash = Sha256Hex(line.data(), line.size());
    }
    if (file.bad())
        return FileFailure(EIO, "read", path, "verifying the production log");
    return TFailure{};
}

} // namespace morlith
