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

TJsonObject FileObject(const TFileFingerprint &file)
{
    TJsonObject object;
    object.Text("path", file.Path);
    if (!file.Sha256.empty())
        object.Text("sha256", file.Sha256);
    return object;
}

} // namespace

void AddOriginFields(TJsonObject &line, std::chrono::system_clock::time_point time, const std::string &tool)
{
    line.Text("time", IsoUtcTime(time)).Text("tool", tool).Text("version", MORLITH_VERSION).Text("host", HostName());
}

void AddStationFields(TJsonObject &line, const std::string &station, const std::string &person, const std::string &lot)
{
    if (!station.empty())
        line.Text("station", station);
    if (!person.empty())
        line.Text("operator", person);
    if (!lot.empty())
        line.Text("lot", lot);
}

std::string OperationRecordLine(const TOperationRecord &record)
{
    TJsonObject line;
    line.Number("schema", kOperationRecordSchema);
    AddOriginFields(line, record.Time, record.Tool);
    line.Text("command", record.Command)
        .Text("port", record.Port)
        .Text("device", record.Device);
    if (!record.ById.empty())
        line.Text("by_id", record.ById);
    if (!record.SerialNumber.empty())
        line.Text("serial_number", record.SerialNumber);
    line.Number("controller", record.Controller);
    if (record.Package) {
        TJsonObject package = FileObject(*record.Package);
        if (record.Package->HasHeader)
            package.Number("image_length", record.Package->ImageLength)
                .Text("image_crc", Hex16(record.Package->ImageCrc));
        line.Object("package", package);
    }
    if (record.DataFile)
        line.Object("data_file", FileObject(*record.DataFile));
    line.Text("result", record.Failure.Failed() ? "failed" : "ok");
    if (record.Failure.Failed())
        line.Object("error", FailureObject(record.Failure));
    line.Number("duration_ms", int64_t(record.DurationMs));
    if (!record.ModuleState.empty())
        line.Text("module_state", record.ModuleState);
    AddStationFields(line, record.Station, record.Operator, record.Lot);
    return line.Line();
}

void DescribePortDevice(TOperationRecord &record, const std::string &devicePath)
{
    const TAdapterIdentity identity = IdentifyAdapter(devicePath);
    record.Device = identity.Device;
    record.ById = identity.ById;
    record.SerialNumber = identity.SerialNumber;
}

} // namespace morlith
