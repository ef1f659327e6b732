#include "ProductionLog.h"

#include "UserPlaces.h"

#include <cerrno>
#include <filesystem>

namespace morlith {

TFailure ProductionLogFailure(int error, const std::string &operation, const std::string &path,
                              const std::string &step)
{
    TFailure failure = OsFailure(error, operation, path);
    // Whatever the cause, it is the log file that failed.
    if (failure.Kind != TFailureKind::fkPermission && failure.Kind != TFailureKind::fkNotFound)
        failure.Kind = TFailureKind::fkFile;
    failure.Path = path;
    return failure.During(step);
}

std::unique_ptr<TProductionLog> TProductionLog::Open(const std::string &path, TFailure &failure, bool makeFolder)
{
    if (makeFolder) {
        std::error_code error;
        const auto folder = std::filesystem::path(path).parent_path();
        if (!folder.empty())
            std::filesystem::create_directories(folder, error);
        if (error) {
            failure = ProductionLogFailure(error.value(), "create the folder of", path, "opening the production log");
            return nullptr;
        }
    }
    std::unique_ptr<TProductionLog> log(new TProductionLog(path));
    if (!log->OpenFile(failure))
        return nullptr;
    return log;
}

bool TProductionLog::OpenFile(TFailure &failure)
{
    const std::string step = "opening the production log";
    std::error_code error;
    const bool existed = std::filesystem::exists(std::filesystem::symlink_status(FPath, error));
    if (!FFile.OpenForAppending(FPath)) {
        failure = ProductionLogFailure(FFile.LastError(), "open", FPath, step);
        return false;
    }
    uint64_t size = 0;
    if (!FFile.IsRegularFile(size)) {
        failure = ProductionLogFailure(EINVAL, "use", FPath, step);
        failure.Detail = FPath + ": not a regular file";
        return false;
    }
    // The name of a file just made must survive a crash too.
    if (!existed) {
        const std::string folder = std::filesystem::path(FPath).parent_path().string();
        (void)FlushFolder(folder.empty() ? "." : folder);
    }
    return true;
}

bool TProductionLog::Append(const std::string &line, TFailure &failure)
{
    const std::string step = "writing the production log";
    std::lock_guard<std::mutex> threads(FLock);
    if (!FFile.LockExclusive()) {
        failure = ProductionLogFailure(FFile.LastError(), "lock", FPath, step);
        return false;
    }
    // A line left unfinished by an earlier writer (a crash, a full disk) is closed first, so that
    // this one stands alone.
    const int last = FFile.LastByte();
    const std::string text = (last >= 0 && last != '\n' ? "\n" : "") + line + "\n";
    const bool written = FFile.WriteAll(text.data(), text.size());
    const bool synced = written && FFile.Sync();
    const int error = FFile.LastError();
    FFile.Unlock();
    if (!synced) {
        failure = ProductionLogFailure(error, written ? "flush" : "write to", FPath, step);
        return false;
    }
    return true;
}

std::string OperationsLogPath()
{
    return UserStateFile("operations.jsonl");
}

} // namespace morlith
