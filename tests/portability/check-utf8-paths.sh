#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fails when a source file makes a std::filesystem path from narrow text, or turns one back into
# narrow text, anywhere but base/PathText.h (PathFromUtf8, Utf8OfPath). On Windows a narrow
# string goes through the system's ANSI code page, so a Cyrillic or Japanese name stops naming
# its file. Platform files of Linux (*Linux.*) are left out: there narrow text is the name.
# Looked for, line by line:
#   - fs::path(TEXT), fs::path NAME(TEXT), fs::path NAME{TEXT};
#   - PATH.string() (the narrow text of a path);
#   - a filesystem call (exists, status, remove, ...) whose first argument is a plain name that
#     the file does not declare as a path.
#
#   check-utf8-paths.sh SOURCE_ROOT [FOLDER...]   (default: every folder with product code)
set -uo pipefail
root=$1
shift
folders=("$@")
if [ "${#folders[@]}" -eq 0 ]; then
  for dir in "$root"/*/; do
    name=$(basename "$dir")
    case "$name" in tests|fuzz|build*|debian|packaging|scripts|docs|cmake) continue ;; esac
    folders+=("$name")
  done
fi

calls='exists|status|symlink_status|remove|remove_all|rename|file_size|create_directories|create_directory|equivalent|canonical|weakly_canonical|absolute|is_directory|is_regular_file|is_symlink|directory_iterator|last_write_time|copy_file|read_symlink|create_hard_link|create_symlink|permissions|resize_file|space'
status=0
while IFS= read -r -d '' file; do
  case "$file" in
    */base/PathText.h|*Linux.cpp|*Linux.h) continue ;;
  esac
  while IFS= read -r hit; do
    echo "${file#"$root"/}:$hit"
    status=1
  done < <(awk -v calls="$calls" -v last="${file%/*}/./${file##*/}" '
    # Names the file and its header declare as paths or file states (variables, parameters,
    # members). The file is read twice: for declarations, then (spelt with "/./") for the check.
    FILENAME != last {
      line = $0
      while (match(line, /(fs|filesystem)::(path|file_status|directory_entry)[ \t&]+[A-Za-z_][A-Za-z0-9_]*/)) {
        decl = substr(line, RSTART, RLENGTH); sub(/.*[ \t&]/, "", decl); paths[decl] = 1
        line = substr(line, RSTART + RLENGTH)
      }
      if (match($0, /auto[ \t]*&?[ \t]+[A-Za-z_][A-Za-z0-9_]*[ \t]*=.*(PathFromUtf8|::path|parent_path|temp_directory_path|current_path|canonical|absolute|read_symlink|status\(|\.path\(\))/)) {
        decl = substr($0, RSTART, RLENGTH); sub(/^auto[ \t]*&?[ \t]+/, "", decl); sub(/[ \t]*=.*/, "", decl); paths[decl] = 1
      }
      if (match($0, /for[ \t]*\([ \t]*(const[ \t]+)?auto[ \t]*&?[ \t]*[A-Za-z_][A-Za-z0-9_]*[ \t]*:/)) {
        decl = substr($0, RSTART, RLENGTH); sub(/^.*auto[ \t]*&?[ \t]*/, "", decl); sub(/[ \t]*:$/, "", decl); paths[decl] = 1
      }
      next
    }
    /^[ \t]*\/\// { next }
    /(fs|filesystem)::path[ \t]*[({][ \t]*[^)} \t]/ { print FNR ": " $0; next }
    /(fs|filesystem)::path[ \t]+[A-Za-z_][A-Za-z0-9_]*[ \t]*[({][ \t]*[^)} \t]/ { print FNR ": " $0; next }
    /\.string\(\)/ { print FNR ": " $0; next }
    {
      line = $0
      pattern = "(fs|filesystem)::(" calls ")[ \t]*\\([ \t]*[A-Za-z_][A-Za-z0-9_.>-]*[ \t]*[,)]"
      while (match(line, pattern)) {
        call = substr(line, RSTART, RLENGTH)
        argument = call; sub(/^[^(]*\([ \t]*/, "", argument); sub(/[ \t]*[,)]$/, "", argument)
        if (!(argument in paths)) { print FNR ": " $0; break }
        line = substr(line, RSTART + RLENGTH)
      }
    }
  ' $(header="${file%.cpp}.h"; [ "$header" != "$file" ] && [ -f "$header" ] && echo "$header") "$file" "${file%/*}/./${file##*/}")
done < <(cd "$root" && for f in "${folders[@]}"; do [ -d "$f" ] && find "$root/$f" -type f \( -name '*.cpp' -o -name '*.h' \) -print0; done)
if [ "$status" -ne 0 ]; then
  echo "file names as narrow text in a std::filesystem path (use PathFromUtf8 and Utf8OfPath from"
  echo "base/PathText.h, which keep every name on Windows)"
fi
exit "$status"
