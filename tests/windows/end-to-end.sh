#!/usr/bin/env bash
# morlith-cli.exe under Wine against the Linux virtual module: Wine's COM5 is a dosdevices link to
# the module's pseudo-terminal. Each command is checked against the module's memory dump, and each
# module fault must give the failure kind the Linux tool reports for it.
#
#   tests/windows/end-to-end.sh WINDOWS_BUILD LINUX_BUILD
#
# Expects WINEPREFIX to name a prepared prefix (scripts/test-windows makes one).
set -uo pipefail

windows_build=$(realpath "$1")
linux_build=$(realpath "$2")
exe=$windows_build/tools/cli/morlith-cli.exe
linux_cli=$linux_build/tools/cli/morlith-cli
module_tool=$linux_build/tools/module/morlith-module
com_link=$WINEPREFIX/dosdevices/com5
work=$(mktemp -d "${TMPDIR:-/tmp}/morlith-wine-XXXXXX")
passed=0
failed=0
module_pid=
device=

finish() {
  [ "$(type -t stop_ser2net)" = function ] && stop_ser2net
  stop_module
  rm -f "$com_link"
  rm -rf "$work"
}
trap finish EXIT

check() { # NAME CONDITION-RESULT(0 ok) [DETAIL]
  if [ "$2" -eq 0 ]; then
    passed=$((passed + 1))
    echo "ok   $1"
  else
    failed=$((failed + 1))
    echo "FAIL $1${3:+: $3}"
  fi
}

# Serves a module with the given options; its dump goes to $work/dump.txt when it stops.
serve() {
  stop_module
  rm -f "$work/dump.txt" "$work/module.out"
  "$module_tool" --device-only --dump "$work/dump.txt" "$@" >"$work/module.out" 2>"$work/module.err" &
  module_pid=$!
  for _ in $(seq 100); do
    device=$(head -n 1 "$work/module.out" 2>/dev/null)
    [ -n "$device" ] && break
    sleep 0.05
  done
  ln -sfn "$device" "$com_link"
}

stop_module() {
  if [ -n "$module_pid" ]; then
    kill "$module_pid" 2>/dev/null
    wait "$module_pid" 2>/dev/null
    module_pid=
  fi
}

# Runs the Windows tool in $work with --json; output in $work/out.json, status in $status.
status=0
wine_cli() {
  (cd "$work" && wine "$exe" --port COM5 --json "$@" >"$work/out.json" 2>"$work/err.txt")
  status=$?
  tr -d '\r' <"$work/out.json" >"$work/out.tmp" && mv "$work/out.tmp" "$work/out.json"
}

linux_cli_run() {
  (cd "$work" && "$linux_cli" --port "$device" --json "$@" >"$work/out.json" 2>"$work/err.txt")
  status=$?
}

# The failure kind of the last result event ("" when it succeeded).
error_kind() { grep '"event":"result"' "$work/out.json" | sed -n 's/.*"error":{"kind":"\([a-z_]*\)".*/\1/p'; }

# Hex bytes of a file, one line, upper case.
hex_of() { od -An -tx1 -v "$1" | tr 'a-f' 'A-F' | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }

# Hex bytes of controller $1's section $2 (program-memory, data-segment) in the dump.
dump_hex() {
  awk -v want="$1" -v part="$2" '
    /^controller / { controller = $2 }
    /^(parameter-block|program-memory|data-segment)/ { section = $1 }
    controller == want && section == part && /^[0-9A-F]+:/ { for (i = 2; i <= NF; i++) printf "%s ", $i }
  ' "$work/dump.txt" | sed 's/ $//'
}

# $size bytes of a pattern that changes with $seed.
pattern() { # SIZE SEED FILE
  perl -e 'my ($size, $seed) = @ARGV; print map { chr(($_ * 7 + $seed * 13 + int($_ / 256)) % 256) } 0 .. $size - 1' \
    "$1" "$2" >"$3"
}

# --- Commands, each checked against the module's dump -------------------------------------------

serve
wine_cli connect
check "connect to the main controller" "$([ $status -eq 0 ] && grep -q '"ok":true' "$work/out.json"; echo $?)" "$(cat "$work/err.txt")"

