// SPDX-License-Identifier: MIT
#pragma once
// One line of the production log: what was done to which module through which port, with which
// file, and how it ended. Both front ends write the same record; `morlith-cli log` reads it.

#include "ControllerHolding.h"
#include "Failure.h"

#include "JsonLines.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morlith {

// The version of the record's fields; it changes only when a field changes meaning or goes away.
constexpr int kOperationRecordSchema = 1;

// A file an operation used, as the log identifies it.
struct TFileFingerprint {
    std::string Path;
    // 64 hexadecimal digits; empty when the file could not be read.
    std::string Sha256;
    // The id of the trusted key whose signature it carried, and that signature's trusted
    // comment; empty when no key was trusted.
    std::string SignerKeyId;
    std::string TrustedComment;
};

// The package of an application write: the file and what its header says of the image.
struct TPackageFingerprint : TFileFingerprint {
    // The header has its 8 bytes, so the two fields below are known.
    bool HasHeader = false;
    uint16_t ImageLength = 0;
    uint16_t ImageCrc = 0;
};

struct TOperationRecord {
    // When it ended.
    std::chrono::system_clock::time_point Time = std::chrono::system_clock::now();
    // "morlith-cli" or "morlith".
    std::string Tool;
    // "connect", "write-app", "read-dseg", "write-dseg", "status".
    std::string Command;
    // The port as the operator named it ("COM3", "/dev/ttyUSB0").
    std::string Port;
    // The device node it reached, and for a USB adapter its by-id name and serial number.
    std::string Device;
    std::string ById;
    std::string SerialNumber;
    // 0 for the main controller, 1..4 for a slave.
    int Controller = 0;
    std::optional<TPackageFingerprint> Package;
    std::optional<TFileFingerprint> DataFile;
    // write-app: the controller already held the package, so nothing was written.
    bool AlreadyCurrent = false;
    // status: every controller read, the main one first.
    std::vector<TControllerHolding> Controllers;
    // Why it failed; no failure on success.
    TFailure Failure;
    uint64_t DurationMs = 0;
    // What the module holds when the work stopped part-way; empty otherwise.
    std::string ModuleState;
    // Where and by whom, when the station says so (written only when set).
    std::string Station;
    std::string Operator;
    std::string Lot;
};

// The record as one JSON object on one line, without the newline.
std::string OperationRecordLine(const TOperationRecord &record);

// {"key_id": …, "trusted_comment": …} of a file checked against a trusted key's signature.
TJson SignatureObject(const std::string &keyId, const std::string &trustedComment);

// Adds when a log line was written, by which tool and version, on which host.
void AddOriginFields(TJson &line, std::chrono::system_clock::time_point time, const std::string &tool);
// Adds "station", "operator" and "lot" to a log line, each only when set.
void AddStationFields(TJson &line, const std::string &station, const std::string &person, const std::string &lot);

// Fills the port's device, by-id name and serial number from what `devicePath` reaches.
void DescribePortDevice(TOperationRecord &record, const std::string &devicePath);

} // namespace morlith
