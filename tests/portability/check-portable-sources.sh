#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fails when a source file outside the platform files includes an operating-system header (POSIX,
# Linux or Win32). Checked: ui/, widgets/ and the engine (device/, persistence/, model/ and the
# rooms beside it). Platform files are the ones named *Linux.* or *Windows.*; app/ and the tools are front ends of their own and not checked.
#
#   check-portable-sources.sh SOURCE_ROOT
set -uo pipefail
root=$1
headers='unistd|fcntl|poll|termios|termio|pthread|signal|dirent|pty|grp|pwd|dlfcn|glob|fnmatch|libgen|syslog|spawn|semaphore|mqueue|utmp|sched|netdb|ifaddrs|err|sys/[a-z_/]+|linux/[a-z_/]+|asm/[a-z_/]+|netinet/[a-z_/]+|arpa/[a-z_/]+|windows|winbase|winsock2|ws2tcpip|io|direct|process|conio|shlobj|setupapi'
status=0
while IFS= read -r -d '' file; do
  case "$(basename "$file")" in
    *Linux.*|*Windows.*) continue ;;
  esac
  while IFS= read -r hit; do
    echo "${file#"$root"/}:$hit"
    status=1
  done < <(grep -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*<($headers)\.h>" "$file")
done < <(find "$root/ui" "$root/widgets" "$root/model" "$root/persistence" "$root/device" "$root/operation" \
           "$root/records" "$root/unit" "$root/station" "$root/packages" \
           -type f \( -name '*.cpp' -o -name '*.h' \) -print0 2>/dev/null)
if [ "$status" -ne 0 ]; then
  echo "operating-system headers outside the platform files (put such code behind a small header"
  echo "with a Linux and a Windows file)"
fi
exit "$status"