serve --trace
wine_cli --mcu 3 connect
stop_module
check "select slave controller 3" "$([ $status -eq 0 ] && grep -q '^#2 I ' "$work/module.err"; echo $?)" \
  "status $status; $(cat "$work/module.err" "$work/err.txt")"

pattern 5000 4 "$work/app.bin"
(cd "$work" && wine "$exe" pack app.bin --out app.xml --dseg-length 0 >/dev/null 2>"$work/err.txt")
check "pack a plain image into a package" "$([ -s "$work/app.xml" ]; echo $?)" "$(cat "$work/err.txt")"
serve
wine_cli --mcu 2 write-app app.xml
stop_module
check "write an application to controller 2" \
  "$([ $status -eq 0 ] && [ "$(dump_hex 2 program-memory)" = "$(hex_of "$work/app.bin")" ]; echo $?)" \
  "status $status; $(cat "$work/err.txt")"

pattern 300 7 "$work/segment.bin"
serve --dseg-size 300
wine_cli --mcu 1 write-dseg segment.bin --verify
stop_module
check "write and verify the data segment of controller 1" \
  "$([ $status -eq 0 ] && [ "$(dump_hex 1 data-segment)" = "$(hex_of "$work/segment.bin")" ]; echo $?)" \
  "status $status; $(cat "$work/err.txt")"

pattern 256 9 "$work/initial.bin"
serve --controller-dseg "4:$work/initial.bin" --dseg-size 256
wine_cli --mcu 4 read-dseg read.bin
stop_module
check "read the data segment of controller 4" \
  "$([ $status -eq 0 ] && [ "$(hex_of "$work/read.bin")" = "$(dump_hex 4 data-segment)" ] &&
      cmp -s "$work/read.bin" "$work/initial.bin"; echo $?)" "status $status; $(cat "$work/err.txt")"

serve
wine_cli --mcu 4 read-dseg read.bin
check "read-dseg keeps an existing file without --force" \
  "$([ $status -eq 2 ] && cmp -s "$work/read.bin" "$work/initial.bin"; echo $?)" "status $status"

serve
wine_cli --log line.jsonl --verify write-app app.xml
serve --silent
wine_cli --log line.jsonl --timeout 200 --retries 1 connect
stop_module
tr -d '\r' <"$work/line.jsonl" >"$work/line.txt"
check "the production log holds one record per operation, failures with their kind" \
  "$([ "$(wc -l <"$work/line.txt")" -eq 2 ] &&
      grep -q '"command":"write-app".*"image_length":5000.*"result":"ok"' "$work/line.txt" &&
      grep -q '"command":"connect".*"result":"failed","error":{"kind":"no_reply"' "$work/line.txt"; echo $?)" \
  "$(cat "$work/line.txt" "$work/err.txt")"

# --- Faults: the same kinds as on Linux --------------------------------------------------------

fault() { # NAME EXPECTED-KIND MODULE-OPTIONS... -- CLI-ARGUMENTS...
  local name=$1 expected=$2
  shift 2
  local module_options=()
  while [ "$1" != -- ]; do module_options+=("$1"); shift; done
  shift
  serve "${module_options[@]}"
  wine_cli "$@"
  local windows_kind windows_status=$status
  windows_kind=$(error_kind)
  serve "${module_options[@]}"
  linux_cli_run "$@"
  local linux_kind linux_status=$status
  linux_kind=$(error_kind)
  check "$name: $expected on Windows as on Linux" \
    "$([ "$windows_kind" = "$expected" ] && [ "$linux_kind" = "$expected" ] && [ $windows_status = $linux_status ]; echo $?)" \
    "Windows $windows_kind (status $windows_status), Linux $linux_kind (status $linux_status)"
}

serve --silent
wine_cli --timeout 300 connect
seconds=$(grep '"event":"result"' "$work/out.json" | sed -n 's/.*"seconds":\([0-9.]*\).*/\1/p')
check "a silent module is given up after about the inactivity limit" \
  "$(awk -v s="${seconds:-0}" 'BEGIN { exit !(s >= 0.3 && s < 10) }'; echo $?)" "${seconds:-no result} s"

