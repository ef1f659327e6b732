// SPDX-License-Identifier: MIT
#pragma once
// TFailure: why an operation failed, as a value. It is made once, where the fault happens (the
// serial port, the exchange, a file, a package check), and passed up unchanged to the loader and
// both front ends; each layer above only adds the step it was doing. Front ends turn the kind
// into words and hints; scripts and tests read the kind.

#include <cstdint>
#include <iosfwd>
#include <string>

namespace morlith {

// What kind of fault ended an operation. The names FailureKindName gives are a stable contract.
enum class TFailureKind : uint8_t {
    fkNone, // no failure
    fkNotFound, // "not_found": the port or its device does not exist
    fkPermission, // "permission": the user may not open the device or file
    fkBusy, // "busy": another program holds the port
    fkHangUp, // "hangup": the adapter or module went away
    fkNoReply, // "no_reply": the module stayed silent past the inactivity limit
    fkBadReply, // "bad_reply": a reply with a wrong CRC or length
    fkRefusedInput, // "refused_input": a package or data file refused
    fkFile, // "file": a data file or output cannot be read or written
    fkStopped, // "stopped": interrupted on request
    fkOs, // "os": anything else the operating system reported
    fkStore, // "store": the shared store (PostgreSQL) could not be reached or refused the work
};

// The stable name of a kind: "not_found", "hangup", ...; "" for fkNone.
const char *FailureKindName(TFailureKind Kind);

struct TFailure {
    // The kind; fkNone means no failure.
    TFailureKind Kind = TFailureKind::fkNone;
    // What went wrong, in words ("no reply within 1000 ms", "COM3 went away (adapter unplugged?)").
    std::string Detail;
    // What was being done ("application chunk 27 of 400", "connecting to COM3"); may be empty.
    std::string Step;
    // The command byte of the exchange, or -1 when no exchange was involved.
    int Command = -1;
    // Reply bytes expected and received (an exchange only).
    uint32_t BytesExpected = 0;
    uint32_t BytesReceived = 0;
    // The operating system's error number and its text; 0 and "" when none.
    int OsError = 0;
    std::string OsText;
    // The device path (a port) or file path involved; may be empty.
    std::string Device;
    std::string Path;
    // A finer, stable word within the kind where one kind covers several causes ("store":
    // unreachable, refused, authentication, schema); "" when the kind says it all.
    std::string Reason;

    // True when this records a failure.
    bool Failed() const { return Kind != TFailureKind::fkNone; }
    // The kind's stable name.
    const char *KindName() const { return FailureKindName(Kind); }
    // One sentence for a person: the detail with the step it happened in.
    std::string Message() const;
    // Sets the step unless one is set already (the innermost step is the most precise).
    TFailure &During(const std::string &StepText);
};

// A failure of kind `Kind` with `Detail`.
TFailure MakeFailure(TFailureKind Kind, std::string Detail);
// A failure from an operating-system error number: its kind from the number, its text from the
// system. `Operation` says what was tried ("open", "read from"), `Subject` the device or file.
TFailure OsFailure(int Errno, const std::string &Operation, const std::string &Subject);
// The failure of the file at `path` in `step`, from the system's error number `error`: kind
// permission, not_found or, whatever else the system said, file.
TFailure FileFailure(int Errno, const std::string &Operation, const std::string &Path, const std::string &Step);
// Writes "kind: message" (for diagnostics and test output).
std::ostream &operator<<(std::ostream &Stream, const TFailure &Failure);
// The kind an operating-system error number stands for (ENOENT: not_found, EACCES: permission...).
TFailureKind KindOfErrno(int Errno);

} // namespace morlith
