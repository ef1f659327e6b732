// SPDX-License-Identifier: MIT
#include "DocumentFile.h"

#include "FileHandle.h"
#include "PathText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace morlith {

namespace {

std::string Describe(const char *What, const std::string &Path, int Errno)
{
    return std::string(What) + " " + Path + ": " + std::strerror(Errno);
}

} // namespace

TPathState PathState(const std::string &Path)
{
    std::error_code error;
    const auto status = std::filesystem::status(PathFromUtf8(Path), error);
    if (error || !std::filesystem::exists(status))
        return TPathState::psMissing;
    return std::filesystem::is_regular_file(status) ? TPathState::psRegularFile : TPathState::psOther;
}

std::string BackupNameFor(const std::string &Path)
{
    const std::size_t slash = Path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = Path.find_last_of('.');
    // A leading dot (".config") starts a hidden name, not an extension.
    const bool hasExtension = dot != std::string::npos && dot > nameStart;
    const std::string stem = hasExtension ? Path.substr(0, dot) : Path;
    const std::string backup = stem + ".bak";
    return backup == Path ? Path + ".bak" : backup;
}

bool ReadWholeFile(const std::string &Path, std::size_t MaxBytes, std::string &Content, std::string &Error)
{
    TFileHandle file;
    if (!file.OpenForReading(Path)) {
        Error = Describe("cannot open", Path, file.LastError());
        return false;
    }
    std::uint64_t size = 0;
    if (!file.IsRegularFile(size)) {
        Error = "not a regular file: " + Path;
        return false;
    }
    if (size > MaxBytes) {
        Error = "file too large: " + Path + " holds " + std::to_string(size) + " bytes, at most " +
                std::to_string(MaxBytes) + " are read";
        return false;
    }
    Content.clear();
    char buffer[65536];
    for (;;) {
        const long got = file.Read(buffer, sizeof buffer);
        if (got < 0) {
            Error = Describe("cannot read", Path, file.LastError());
            return false;
        }
        if (got == 0)
            return true;
        // The file may grow while it is read; the limit holds all the same.
        if (Content.size() + static_cast<std::size_t>(got) > MaxBytes) {
            Error = "file too large: " + Path;
            return false;
        }
        Content.append(buffer, static_cast<std::size_t>(got));
    }
}

bool WriteWholeFile(const std::string &Path, const std::string &Content, std::string &Error,
                    const std::string &ShownName)
{
    const std::string &shown = ShownName.empty() ? Path : ShownName;
    TFileHandle file;
    if (!file.CreateNew(Path)) {
        Error = Describe("cannot create", shown, file.LastError());
        return false;
    }
    bool ok = file.WriteAll(Content.data(), Content.size());
    if (ok)
        ok = file.Sync() || file.LastError() == EINVAL;   // EINVAL: a file that cannot be synced
    if (!ok)
        Error = Describe("cannot write", shown, file.LastError());
    if (!file.Close() && ok) {
        Error = Describe("cannot close", shown, file.LastError());
        ok = false;
    }
    if (!ok)
        RemoveFile(Path);
    return ok;
}

} // namespace morlith
