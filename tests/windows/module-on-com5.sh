# Shared by the runs under Wine: the Linux virtual module served as Wine's COM5 (a dosdevices link
# to its pseudo-terminal), checks that count, and the module's memory dump read back.
# Source it after setting linux_build; it makes the scratch folder $work and sets com_link,
# module_tool and linux_cli. On exit the module stops and the link and $work go.

. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
module_tool=$linux_build/tools/module/morlith-module
linux_cli=$linux_build/tools/cli/morlith-cli
com_link=$WINEPREFIX/dosdevices/com5
work=$(mktemp -d "${TMPDIR:-/tmp}/morlith-wine-XXXXXX")
module_pid=
device=

module_cleanup() {
  stop_module
  rm -f "$com_link"
  rm -rf "$work"
}
trap module_cleanup EXIT

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
