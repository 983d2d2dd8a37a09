#!/usr/bin/env bash
# The one test command: installs what is missing, checks that every include runs down
# the layers and that every source file is laid out as .clang-format says, then builds
# and runs every test in three configurations: native with
# warnings as errors (ci), native under the address and undefined-behaviour sanitizers
# (asan), and the Windows cross build under wine (windows); builds the release packages
# (the Windows zip, the Debian package), which the ci tests install and use as a user
# would; then fuzzes the layout reader for a bounded time (fuzz). Exits non-zero if any
# step fails; every configuration is still tried.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=$(nproc)
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

bash scripts/setup.sh || { echo "test: setup failed" >&2; exit 1; }

failed=()
summaries=()
built=()

echo "=== layers"
if bash scripts/check-layers.sh; then summaries+=("layers: passed"); else failed+=("layers"); fi

# Every C and C++ file as .clang-format lays it out (Debian 12's clang-format 14).
echo "=== format"
if git ls-files -z '*.c' '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror >"$logs/format.log" 2>&1; then
  summaries+=("format: passed")
else
  head -n 40 "$logs/format.log"
  failed+=("format")
fi

build_preset() {
  local preset=$1
  echo "=== $preset: configure and build"
  if ! cmake --preset "$preset" >"$logs/$preset-configure.log" 2>&1; then
    cat "$logs/$preset-configure.log"
    failed+=("$preset (configure)")
    return
  fi
  if ! cmake --build --preset "$preset" -j "$jobs" >"$logs/$preset-build.log" 2>&1; then
    grep -v '^\[' "$logs/$preset-build.log" | tail -n 60
    failed+=("$preset (build)")
    return
  fi
  built+=("$preset")
}

test_preset() {
  local preset=$1
  case " ${built[*]} " in *" $preset "*) ;; *) return ;; esac
  echo "=== $preset: test"
  ctest --preset "$preset" -j "$jobs" 2>&1 | tee "$logs/$preset-ctest.log"
  local status=${PIPESTATUS[0]}
  summaries+=("$preset: $(grep -E 'tests passed|No tests were found' "$logs/$preset-ctest.log" | tail -n 1)")
  if [ "$status" -ne 0 ]; then failed+=("$preset (tests)"); fi
}

# The packages as `cmake --build --preset <windows|release> --target package` makes
# them. The Windows build is complete by then; of the release build the package needs
# only the tool and its compressed documents, not the tests and benchmarks.
build_packages() {
  echo "=== packages: zip (windows), .deb (release)"
  case " ${built[*]} " in
    *" windows "*)
      cmake --build --preset windows --target package >"$logs/zip.log" 2>&1 \
        || { tail -n 40 "$logs/zip.log"; failed+=("windows (package)"); }
      ;;
  esac
  if ! { cmake --preset release && cmake --build --preset release -j "$jobs" --target SistemaArchivio sa_package_docs \
         && (cd build/release && cpack -G DEB); } >"$logs/deb.log" 2>&1; then
    grep -v '^\[' "$logs/deb.log" | tail -n 40
    failed+=("release (package)")
  fi
}

# Everything is built first: the native end-to-end tests run the Windows executables,
# and the ci tests install the packages.
for preset in ci asan windows; do build_preset "$preset"; done
build_packages

test_preset ci
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 test_preset asan

# The Windows tests under the 32-bit wine, in a prefix of their own, with a server
# started before them and stopped after them.
WINEPREFIX="${SA_WINEPREFIX:-$HOME/.cache/sistemaarchivio/wine32}"
source scripts/wine-env.sh
wine_start >/dev/null 2>&1
test_preset windows
wineserver -k || true

# The layout reader under libFuzzer, for a bounded time: no crash, no leak, and every
# malformed layout ends in the reader's own error.
fuzz_seconds=${SA_FUZZ_SECONDS:-60}
build_preset fuzz
case " ${built[*]} " in
  *" fuzz "*)
    echo "=== fuzz: layout reader for ${fuzz_seconds}s"
    corpus="$logs/fuzz-corpus"
    mkdir -p "$corpus" && cp fuzz/corpus/* "$corpus/"
    if build/fuzz/fuzz/layout_fuzzer -max_total_time="$fuzz_seconds" -seed=1 -dict=fuzz/layout.dict \
        "$corpus" >"$logs/fuzz.log" 2>&1; then
      summaries+=("fuzz: $(grep -E '^Done [0-9]+ runs' "$logs/fuzz.log" | tail -n 1)")
    else
      tail -n 40 "$logs/fuzz.log"
      failed+=("fuzz")
    fi
    ;;
esac

echo
echo "=== summary"
for line in "${summaries[@]}"; do echo "$line"; done
if [ "${#failed[@]}" -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all passed"
