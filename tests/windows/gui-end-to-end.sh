#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Morlith's window under Wine against the Linux virtual module on Wine's COM5: connect, write an
# application, read the data segment, and a hang-up in the middle of a write that must leave the
# page disconnected; each checked against the module's memory dump.
#
#   tests/windows/gui-end-to-end.sh WINDOWS_BUILD LINUX_BUILD
#
# The window is built as morlith.exe builds it and driven through its own buttons by window-drive
# (tests/windows/WindowDrive.cpp); only its modal dialogs are answered by script. It runs on Qt's
# Windows platform, so the window is a real Win32 window. Expects WINEPREFIX to name a prepared
# prefix and WINEPATH to lead to the Qt and runtime DLLs (scripts/test-windows sets both).
set -uo pipefail

windows_build=$(realpath "$1")
linux_build=$(realpath "$2")
drive=$windows_build/tests/windows/window-drive.exe
. "$(dirname "$0")/module-on-com5.sh"

# The window's saved port: index 4 is COM5.
printf '<?xml version="1.0" encoding="UTF-8"?>\r\n<config Application="ORVELMorlith" Version="1">\r\n  <Port>4</Port>\r\n</config>\r\n' \
  >"$work/Config.mlhxml"

# Runs the window's steps in $work; their lines in $work/steps.txt. English, with UTF-8 names on
# the Linux side, so that Wine hands the window every name whole.
window() {
  (cd "$work" && QT_QPA_PLATFORM=windows LANG=C.UTF-8 wine "$drive" "$@" </dev/null 2>"$work/drive.err" |
    tr -d '\r' >"$work/steps.txt")
}
windows_path() { winepath -w "$1" 2>/dev/null; }
says() { grep -q "$1" "$work/steps.txt"; }

serve
window connect disconnect
stop_module
check "connect and disconnect from the window" \
  "$(says '^connect ok' && sed -n 2p "$work/steps.txt" | grep -qx 'page connected' &&
      says '^disconnect ok' && tail -n 1 "$work/steps.txt" | grep -qx 'page disconnected'; echo $?)" \
  "$(cat "$work/steps.txt" "$work/drive.err")"

pattern 5000 4 "$work/app.bin"
"$linux_cli" pack "$work/app.bin" --out "$work/app.xml" --dseg-length 0 >/dev/null
serve
window connect write-app "$(windows_path "$work/app.xml")"
stop_module
check "write an application from the window" \
  "$(says '^write-app ok' && [ "$(dump_hex 0 program-memory)" = "$(hex_of "$work/app.bin")" ]; echo $?)" \
  "$(cat "$work/steps.txt" "$work/drive.err")"

pattern 256 9 "$work/initial.bin"
serve --controller-dseg "0:$work/initial.bin" --dseg-size 256
window connect read-dseg "$(windows_path "$work/read.bin")"
stop_module
check "read the data segment from the window" \
  "$(says '^read-dseg ok' && cmp -s "$work/read.bin" "$work/initial.bin" &&
      [ "$(hex_of "$work/read.bin")" = "$(dump_hex 0 data-segment)" ]; echo $?)" \
  "$(cat "$work/steps.txt" "$work/drive.err")"

# Names outside the system's code page (Cyrillic, Japanese): a data file read into a new file and
# then over it (the window asks first), one written back, and a package written; through the
# presenter, with the wide names the file dialogs would give.
for name in "данные" "データ"; do
  cp "$work/app.xml" "$work/$name.xml"
  pattern 256 11 "$work/$name-in.bin"
  serve --controller-dseg "0:$work/initial.bin" --dseg-size 256
  # The package's data segment is 0 bytes long, so the application goes last.
  window connect read-dseg "$(windows_path "$work/$name.bin")" read-dseg "$(windows_path "$work/$name.bin")" \
    write-dseg "$(windows_path "$work/$name-in.bin")" write-app "$(windows_path "$work/$name.xml")"
  stop_module
  check "a package and data files named $name: written, read, overwritten after the question, written back" \
    "$(says '^write-app ok' && [ "$(grep -c '^read-dseg ok' "$work/steps.txt")" = 2 ] &&
        [ "$(grep -c '^asked File exists.  Overwrite?' "$work/steps.txt")" = 1 ] &&
        cmp -s "$work/$name.bin" "$work/initial.bin" && says '^write-dseg ok' &&
        [ "$(dump_hex 0 data-segment)" = "$(hex_of "$work/$name-in.bin")" ] &&
        [ "$(dump_hex 0 program-memory)" = "$(hex_of "$work/app.bin")" ]; echo $?)" \
    "$(cat "$work/steps.txt" "$work/drive.err")"
done

serve --hangup-after 40
window connect write-app "$(windows_path "$work/app.xml")"
stop_module
check "a hang-up mid-write is a hangup failure and leaves the page disconnected" \
  "$(says '^write-app failed hangup' && tail -n 1 "$work/steps.txt" | grep -qx 'page disconnected' &&
      [ "$(dump_hex 0 program-memory)" != "$(hex_of "$work/app.bin")" ]; echo $?)" \
  "$(cat "$work/steps.txt" "$work/drive.err")"

# After the hang-up the next Connect opens the port afresh.
serve
window connect
stop_module
check "the port opens afresh after a hang-up" "$(says '^connect ok'; echo $?)" "$(cat "$work/steps.txt")"

echo "window end-to-end: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
