// SPDX-License-Identifier: MIT
#include "Failure.h"

#include <cerrno>
#include <cstring>
#include <ostream>

namespace morlith {

const char *FailureKindName(TFailureKind Kind)
{
    switch (Kind) {
    case TFailureKind::fkNone: return "";
    case TFailureKind::fkNotFound: return "not_found";
    case TFailureKind::fkPermission: return "permission";
    case TFailureKind::fkBusy: return "busy";
    case TFailureKind::fkHangUp: return "hangup";
    case TFailureKind::fkNoReply: return "no_reply";
    case TFailureKind::fkBadReply: return "bad_reply";
    case TFailureKind::fkRefusedInput: return "refused_input";
    case TFailureKind::fkFile: return "file";
    case TFailureKind::fkStopped: return "stopped";
    case TFailureKind::fkOs: return "os";
    case TFailureKind::fkStore: return "store";
    }
    return "os";
}

std::string TFailure::Message() const
{
    if (Step.empty())
        return Detail;
    if (Detail.empty())
        return Step + " failed";
    // A hang-up or a stop happens to a step; other faults are the step's own result.
    if (Kind == TFailureKind::fkHangUp || Kind == TFailureKind::fkStopped)
        return Detail + " during " + Step;
    return Step + ": " + Detail;
}

TFailure &TFailure::During(const std::string &StepText)
{
    if (Step.empty())
        Step = StepText;
    return *this;
}

std::ostream &operator<<(std::ostream &Stream, const TFailure &Failure)
{
    if (!Failure.Failed())
        return Stream << "no failure";
    return Stream << Failure.KindName() << ": " << Failure.Message();
}

TFailure MakeFailure(TFailureKind Kind, std::string Detail)
{
    TFailure failure;
    failure.Kind = Kind;
    failure.Detail = std::move(Detail);
    return failure;
}

TFailureKind KindOfErrno(int Errno)
{
    switch (Errno) {
    case ENOENT:
    case ENODEV:
    case ENOTDIR:
        return TFailureKind::fkNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return TFailureKind::fkPermission;
    case EBUSY:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EAGAIN:
        return TFailureKind::fkBusy;
    case EIO:
    case ENXIO:
    case EPIPE:
        return TFailureKind::fkHangUp;
    default:
        return TFailureKind::fkOs;
    }
}

TFailure OsFailure(int Errno, const std::string &Operation, const std::string &Subject)
{
    TFailure failure;
    failure.Kind = KindOfErrno(Errno);
    failure.OsError = Errno;
    failure.OsText = Errno != 0 ? std::strerror(Errno) : "";
    failure.Detail = Operation + (Subject.empty() ? "" : " " + Subject) +
                     (failure.OsText.empty() ? "" : ": " + failure.OsText);
    return failure;
}

TFailure FileFailure(int Errno, const std::string &Operation, const std::string &Path, const std::string &Step)
{
    TFailure failure = OsFailure(Errno, Operation, Path);
    // Whatever the cause, it is the file that failed.
    if (failure.Kind != TFailureKind::fkPermission && failure.Kind != TFailureKind::fkNotFound)
        failure.Kind = TFailureKind::fkFile;
    failure.Path = Path;
    return failure.During(Step);
}

} // namespace morlith