fault "silent module" no_reply --silent -- --timeout 300 connect
fault "hang-up at the selection" hangup --hangup-after 1 -- --mcu 2 connect
fault "wrong reply CRC" bad_reply --bad-crc 1 -- connect
fault "wrong CRC during an application write" bad_reply --bad-crc 6 -- write-app app.xml

rm -f "$com_link"
wine_cli connect
check "an absent port is not_found" "$([ "$(error_kind)" = not_found ]; echo $?)" "$(cat "$work/out.json")"

# --- Lines behind ser2net: rfc2217:// and socket:// through Winsock --------------------------------

free_port() { perl -MIO::Socket::INET -e 'print IO::Socket::INET->new(Listen => 1, LocalAddr => "127.0.0.1", LocalPort => 0)->sockport'; }
port_taken() { ! perl -MIO::Socket::INET -e 'exit !IO::Socket::INET->new(Listen => 1, LocalAddr => "127.0.0.1", LocalPort => $ARGV[0])' "$1"; }
ser2net_pid=
serve_network() { # serves the module at $device as rfc2217 on $rfc_port and raw TCP on $raw_port
  stop_ser2net
  rfc_port=$(free_port)
  raw_port=$(free_port)
  printf 'connection: &rfc\n  accepter: telnet(rfc2217),tcp,127.0.0.1,%s\n  connector: serialdev,%s,19200n81,local\n  options: {chardelay: false, kickolduser: true}\nconnection: &raw\n  accepter: tcp,127.0.0.1,%s\n  connector: serialdev,%s,19200n81,local\n  options: {chardelay: false, kickolduser: true}\n' \
    "$rfc_port" "$device" "$raw_port" "$device" >"$work/ser2net.yaml"
  ser2net -n -u -c "$work/ser2net.yaml" -P "$work/ser2net.pid" >"$work/ser2net.log" 2>&1 &
  ser2net_pid=$!
  for _ in $(seq 100); do port_taken "$rfc_port" && port_taken "$raw_port" && break; sleep 0.05; done
}
stop_ser2net() {
  if [ -n "$ser2net_pid" ]; then
    kill "$ser2net_pid" 2>/dev/null
    wait "$ser2net_pid" 2>/dev/null
    ser2net_pid=
  fi
}
wine_cli_at() { # PORT ARGUMENTS...
  local port=$1
  shift
  (cd "$work" && wine "$exe" --port "$port" --json "$@" >"$work/out.json" 2>"$work/err.txt")
  status=$?
  tr -d '\r' <"$work/out.json" >"$work/out.tmp" && mv "$work/out.tmp" "$work/out.json"
}

if command -v ser2net >/dev/null; then
  serve
  serve_network
  wine_cli_at "rfc2217://127.0.0.1:$rfc_port" --mcu 2 write-app app.xml
  stop_ser2net
  stop_module
  check "write an application through rfc2217://" \
    "$([ $status -eq 0 ] && [ "$(dump_hex 2 program-memory)" = "$(hex_of "$work/app.bin")" ]; echo $?)" \
    "status $status; $(cat "$work/err.txt" "$work/ser2net.log")"

  serve --controller-dseg "4:$work/initial.bin" --dseg-size 256
  serve_network
  rm -f "$work/read.bin"
  wine_cli_at "socket://127.0.0.1:$raw_port" --mcu 4 read-dseg read.bin
  stop_ser2net
  stop_module
  check "read the data segment through socket://" \
    "$([ $status -eq 0 ] && cmp -s "$work/read.bin" "$work/initial.bin"; echo $?)" "status $status; $(cat "$work/err.txt")"

  wine_cli_at "rfc2217://127.0.0.1:$(free_port)" connect
  check "nothing listening is not_found" "$([ "$(error_kind)" = not_found ]; echo $?)" "$(cat "$work/out.json")"

  serve --silent
  serve_network
  wine_cli_at "rfc2217://127.0.0.1:$rfc_port" --timeout 300 connect
  stop_ser2net
  stop_module
  check "a silent module behind ser2net is no_reply" "$([ "$(error_kind)" = no_reply ]; echo $?)" "$(cat "$work/out.json")"
else
  check "ser2net is installed (scripts/install-deps)" 1
fi

echo "end-to-end: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
