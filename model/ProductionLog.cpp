#include "ProductionLog.h"

#include "XdgDirectories.h"

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
    intptr_t handle = -1;
    if (!OpenFile(path, handle, failure))
        return nullptr;
    return std::unique_ptr<TProductionLog>(new TProductionLog(path, handle));
}

std::string OperationsLogPath()
{
    return XdgDirectory("XDG_STATE_HOME", ".local/state") + "/morlith/operations.jsonl";
}

} // namespace morlith
