// SPDX-License-Identifier: MIT
#include "HelpText.h"

namespace morlith::cli {

namespace {

// Lines that start with "L|" are for Linux only, those with "W|" for Windows.
constexpr const char *kHelpText = R"(Usage: morlith-cli [OPTIONS] COMMAND [ARGS]

Updates the firmware of KEV-xxx-BUS modules over a serial line, without a
display.

Commands that talk to a module:
  connect                  connect (selecting --mcu), say so, disconnect
  write-app PACKAGE        write the application of a firmware package
  read-dseg FILE           read the data segment into FILE (- for standard
                           output); an existing FILE is kept unless --force is
                           given; with several ports FILE must hold {port},
                           which becomes the port's name (COM3)
  write-dseg FILE          write FILE (- for standard input) into the data
                           segment; --verify reads it back and reports the
                           first differing offset
  run RECIPE               run a recipe's steps (write-app, write-dseg and
                           read-dseg, each on one controller or a list) on
                           one connection per module; a failed step ends that
                           module's work; the serial number of each module
                           comes from the recipe's counter; --log gets one
                           unit record per module
L|  watch COMMAND [ARGS]     station mode: run connect, write-app, read-dseg,
L|                           write-dseg or run on every port that appears, until
L|                           Ctrl-C; one line per module, then the counts; on a
L|                           terminal one line per socket, redrawn in place,
L|                           and the counts of the lot. Ports are port-map
L|                           entries (--port limits which), or with --match
L|                           serial devices; a port is taken again only after
L|                           it went away and came back. read-dseg needs {n}
L|                           (the module's number) or {time} in FILE
Commands without a module:
  info PACKAGE             show the header fields, the key and the image of a
                           package, and whether a write would accept it
                           [--image-out FILE] write the image with the key
                                    taken off (-: standard output)
  pack FILE --out PACKAGE --dseg-length N
                           build a package from a firmware file: raw binary,
                           Intel HEX, S-records or ELF (the file bytes of its
                           PT_LOAD segments at their physical addresses), told
                           apart by content
                           --dseg-length N  the data-segment length the module
                                    has after the write: the header's third
                                    word (--word3 is its older name)
                           [--format bin|ihex|srec|elf] the input format
                           [--base ADDR] the image's first address (default:
                                    the lowest address of the data)
                           [--fill BYTE] the value of gap bytes (default 0xFF)
                           [--piece BYTES] image bytes per piece (default 32,
                                    0: one)
L|  ports                    list the port map and the serial devices present
L|  ports map COM<n> DEVICE  add COM<n> -> DEVICE to the port map (--force
L|                           replaces); DEVICE may be rfc2217://HOST:PORT or
L|                           socket://HOST:PORT
L|  ports unmap COM<n>       remove COM<n> from the port map
W|  ports                    list the COM ports with their names in Device
W|                           Manager, USB ids and serial numbers
  check RECIPE             check a recipe and its inputs without a module;
                           every mistake is named by its line
  log FILE                 show a production log as a table: time, port,
                           operation (a unit: its recipe), file (a unit: its
                           serial number) and result

Options:
L|  -p, --port P       COM<n>, a number n (COM<n>), a device path, or a line
L|                     behind a device server: rfc2217://HOST:PORT (line
L|                     settings carried) or socket://HOST:PORT (raw TCP; the
L|                     server sets the line); IPv6 hosts in brackets. May be
L|                     repeated or given as a list (COM1,COM2) to run on every
L|                     port at once.
W|  -p, --port P       COM<n> or a number n (COM<n>), as Device Manager names
W|                     the port under Ports (COM & LPT), or a line behind a
W|                     device server: rfc2217://HOST:PORT or socket://HOST:PORT;
W|                     may be repeated or given as a list (COM1,COM2) to run on
W|                     every port at once.
                     Default: the Port in Config.mlhxml of the current folder
                     plus one; COM1 when there is no such file
  -m, --mcu N        controller: 0 main (default), 1..4 slaves
      --timeout MS   reply inactivity limit in ms (default 1000)
  -q, --quiet        print nothing but errors
  -v, --verbose      trace every frame on standard error
      --json         JSON Lines on standard output: start, progress, result
                     events
  -f, --force        read-dseg, pack, info --image-out: replace an existing
                     file; write-dseg: write a FILE longer than the module's
L|                     data segment; ports map: replace the entry
W|                     data segment
      --verify       write-dseg: read back and compare; write-app: read the
                     parameter block back and compare it with the header written
      --log FILE     append one JSON line per module and operation to FILE (the
                     production log); a log that cannot be opened stops the
                     command before anything is sent
      --expect-sha256 HEX
                     write-app, write-dseg: refuse a FILE whose SHA-256 is not
                     HEX
      --wait S       wait up to S seconds for a missing port to appear
      --retries N    try the connect handshake N more times, 500 ms apart (a
                     write is never repeated)
L|      --match M      watch: serial devices with USB ids M (VID:PID, 0403:6001 or
L|                     0403:*) or a /dev/serial/by-id name matching the pattern M
L|      --existing     watch: take the ports present at the start too
L|      --socket-names N
L|                     watch on a terminal: name the sockets after the port
L|                     (port, the default) or after the USB port the adapter is
L|                     plugged into (id-path: udev's ID_PATH)
      --since WHEN   log: records from WHEN on (UTC: 2026-07-13,
                     2026-07-13T10:15) or of the last 30m, 2h, 7d
      --failed       log: failed records only
      --summary      log: the units, passed, failed and yield of each lot
      --csv          log: the records as CSV (RFC 4180) for a spreadsheet or
                     a MES; cells that would start a formula begin with '
      --station NAME, --operator NAME, --lot NAME
                     written into every record of --log (run: in place of
                     the recipe's station, operator and lot)
L|                     watch on a terminal: the lot's counts and yield, kept
L|                     across runs
  -o, --out PACKAGE  pack: the package to write (-: standard output)
  -h, --help         this text
  -V, --version      the version

Short options combine and take their values attached: -qv, -p3, -pCOM3, -m2.

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

} // namespace

std::string HelpTextFor(THelpPlatform platform)
{
    const std::string own = platform == THelpPlatform::Windows ? "W|" : "L|";
    std::string text;
    const std::string all = kHelpText;
    for (size_t at = 0; at < all.size();) {
        const size_t end = all.find('\n', at);
        const std::string line = all.substr(at, end == std::string::npos ? std::string::npos : end - at + 1);
        at = end == std::string::npos ? all.size() : end + 1;
        const std::string tag = line.substr(0, 2);
        if (tag == "L|" || tag == "W|") {
            if (tag == own)
                text += line.substr(2);
        } else {
            text += line;
        }
    }
    return text;
}

} // namespace morlith::cli
