// SPDX-License-Identifier: MIT
#pragma once
// The command line of morlith-cli: a command, its arguments and the options, checked for form
// and range before anything runs.

#include "OperationKind.h"
#include "PackOptions.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morlith::cli {

// What the tool is asked to do.
enum class TCliCommand {
    ccHelp,
    ccVersion,
    // A device operation on every port: TCliOptions::Operation.
    ccDevice,
    ccInfo,
    ccPack,
    ccPorts,
    ccPortsMap,
    ccPortsUnmap,
    ccLog,
    // The shared store: make its tables, set or list its serial sequences, send it local logs.
    ccStoreInit,
    ccStoreSequence,
    ccStorePush,
    // A recipe: run on every port, or checked without a module.
    ccRun,
    ccCheck,
    // Station mode: the command TCliOptions::Watched (a device operation or run) on every port
    // that appears.
    ccWatch,
    // Signs a file as minisign does.
    ccSign,
};

// The reply inactivity limit when --timeout is not given, in ms (the GUI's).
constexpr uint32_t kDefaultTimeoutMs = 1000;
// The accepted range of --timeout, in ms.
constexpr uint32_t kMinTimeoutMs = 10;
constexpr uint32_t kMaxTimeoutMs = 600000;
// Image bytes per package piece when --piece is not given.
constexpr size_t kDefaultPieceBytes = 32;
// The highest controller index: 0 is the main controller, 1..4 the slaves.
constexpr unsigned kMaxMcuIndex = 4;
// How many ports one run may serve at once.
constexpr size_t kMaxPorts = 64;
// The longest --wait, in seconds (a day).
constexpr uint32_t kMaxWaitSeconds = 86400;
// The most --retries of the connect handshake.
constexpr uint32_t kMaxRetries = 100;

// The parsed command line.
struct TCliOptions {
    TCliCommand Command = TCliCommand::ccHelp;
    // ccDevice, and watch of a device operation: which operation.
    TOperationKind Operation = TOperationKind::okConnect;
    // The command's own arguments (files, COM name, device), in order.
    std::vector<std::string> Arguments;
    // Every --port value, comma-separated lists split; empty for the configured port.
    std::vector<std::string> Ports;
    uint8_t Mcu = 0;
    uint32_t TimeoutMs = kDefaultTimeoutMs;
    bool Quiet = false;
    bool Verbose = false;
    bool Json = false;
    bool Force = false;
    bool Verify = false;
    // write-app --skip-if-current: nothing is written to a controller that holds the package.
    bool SkipIfCurrent = false;
    // --log: the production log to append to; empty for none.
    std::string LogFile;
    // --expect-sha256: the SHA-256 the package or data file must have; empty for any.
    std::string ExpectSha256;
    // --trusted-key: public key files; a file written must carry a signature by one of them.
    std::vector<std::string> TrustedKeys;
    // sign --key: the minisign secret key file.
    std::string SecretKey;
    // --wait: seconds to wait for a missing port to appear (0: fail at once).
    uint32_t WaitSeconds = 0;
    // --retries: further connect handshakes after a failed one.
    uint32_t Retries = 0;
    // watch: the command to run (ccDevice or ccRun), and which ports to take.
    TCliCommand Watched = TCliCommand::ccDevice;
    // --match: USB VID:PID or a /dev/serial/by-id glob (serial devices); empty: the port map.
    std::string Match;
    // --existing: ports present when watching starts are taken too.
    bool Existing = false;
    // --socket-names: how watch names its sockets on a terminal, "port" or "id-path".
    std::string SocketNames = "port";
    // log: --since (ISO 8601 UTC date or time, or an age such as 2h) and --failed.
    std::string Since;
    bool FailedOnly = false;
    // log: --summary (the yield per lot) and --csv (the records for a spreadsheet).
    bool Summary = false;
    bool Csv = false;
    // log --verify: follow the log's chain instead of showing it.
    bool VerifyChain = false;
    // log: --serial and --unit, the unit records of one unit only.
    std::optional<uint64_t> Serial;
    std::string Unit;
    // run, check: --shared-counter, a counter on a network share whose locking the site checked.
    bool SharedCounter = false;
    // --store: the shared store's address (a postgresql:// URI); empty for MORLITH_STORE.
    std::string Store;
    // store sequence: --next, the sequence's next number.
    std::optional<uint64_t> Next;
    // --station, --operator, --lot: written into every record; empty for none. log: --station
    // and --lot are the records of that station or lot only.
    std::string Station;
    std::string Operator;
    std::string Lot;
    // pack: the package to write and the piece size.
    std::string Out;
    size_t PieceBytes = kDefaultPieceBytes;
    // pack and info: the data-segment length, the input format and layout, the image to write.
    TPackOptions Pack;
};

// The outcome of parsing: options, or the usage error in words.
struct TParsedCommandLine {
    TCliOptions Options;
    std::string Error;
    bool Ok() const { return Error.empty(); }
};

// Parses the words after the program name with the declarations of CommandTree. Options may
// stand before or after the command, and go only with the commands that take them; "--name=value" and "--name value" both work, short options
// take attached values ("-pCOM3") and combine ("-qv"); "--" ends the options; "-" alone is an
// argument. Numbers are read as decimal ("010" is ten), hex only where an option says so.
TParsedCommandLine ParseCommandLine(const std::vector<std::string> &words);

// True for the commands that talk to a module (run included).
bool IsDeviceCommand(TCliCommand command);

// The name of a command as typed ("ports map"; "" for ccDevice, which its operation names).
std::string CommandName(TCliCommand command);
// The name of the command `options` run, as typed ("write-app", "run").
std::string CommandName(const TCliOptions &options);

} // namespace morlith::cli
