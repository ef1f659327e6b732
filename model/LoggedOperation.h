#pragma once
// An operation of the GUI as the production log records it: made before the operation starts
// (it follows the programmator's frames from then on), finished with the operation's failure
// record once it ends.

#include "ModuleWriteLog.h"
#include "OperationRecord.h"

#include <chrono>
#include <string>

namespace morlith {

class TComPortProgrammator;
class TProductionLog;

class TLoggedOperation {
public:
    // Starts following `command` ("connect", "write-app", "read-dseg", "write-dseg") on the
    // programmator; `file` is its package or data file. With no log or no programmator nothing is
    // followed and nothing is logged.
    TLoggedOperation(TProductionLog *log, TComPortProgrammator *programmator, const std::string &command,
                     const std::string &port, int controller, const std::string &file);
    // An operation that cannot be logged: Finish reports `openFailure`.
    explicit TLoggedOperation(const TFailure &openFailure);
    // Stops following the frames.
    ~TLoggedOperation();
    TLoggedOperation(const TLoggedOperation &) = delete;
    TLoggedOperation &operator=(const TLoggedOperation &) = delete;

    // Appends the record of the operation, which ended with `failure` (none on success). False
    // with `logFailure` when the line could not be written.
    bool Finish(const TFailure &failure, TFailure &logFailure);
    // True once Finish was called.
    bool Finished() const { return FFinished; }

private:
    TWriteKind WriteKind() const;

    TProductionLog *FLog = nullptr;
    TComPortProgrammator *FProgrammator = nullptr;
    TFailure FOpenFailure;
    bool FFinished = false;
    TOperationRecord FRecord;
    std::string FFile;
    uint64_t FDataBytes = 0;
    TModuleWriteLog FWriteLog;
    std::chrono::steady_clock::time_point FStart = std::chrono::steady_clock::now();
};

// Starts logging an operation of the GUI on the model's programmator and current port, in the
// model's operations log; nothing is logged without a model.
TLoggedOperation LogModelOperation(const std::string &command, int controller, const std::string &file);

} // namespace morlith
