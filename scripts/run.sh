#!/usr/bin/env bash
# Installs what building and running the Linux program needs (nothing the tests alone
# need), builds the tool (release) and starts it in the folder this script is called
# from: the tool converts the archive in its current folder, so call it from the folder
# that holds the karaoke program's `Data`.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/setup.sh" --native
(cd "$root" && cmake --preset tool >/dev/null && cmake --build --preset tool -j "$(nproc)")

exe="$root/build/tool/SistemaArchivio/SistemaArchivio"
exec "$exe"
