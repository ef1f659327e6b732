#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
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
. "$(dirname "$0")/module-on-com5.sh"
finish() {
  [ "$(type -t stop_ser2net)" = function ] && stop_ser2net
  module_cleanup
  wine reg delete 'HKLM\Software\Wine\Ports' /v COM5 /f >/dev/null 2>&1
}
trap finish EXIT

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

# Checks that the last run succeeded and left controller $2's section $3 holding the file $4.
check_dump() { # NAME CONTROLLER SECTION FILE
  check "$1" "$([ $status -eq 0 ] && [ "$(dump_hex "$2" "$3")" = "$(hex_of "$4")" ]; echo $?)" \
    "status $status; $(cat "$work/err.txt")"
}

# $size bytes of a pattern that changes with $seed.
pattern() { # SIZE SEED FILE
  perl -e 'my ($size, $seed) = @ARGV; print map { chr(($_ * 7 + $seed * 13 + int($_ / 256)) % 256) } 0 .. $size - 1' \
    "$1" "$2" >"$3"
}

# --- COM ports as Wine lists them ----------------------------------------------------------------

# A value of Wine's Ports key names a port's Unix device; when Wine starts it makes the port's
# device, its DOS name, its entry in HARDWARE\DEVICEMAP\SERIALCOMM, where Windows programs find
# serial ports, and its dosdevices link, which is then pointed at each module in turn. Wine is
# started again to take the registration, which lasts for this run only: a later session would
# point the link at the value again.
restart_wine() {
  wineserver -k >/dev/null 2>&1
  wineserver -p >/dev/null 2>&1 &
  wineboot >/dev/null 2>&1 </dev/null
}
wine reg add 'HKLM\Software\Wine\Ports' /v COM5 /d "$work/no-module" /f >/dev/null 2>&1
restart_wine

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
check_dump "write an application to controller 2" 2 program-memory "$work/app.bin"

pattern 300 7 "$work/segment.bin"
serve --dseg-size 300
wine_cli --mcu 1 write-dseg segment.bin --verify
stop_module
check_dump "write and verify the data segment of controller 1" 1 data-segment "$work/segment.bin"

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

# A read-only file is replaced with --force as on Linux, and stays read-only.
chmod a-w "$work/read.bin"
serve --controller-dseg "4:$work/segment.bin" --dseg-size 300
wine_cli --mcu 4 --force read-dseg read.bin
stop_module
check "read-dseg --force replaces a read-only file, which stays read-only" \
  "$([ $status -eq 0 ] && cmp -s "$work/read.bin" "$work/segment.bin" &&
      [ "$(stat -c %A "$work/read.bin" | cut -c3)" = - ]; echo $?)" \
  "status $status; $(cat "$work/err.txt")"

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

# A recipe: the application on controllers 0 and 2 and a data segment with the unit's serial
# number on controller 1, on one connection; the counter moves on and the log gets a unit record.
cat >"$work/insertion.toml" <<'TOML'
[[step]]
write-app = "app.xml"
mcu = [0, 2]
[[step]]
write-dseg = "segment.bin"
mcu = 1
serial = { counter = "serials.counter", offset = 4, width = 2, order = "big" }
TOML
echo 41 >"$work/serials.counter"
serve --dseg-size 300
wine_cli --log units.jsonl run insertion.toml
stop_module
check "run a recipe: two applications and a data segment holding the unit's serial number" \
  "$([ $status -eq 0 ] && [ "$(dump_hex 2 program-memory)" = "$(hex_of "$work/app.bin")" ] &&
      [ "$(dump_hex 1 data-segment | cut -d' ' -f5-6)" = "00 29" ] &&
      [ "$(tr -d '\r\n' <"$work/serials.counter")" = 42 ] &&
      grep -q '"schema":"unit/1".*"serial":41' "$work/units.jsonl"; echo $?)" \
  "status $status; $(cat "$work/err.txt" "$work/units.jsonl" 2>/dev/null)"

# --- Names in any script, under a Western and a Russian code page -----------------------------

# Wine takes its code pages from the Unix locale: en_US.UTF-8 gives 1252, ru_RU.UTF-8 gives 1251.
# The locales are made in the build folder, so that the machine needs none installed.
export LOCPATH=$windows_build/locales
mkdir -p "$LOCPATH"
for locale in en_US ru_RU; do
  [ -d "$LOCPATH/$locale.UTF-8" ] || localedef -i "$locale" -f UTF-8 "$LOCPATH/$locale.UTF-8" >/dev/null 2>&1
  check "the locale $locale.UTF-8 is there" "$([ -d "$LOCPATH/$locale.UTF-8" ]; echo $?)"
done

