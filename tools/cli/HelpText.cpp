// SPDX-License-Identifier: MIT
#include "HelpText.h"

#include "CliOptions.h"
#include "CommandTree.h"
#include "HelpFormatter.h"

namespace morlith::cli {

namespace {

// Where option descriptions start.
constexpr size_t kOptionColumn = 21;

constexpr const char *kDescription = R"(Usage: morlith-cli [OPTIONS] COMMAND [ARGS]

Updates the firmware of KEV-xxx-BUS modules over a serial line, without a
display.
)";

// Lines that start with "L|" are for Linux only, those with "W|" for Windows.
constexpr const char *kFooter = R"(Short options combine and take their values attached: -qv, -p3, -pCOM3, -m2.

Progress of write-app goes to standard error: a bar that fits the terminal on a
L|terminal, lines of percentages otherwise. Ctrl-C, SIGTERM or SIGHUP ends the
L|current exchange, sends nothing more, closes the port and says what the module
L|holds; a second signal ends the tool at once. With --json a failed result
L|carries "error": its kind
W|console, lines of percentages otherwise. Ctrl-C, Ctrl-Break or closing the
W|console window ends the current exchange, sends nothing more, closes the port
W|and says what the module holds (logoff and shutdown wait for that too); a
W|second Ctrl-C ends the tool at once. With --json a failed result carries
W|"error": its kind
(not_found, permission, busy, hangup, no_reply, bad_reply, refused_input, file,
stopped, os), the step and the message.

Exit status:
  0    success
  1    the work on the module failed (a missing, busy or forbidden port, a
       hang-up, no answer, a bad reply, a refused package, a file that cannot
       be written); with several ports: any port failed
  2    usage or input error, before any port is opened (unknown option,
       missing or unreadable file, a package or firmware file that does not
       decode, an existing file without --force, a Config.mlhxml that does
       not load or names no port, an empty data file)
L|  130  stopped by SIGINT, SIGTERM or SIGHUP
W|  130  stopped by Ctrl-C, Ctrl-Break or the console window closing
L|watch ends at Ctrl-C with 0 when no module failed, 1 when one did, 130 when
L|the stop cut a module's work short.

Examples:
  morlith-cli --port COM3 connect
L|  morlith-cli --port /dev/ttyUSB0 --mcu 2 write-app firmware.xml
W|  morlith-cli --port COM4 --mcu 2 write-app firmware.xml
  morlith-cli --port COM1,COM2,COM3 --json write-app firmware.xml
  morlith-cli --port 3 read-dseg backup.bin
  morlith-cli --port 3 write-dseg backup.bin --verify
  morlith-cli pack app.hex --out firmware.xml --dseg-length 512
  morlith-cli pack app.elf --out firmware.xml --dseg-length 0x200 --fill 0
  morlith-cli info firmware.xml
L|  morlith-cli ports map COM3 /dev/serial/by-id/usb-Example_A1B2C3-if00-port0
L|  morlith-cli ports map COM7 rfc2217://10.1.2.3:4001
  morlith-cli --port rfc2217://[::1]:4001 read-dseg backup.bin
L|  morlith-cli --log line.jsonl --verify watch write-app firmware.xml
L|  morlith-cli --match 0403:6001 --log line.jsonl watch write-app firmware.xml
  morlith-cli -p3 --wait 30 --retries 2 write-app firmware.xml
L|  morlith-cli -p3 read-dseg - | xxd | head
W|  morlith-cli -p3 read-dseg - > segment.bin
  morlith-cli log line.jsonl --since 8h --failed
  morlith-cli check line.toml
  morlith-cli -p COM3,COM4 --log line.jsonl --lot L-17 run line.toml
L|  morlith-cli --log line.jsonl --station bench-2 watch run line.toml
  morlith-cli log line.jsonl --summary
)";

// `text` with the lines of `platform` untagged and those of the other platform left out.
std::string ForPlatform(const std::string &text, THelpPlatform platform)
{
    const std::string own = platform == THelpPlatform::Windows ? "W|" : "L|";
    std::string kept;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at + 1);
        at = end == std::string::npos ? text.size() : end + 1;
        const std::string tag = line.substr(0, 2);
        if (tag == "L|" || tag == "W|") {
            if (tag == own)
                kept += line.substr(2);
        } else {
            kept += line;
        }
    }
    return kept;
}

} // namespace

std::string HelpTextFor(THelpPlatform platform)
{
    TCliOptions options;
    std::vector<std::string> portLists;
    const auto app = DeclareCommandLine(options, portLists, platform);
    app->description(kDescription);
    app->footer(ForPlatform(kFooter, platform));
    app->formatter(std::make_shared<THelpFormatter>(kOptionColumn));
    return app->help();
}

std::string HelpText() { return HelpTextFor(NativeHelpPlatform()); }

} // namespace morlith::cli
