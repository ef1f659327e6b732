#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The installer under Wine: a silent install for the current user (every licence file of the
# build's licence folder, the programs and DLLs stripped), both programs started from where it
# put them, then a silent uninstall that leaves no file, folder or registry key of its own (the
# Programs folder it made, its copy in the temporary folder, what Qt's file dialog remembered)
# and keeps the user's configuration.
#
#   tests/windows/installer.sh SETUP.exe VERSION LICENCE_FOLDER
#
# Expects WINEPREFIX to name a prepared prefix and DISPLAY a display (scripts/test-windows sets
# both). The installed programs must stand on their own: nothing else is on their path.
set -uo pipefail
unset WINEPATH

setup=$(realpath "$1")
version=$2
licences=$(realpath "$3")
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Morlith'
. "$(dirname "$0")/checks.sh"

unix_folder() { # %VARIABLE% of the Windows side as a Unix path
  winepath -u "$(wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r')" 2>/dev/null
}

local_data=$(unix_folder LOCALAPPDATA)
roaming=$(unix_folder APPDATA)
program=$local_data/Programs/Morlith
user_folder=$local_data/Morlith
shortcut="$roaming/Microsoft/Windows/Start Menu/Programs/Morlith.lnk"
temp=$(unix_folder TEMP)
file_dialog='HKCU\Software\QtProject\OrganizationDefaults\FileDialog'
rm -rf "$program"
# A fresh account has no Programs folder: the installer makes it, the uninstaller removes it.
rmdir "$local_data/Programs" 2>/dev/null
programs_there=no
[ -d "$local_data/Programs" ] && programs_there=yes
rm -rf "$temp"/~nsu*.tmp

wine "$setup" /S </dev/null >/dev/null 2>&1
check "silent install exits with 0" $?
missing=
for file in morlith.exe morlith-cli.exe Uninstall.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
  libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll platforms/qwindows.dll \
  styles/qwindowsvistastyle.dll README.txt; do
  [ -f "$program/$file" ] || missing="$missing $file"
done
check "the program folder holds both programs, Qt and the runtime" \
  "$([ -z "$missing" ]; echo $?)" "missing:$missing"
differs=$(diff -r "$licences" "$program/licences" 2>&1)
check "the licence folder is the build's, every file" "$([ -z "$differs" ]; echo $?)" "$differs"
for file in LICENSE.txt README.txt LGPL-3.0.txt GPL-3.0.txt Qt-copyright.txt pugixml.txt libjpeg.txt \
  libsodium.txt CLI11.txt nlohmann-json.txt tomlplusplus.txt MinGW-runtime.txt MinGW-w64.txt; do
  check "licence text $file installed, not empty" "$([ -s "$program/licences/$file" ]; echo $?)"
done
readme=$(tr -d '\r' <"$program/licences/README.txt")
for says in "Independent JPEG Group" "Written offer" "third-party-sources.tar" "Using your own Qt" \
  "-DFEATURE_direct2d1_1=OFF" "Qt6Widgets.dll"; do
  check "the licences' README has '$says'" "$(grep -qF -- "$says" <<<"$readme"; echo $?)"
done
with_debug=$(cd "$program" && for binary in morlith.exe morlith-cli.exe *.dll */*.dll; do
  x86_64-w64-mingw32-objdump -h "$binary" | grep -q '\.debug_\|\.stab' && echo "$binary"
  x86_64-w64-mingw32-objdump -h "$binary" | grep -q 'gnu_debuglink' || echo "$binary (no debug link)"
done)
check "the programs and DLLs are stripped, each linked to its debug file" \
  "$([ -z "$with_debug" ]; echo $?)" "$with_debug"
check "a Start-menu entry" "$([ -f "$shortcut" ]; echo $?)"
check "the user's folder for the configuration is there" "$([ -d "$user_folder" ]; echo $?)"
listed=$(wine reg query "$key" /v DisplayVersion 2>/dev/null | tr -d '\r')
check "listed in Apps & features with its version" "$(grep -q "$version" <<<"$listed"; echo $?)" "$listed"
uninstall=$(wine reg query "$key" /v UninstallString 2>/dev/null | tr -d '\r')
check "the listing names the uninstaller" "$(grep -qi 'Uninstall.exe' <<<"$uninstall"; echo $?)" "$uninstall"

for program_name in morlith morlith-cli; do
  out=$(cd "$user_folder" && wine "$program/$program_name.exe" --version 2>&1 </dev/null | tr -d '\r')
  check "$program_name.exe --version from the program folder" \
    "$(grep -qx "$program_name $version" <<<"$out"; echo $?)" "$out"
done

# The window opens from there, with its platform plugin found beside it.
(cd "$user_folder" && exec wine "$program/morlith.exe" </dev/null >/dev/null 2>&1) &
window_pid=$!
shown=1
for _ in $(seq 150); do
  xwininfo -root -tree 2>/dev/null | grep -q '"Morlith"' && { shown=0; break; }
  sleep 0.1
done
kill "$(pgrep -n -f 'Morlith.morlith[.]exe' || echo "$window_pid")" "$window_pid" 2>/dev/null
wait "$window_pid" 2>/dev/null
check "the installed window opens" "$shown"

# The user's configuration outlives the program; what Qt's file dialog remembered does not.
echo '<Config/>' >"$user_folder/Config.mlhxml"
wine reg add "$file_dialog" /v lastVisited /d 'file:///C:/users' /f >/dev/null 2>&1
wine "$program/Uninstall.exe" /S </dev/null >/dev/null 2>&1
# The uninstaller runs from a copy of itself in the temporary folder and returns at once.
for _ in $(seq 150); do
  [ -e "$program" ] || break
  sleep 0.2
done
left=$(find "$program" 2>/dev/null)
check "the uninstaller leaves no file of the program" "$([ -z "$left" ]; echo $?)" "$left"
check "the Start-menu entry is gone" "$([ ! -e "$shortcut" ]; echo $?)"
wine reg query "$key" >/dev/null 2>&1
check "the Apps & features key is gone" "$([ $? -ne 0 ]; echo $?)"
check "the user's configuration is kept" "$([ -f "$user_folder/Config.mlhxml" ]; echo $?)"
wine reg query "$file_dialog" >/dev/null 2>&1
check "the file dialog's key is gone" "$([ $? -ne 0 ]; echo $?)"
if [ "$programs_there" = no ]; then
  check "the Programs folder the installer made is gone" "$([ ! -e "$local_data/Programs" ]; echo $?)"
fi
# The uninstaller's copy of itself goes once it has ended.
for _ in $(seq 100); do
  compgen -G "$temp/~nsu*.tmp" >/dev/null || break
  sleep 0.3
done
copies=$(compgen -G "$temp/~nsu*.tmp")
check "no copy of the uninstaller is left in the temporary folder" "$([ -z "$copies" ]; echo $?)" "$copies"
rm -rf "$user_folder"

echo "installer: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