# Runs the Windows tool in $work under the locale $1; output and status as wine_cli.
wine_in() { # LOCALE ARGUMENTS...
  local locale=$1
  shift
  (cd "$work" && LANG=$locale LC_ALL=$locale wine "$exe" "$@" >"$work/out.json" 2>"$work/err.txt")
  status=$?
  tr -d '\r' <"$work/out.json" >"$work/out.tmp" && mv "$work/out.tmp" "$work/out.json"
}

for locale in en_US.UTF-8 ru_RU.UTF-8; do
  rm -f "$work/данные.bin" "$work/データ.xml" "$work/выход.bin" "$work/データ.bin"
  pattern 3000 11 "$work/данные.bin"
  wine_in "$locale" pack данные.bin --out データ.xml --dseg-length 0
  check "$locale: pack a Cyrillic file into a Japanese package" "$([ $status -eq 0 ] && [ -s "$work/データ.xml" ]; echo $?)" \
    "status $status; $(cat "$work/err.txt")"
  wine_in "$locale" info データ.xml --image-out выход.bin
  check "$locale: info --image-out gives back the image under a Cyrillic name" \
    "$([ $status -eq 0 ] && cmp -s "$work/выход.bin" "$work/данные.bin"; echo $?)" "status $status; $(cat "$work/err.txt")"
  serve
  wine_in "$locale" --port COM5 --json --mcu 2 write-app データ.xml
  stop_module
  check_dump "$locale: write-app of a package with a Japanese name" 2 program-memory "$work/данные.bin"

  pattern 200 3 "$work/данные.bin"
  serve --dseg-size 200
  wine_in "$locale" --port COM5 --json --mcu 1 write-dseg данные.bin --verify
  stop_module
  check_dump "$locale: write-dseg from a Cyrillic name" 1 data-segment "$work/данные.bin"
  serve --controller-dseg "3:$work/данные.bin" --dseg-size 200
  wine_in "$locale" --port COM5 --json --mcu 3 read-dseg データ.bin
  stop_module
  check "$locale: read-dseg into a Japanese name" \
    "$([ $status -eq 0 ] && cmp -s "$work/データ.bin" "$work/данные.bin" && grep -q '"file":"データ.bin"' "$work/out.json"; echo $?)" \
    "status $status; $(cat "$work/out.json" "$work/err.txt")"

  # A missing port's system text arrives in the system's language, as valid UTF-8.
  wine_in "$locale" --port COM239 --json connect
  os_text=$(grep '"event":"result"' "$work/out.json" | sed -n 's/.*"os_text":"\([^"]*\)".*/\1/p')
  check "$locale: the system's error text is readable" \
    "$([ -n "$os_text" ] && printf '%s' "$os_text" | iconv -f UTF-8 -t UTF-8 >/dev/null 2>&1 &&
        ! printf '%s' "$os_text" | grep -q $'\xef\xbf\xbd'; echo $?)" "$os_text"
  # On a console the names show as they are, whatever the code page.
  (cd "$work" && LANG=$locale LC_ALL=$locale script -qec "wine '$exe' info нет-データ.xml" /dev/null >"$work/console.txt" 2>&1)
  check "$locale: a console shows Cyrillic and Japanese names" \
    "$(grep -q 'нет-データ.xml: No such file' "$work/console.txt"; echo $?)" "$(cat -v "$work/console.txt")"
done
unset LOCPATH

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

serve
(cd "$work" && wine "$exe" --json ports >"$work/out.json" 2>"$work/err.txt")
check "ports lists COM5 as Wine registered it" \
  "$(tr -d '\r' <"$work/out.json" | grep -q '"event":"device".*"com":\["COM5"\]'; echo $?)" "$(cat "$work/out.json" "$work/err.txt")"

# A port that appears while the tool waits: a new entry in the serial-port map, as a plugged-in
# adapter makes, and its device.
com6_link=$WINEPREFIX/dosdevices/com6
rm -f "$com6_link"
(cd "$work" && wine "$exe" --port COM6 --json --wait 30 connect >"$work/out.json" 2>"$work/err.txt") &
cli_pid=$!
sleep 2
ln -sfn "$device" "$com6_link"
wine reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v '\Device\Serial5' /d COM6 /f >/dev/null 2>&1
wait "$cli_pid"
status=$?
wine reg delete 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v '\Device\Serial5' /f >/dev/null 2>&1
rm -f "$com6_link"
check "--wait takes a port that appears in the serial-port map" \
  "$([ $status -eq 0 ] && tr -d '\r' <"$work/out.json" | grep -q '"ok":true'; echo $?)" "status $status; $(cat "$work/out.json" "$work/err.txt")"

(cd "$work" && wine "$exe" --port COM239 --json connect >"$work/out.json" 2>"$work/err.txt")
tr -d '\r' <"$work/out.json" >"$work/out.tmp" && mv "$work/out.tmp" "$work/out.json"
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
