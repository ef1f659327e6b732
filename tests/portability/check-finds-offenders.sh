#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a source check on a folder of planted offences and fails unless it reports exactly the
# lines marked "// offends" (FILE:LINE), no more and no fewer.
#
#   check-finds-offenders.sh CHECK_SCRIPT OFFENDING_ROOT FILE...
set -uo pipefail
check=$1 root=$2
shift 2
expected=$(for file in "$@"; do grep -n '// offends' "$root/$file" | sed "s|^\([0-9]*\):.*|$file:\1|"; done | sort)
found=$(bash "$check" "$root" | grep -o '^[^:]*:[0-9]*' | grep -F -f <(printf '%s\n' "$@") | sort)
if [ "$found" != "$expected" ]; then
  echo "expected:"; echo "$expected"; echo "found:"; echo "$found"
  exit 1
fi
echo "all $(echo "$expected" | wc -l) planted offences found, nothing else"
