#include "ModuleWriteLog.h"

#include "NumberText.h"

namespace morlith::cli {
namespace {
constexpr uint8_t kWriteStartCommand = 'F';
constexpr uint8_t kWriteCommand = 'W';
// An application write starts twice: the parameter block, then the image.
constexpr unsigned kApplicationImageStart = 2;
} // namespace

void TModuleWriteLog::Record(const TFrameTraceEvent &event)
{
    if (event.Outgoing) {
        FPendingWriteBytes = event.Command == kWriteCommand ? event.Length : 0;
        return;
    }
    if (!event.CrcOk)
        return;
    if (event.Command == kWriteStartCommand) {
        ++FAcceptedStarts;
        FAcknowledgedBytes = 0;
    } else if (event.Command == kWriteCommand) {
        FAcknowledgedBytes += FPendingWriteBytes;
    }
}

std::string TModuleWriteLog::Describe(TWriteKind kind, uint64_t total) const
{
    const std::string nothing = "nothing was written to the module";
    const std::string part = GroupThousands(FAcknowledgedBytes) + " of " + GroupThousands(total) + " bytes";
    switch (kind) {
    case TWriteKind::wkNone:
        return nothing;
    case TWriteKind::wkDataSegment:
        if (FAcceptedStarts == 0 || (FAcknowledgedBytes == 0 && total > 0))
            return nothing;
        return FAcknowledgedBytes == total ? "data segment written" : "data segment partly written: " + part;
    case TWriteKind::wkApplication:
        if (FAcceptedStarts == 0 || (FAcceptedStarts == 1 && FAcknowledgedBytes == 0))
            return nothing;
        if (FAcceptedStarts < kApplicationImageStart)
            return "parameter block written, application not started: the module holds no valid "
                   "application until the package is written again";
        return FAcknowledgedBytes == total ? "application written" : "application partly written: " + part;
    }
    return nothing;
}

} // namespace morlith::cli
