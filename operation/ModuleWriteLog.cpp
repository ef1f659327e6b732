// SPDX-License-Identifier: MIT
#include "ModuleWriteLog.h"

#include "NumberText.h"

namespace morlith {
namespace {
constexpr uint8_t kWriteStartCommand = 'F';
constexpr uint8_t kWriteCommand = 'W';
// An application write starts twice: the parameter block, then the image.
constexpr unsigned kApplicationImageStart = 2;
} // namespace

void TModuleWriteLog::Record(const TFrameTraceEvent &event)
{
    if (event.Outgoing) {
        FPendingCommand = event.Command;
        FPendingBytes = event.Command == kWriteCommand ? event.Length : 0;
        FSentStarts += event.Command == kWriteStartCommand ? 1 : 0;
        FSentWrites += event.Command == kWriteCommand ? 1 : 0;
        return;
    }
    if (!event.CrcOk)
        return; // the request stays pending: the module may have acted on it
    if (event.Command == kWriteStartCommand) {
        ++FAcceptedStarts;
        FAcknowledgedBytes = 0;
    } else if (event.Command == kWriteCommand) {
        FAcknowledgedBytes += FPendingBytes;
    }
    FPendingCommand = 0;
    FPendingBytes = 0;
}

std::string TModuleWriteLog::Part(uint64_t total) const
{
    const std::string of = " of " + GroupThousands(total) + " bytes";
    if (FPendingCommand == kWriteCommand && FPendingBytes > 0)
        return "between " + GroupThousands(FAcknowledgedBytes) + " and " +
               GroupThousands(FAcknowledgedBytes + FPendingBytes) + of;
    return GroupThousands(FAcknowledgedBytes) + of;
}

std::string TModuleWriteLog::Describe(TWriteKind kind, uint64_t total) const
{
    const std::string nothing = "nothing was written to the module";
    const bool unconfirmedWrite = FPendingCommand == kWriteCommand;
    switch (kind) {
    case TWriteKind::wkNone:
        return nothing;
    case TWriteKind::wkDataSegment:
        if (FSentWrites == 0)
            return nothing;
        if (FAcknowledgedBytes == total && !unconfirmedWrite)
            return "data segment written";
        return "data segment partly written: " + Part(total);
    case TWriteKind::wkApplication:
        if (FSentWrites == 0)
            return nothing;
        if (FAcceptedStarts < kApplicationImageStart) {
            const bool blockConfirmed = FAcceptedStarts == 1 && !unconfirmedWrite;
            const bool imageStarted = FSentStarts >= kApplicationImageStart;
            return std::string(blockConfirmed ? "parameter block written" : "parameter block may have been written") +
                   (imageStarted ? ", application may have been erased" : ", application not started") +
                   ": the module holds no valid application until the package is written again";
        }
        if (FAcknowledgedBytes == total && !unconfirmedWrite)
            return "application written";
        return "application partly written: " + Part(total);
    }
    return nothing;
}

std::string TModuleWriteLog::DescribeUnfinished(TWriteKind kind, uint64_t total, bool stopped) const
{
    return stopped || FSentStarts > 0 ? Describe(kind, total) : "";
}

} // namespace morlith
