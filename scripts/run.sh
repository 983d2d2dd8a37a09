#!/usr/bin/env bash
# Builds the tool (release) and starts it in the folder this script is called from:
# the tool converts the archive in its current folder, so call it from the folder that
# holds the karaoke program's `Data`.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
(cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release -j 2)

exe="$root/build/release/SistemaArchivio/SistemaArchivio"
if [ ! -x "$exe" ]; then
  echo "run: built; the tool's main window is not part of the build yet, so there is nothing to start" >&2
  exit 0
fi
exec "$exe"
