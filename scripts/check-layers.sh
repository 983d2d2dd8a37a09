#!/usr/bin/env bash
# The layer check: every quoted #include of the program's sources names a file of a
# layer its own layer may use, and every library of the form library links only such
# layers. The layers are read from their one table, in docs/ARCHITECTURE.md. Exits
# non-zero and names each include and link that runs against the layers.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

# The table's rows: "| layer | `files`... | allowed layers | what it holds |", read
# between the "## Layers" heading and the next one.
layers=()
declare -A files allowed_of
while IFS='|' read -r _ layer paths permitted _; do
  layer=$(echo "$layer" | tr -d ' ')
  case $layer in '' | Layer | ---*) continue ;; esac
  layers+=("$layer")
  files[$layer]=$(echo "$paths" | grep -o '`[^`]*`' | tr -d '`' | tr '\n' ' ')
  allowed_of[$layer]=$(echo "$permitted" | xargs)
done < <(awk '/^## /{inside = ($0 == "## Layers")} inside && /^\|/' docs/ARCHITECTURE.md)
if [ "${#layers[@]}" -eq 0 ]; then
  echo "layers: no layer table in docs/ARCHITECTURE.md"
  exit 1
fi

layer_of() {
  local layer path
  for layer in "${layers[@]}"; do
    for path in ${files[$layer]}; do
      case $path in
        */) [[ $1 == "$path"* ]] && { echo "$layer"; return; } ;;
        *) [ "$1" = "$path" ] && { echo "$layer"; return; } ;;
      esac
    done
  done
  echo outside
}

# The file an include names: beside the including file, from the top folder, or in
# the embedded resources.
resolve() {
  local from_dir=$1 name=$2 candidate
  for candidate in "$from_dir/$name" "$name" "resources/$name"; do
    if [ -f "$candidate" ]; then
      realpath -m --relative-to="$root" "$candidate"
      return
    fi
  done
  echo "$name"
}

status=0
while IFS= read -r file; do
  from=$(layer_of "$file")
  permitted=" $from ${allowed_of[$from]:-} "
  while IFS= read -r line; do
    name=${line#*\"}
    name=${name%%\"*}
    target=$(resolve "$(dirname "$file")" "$name")
    to=$(layer_of "$target")
    if [ "$to" = outside ] || [[ "$permitted" != *" $to "* ]]; then
      echo "$file: includes $target ($from may not use $to)"
      status=1
    fi
  done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file")
done < <(find base resources platform forms components dialogs SistemaArchivio \
           -type f \( -name '*.h' -o -name '*.cpp' \) 2>/dev/null | sort)

# The form library's libraries, by the layer each builds.
library_layer() {
  case $1 in
    base | platform) echo "$1" ;;
    forms_graphics) echo graphics ;;
    forms_core) echo core ;;
    forms_controls) echo controls ;;
    forms_headless | forms_sdl | forms_win32) echo backends ;;
    *) echo "" ;;
  esac
}
while read -r target libraries; do
  from=$(library_layer "$target")
  [ -n "$from" ] || continue
  permitted=" $from ${allowed_of[$from]:-} "
  for library in $libraries; do
    to=$(library_layer "$library")
    if [ -n "$to" ] && [[ "$permitted" != *" $to "* ]]; then
      echo "forms/CMakeLists.txt: $target links $library ($from may not use $to)"
      status=1
    fi
  done
done < <(grep -o 'target_link_libraries([^)]*)' forms/CMakeLists.txt | sed 's/target_link_libraries(//; s/)//')

if [ "$status" -eq 0 ]; then echo "layers: every include and link runs down the stack"; fi
exit "$status"
