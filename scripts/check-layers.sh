#!/usr/bin/env bash
# The layer check: every quoted #include of the program's sources names a file of a
# layer its own layer may use. Exits non-zero and names each include that runs against
# the layers. docs/ARCHITECTURE.md draws the same map.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

layer_of() {
  case $1 in
    base/*) echo base ;;
    resources/*) echo resources ;;
    platform/*) echo platform ;;
    forms/graphics/*) echo graphics ;;
    forms/core/Backend.h | forms/core/Accessible.h | forms/core/AccessibleMirror.h | forms/core/Input.h | forms/core/Exceptions.h) echo core-interface ;;
    forms/core/*) echo core ;;
    forms/controls/*) echo controls ;;
    forms/backends/*) echo backends ;;
    components/*) echo components ;;
    dialogs/*) echo dialogs ;;
    SistemaArchivio/*) echo tool ;;
    *) echo outside ;;
  esac
}

# What each layer may include besides itself. The core's interface for backends
# (Backend.h, Accessible.h, Exceptions.h) belongs to the core too; backends see nothing else of it.
allowed() {
  case $1 in
    base | resources) echo "" ;;
    platform) echo "base" ;;
    graphics) echo "base" ;;
    core | core-interface) echo "base platform graphics core core-interface" ;;
    controls) echo "base platform graphics core core-interface" ;;
    backends) echo "base platform graphics core-interface" ;;
    components) echo "base platform graphics core core-interface controls" ;;
    dialogs) echo "base resources platform graphics core core-interface controls components" ;;
    tool) echo "base resources platform graphics core core-interface controls backends components dialogs" ;;
  esac
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
  permitted=" $from $(allowed "$from") "
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

if [ "$status" -eq 0 ]; then echo "layers: every include runs down the stack"; fi
exit "$status"
