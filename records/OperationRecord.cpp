// SPDX-License-Identifier: MIT
#include "OperationRecord.h"

#include "HostName.h"

#include "AdapterIdentity.h"
#include "FailureJson.h"
#include "JsonLines.h"
#include "NumberText.h"
#include "OperationKind.h"
#include "Sha256.h"
#include "PathText.h"


namespace morlith {
namespace {

#ifndef MORLITH_VERSION
#define MORLITH_VERSION "unknown"
#endif

TJson FileObject(const TFileFingerprint &file)
{
    TJson object = TJson::object();
    SetPathField(object, "path", file.Path);
    if (!file.Sha256.empty())
        object["sha256"] = file.Sha256;
    if (!file.SignerKeyId.empty())
        object["signature"] = SignatureObject(file.SignerKeyId, file.TrustedComment);
    return object;
}

} // namespace

TJson SignatureObject(const std::string &keyId, const std::string &trustedComment)
{
    return {{"key_id", keyId}, {"trusted_comment", trustedComment}};
}

void AddOriginFields(TJson &line, std::chrono::system_clock::time_point time, const std::string &tool)
{
    line["time"] = IsoUtcTime(time);
    line["tool"] = tool;
    line["version"] = MORLITH_VERSION;
    line["host"] = HostName();
}

void AddStationFields(TJson &line, const std::string &station, const std::string &person, const std::string &lot)
{
    if (!station.empty())
        line["station"] = station;
    if (!person.empty())
        line["operator"] = person;
    if (!lot.empty())
        line["lot"] = lot;
}

std::string OperationRecordLine(const TOperationRecord &record)
{
    TJson line = {{"schema", kOperationRecordSchema}};
    AddOriginFields(line, record.Time, record.Tool);
    line["command"] = record.Command;
    line["port"] = record.Port;
    line["device"] = record.Device;
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
    if (record.AlreadyCurrent)
        line["skipped"] = "already current";
    if (record.Command == OperationCommand(TOperationKind::okStatus)) {
        TJson &controllers = line["controllers"] = TJson::array();
        for (const TControllerHolding &holding : record.Controllers)
            controllers.push_back(HoldingObject(holding));
    }
    line["result"] = record.Failure.Failed() ? "failed" : "ok";
    if (record.Failure.Failed())
        line["error"] = FailureObject(record.Failure);
    line["duration_ms"] = int64_t(record.DurationMs);
    if (!record.ModuleState.empty())
        line["module_state"] = record.ModuleState;
    AddStationFields(line, record.Station, record.Operator, record.Lot);
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
