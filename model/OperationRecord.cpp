// SPDX-License-Identifier: MIT
#include "OperationRecord.h"

#include "HostName.h"

#include "AdapterIdentity.h"
#include "FailureJson.h"
#include "JsonLines.h"
#include "NumberText.h"
#include "Sha256.h"
#include "PathText.h"


namespace morlith {
namespace {

#ifndef MORLITH_VERSION
#define MORLITH_VERSION "unknown"
#endif

TJson FileObject(const TFileFingerprint &file)
{
    TJson object = {{"path", file.Path}};
    if (!file.Sha256.empty())
        object["sha256"] = file.Sha256;
    return object;
}

} // namespace

std::string OperationRecordLine(const TOperationRecord &record)
{
    TJson line = {{"schema", kOperationRecordSchema},
                  {"time", IsoUtcTime(record.Time)},
                  {"tool", record.Tool},
                  {"version", MORLITH_VERSION},
                  {"host", HostName()},
                  {"command", record.Command},
                  {"port", record.Port},
                  {"device", record.Device}};
    if (!record.ById.empty())
        line["by_id"] = record.ById;
    if (!record.SerialNumber.empty())
        line["serial_number"] = record.SerialNumber;
    line["controller"] = record.Controller;
    if (record.Package) {
        TJson package = FileObject(*record.Package);
        if (record.Package->HasHeader) {
            package["image_length"] = record.Package->ImageLength;
            package["image_crc"] = Hex16(record.Package->ImageCrc);
        }
        line["package"] = package;
    }
    if (record.DataFile)
        line["data_file"] = FileObject(*record.DataFile);
    line["result"] = record.Failure.Failed() ? "failed" : "ok";
    if (record.Failure.Failed())
        line["error"] = FailureObject(record.Failure);
    line["duration_ms"] = int64_t(record.DurationMs);
    if (!record.ModuleState.empty())
        line["module_state"] = record.ModuleState;
    return JsonLine(line);
}

void DescribePortDevice(TOperationRecord &record, const std::string &devicePath)
{
    const TAdapterIdentity identity = IdentifyAdapter(devicePath);
    record.Device = identity.Device;
    record.ById = identity.ById;
    record.SerialNumber = identity.SerialNumber;
}

} // namespace morlith
