#!/usr/bin/env bash
# Runs the conversion benchmark natively and, cross-built, under wine, on the same
# number of files, and prints the two ratios of the pass to a minimal mover side by
# side. Builds what is missing (the release preset, and the Windows benchmark in
# build/windows-bench). Usage: native-and-wine.sh [files=20000] [rounds=1]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
files=${1:-20000}
rounds=${2:-1}
jobs=$(nproc)

cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs" --target bench_conversion >/dev/null
cmake --preset windows -B build/windows-bench -DSA_BUILD_BENCH=ON -DSA_BUILD_TESTS=OFF >/dev/null
cmake --build build/windows-bench -j "$jobs" --target bench_conversion >/dev/null

export WINEPREFIX="${SA_WINEPREFIX:-$HOME/.cache/sistemaarchivio/wine}" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8 LC_ALL=C.UTF-8
mkdir -p "$WINEPREFIX"
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
wineserver -p

native=$(build/release/bench/conversion/bench_conversion "$files" "$work" "$rounds" | sed -n 's/^pass \/ mover: *//p')
under_wine=$(wine build/windows-bench/bench/conversion/bench_conversion.exe "$files" "Z:$work" "$rounds" \
             | tr -d '\r' | sed -n 's/^pass \/ mover: *//p')
echo "files:               $files, rounds: $rounds"
echo "native pass / mover: $native"
echo "wine pass / mover:   $under_wine"
