#!/usr/bin/env bash
# The one test command: installs what is missing, checks that every include runs down
# the layers and that every source file is laid out as .clang-format says, then builds
# in three configurations: native with warnings as errors (ci), native under the address
# and undefined-behaviour sanitizers (asan), and the Windows cross build under wine
# (windows); checks names and includes against the conventions; builds the release
# packages (the Windows zip, the Debian package), which the ci tests install and use as
# a user would; runs every test; then fuzzes the layout reader and the conversion for a
# bounded time (fuzz). Exits non-zero if any step fails; every configuration is still
# tried. Its last lines say what it covered.
#
# The Windows program is a 32-bit one. Where the kernel runs no 32-bit programs (asked
# once, by scripts/machine.sh), or where SA_NO_32BIT=1 says to act as if, the same
# sources are also built as a 64-bit program (windows64), and the Windows suite and the
# native build's runs of the Windows program (end to end, MSAA, planted DLLs, the zip's
# program) take that one, under the 64-bit wine; the 32-bit zip is then built and read
# without running it.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=$(nproc)
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

source scripts/machine.sh
if sa_runs_32bit; then
  windows=(windows win32)
  not_covered=""
else
  windows=(windows64 win64)
  if [ "${SA_NO_32BIT:-0}" = 1 ]; then
    not_covered="the 32-bit program under wine (SA_NO_32BIT=1 asked for the 64-bit one)"
  else
    not_covered="the 32-bit program under wine (this kernel runs no 32-bit programs)"
  fi
fi
export SA_RUNS_32BIT

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

# build_preset PRESET [cmake configure options]
build_preset() {
  local preset=$1
  shift
  echo "=== $preset: configure and build"
  if ! cmake --preset "$preset" "$@" >"$logs/$preset-configure.log" 2>&1; then
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
  local skipped
  skipped=$(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (Skipped)$/\1/p' "$logs/$preset-ctest.log" | xargs)
  if [ -n "$skipped" ]; then summaries+=("$preset: skipped: $skipped"); fi
  if [ "$status" -ne 0 ]; then failed+=("$preset (tests)"); fi
}


# The packages as `cmake --build --preset <windows|release> --target package` makes
# them. The Windows build is complete by then; of the release build the package needs
# only the tool and its compressed documents, not the tests and benchmarks.
build_packages() {
  echo "=== packages: zip (windows), .deb (release)"
  local preset
  for preset in windows "${windows[0]}"; do
    case " ${built[*]} " in
      *" $preset "*)
        cmake --build --preset "$preset" --target package >"$logs/zip-$preset.log" 2>&1 \
          || { tail -n 40 "$logs/zip-$preset.log"; failed+=("$preset (package)"); }
        ;;
    esac
    if [ "$preset" = "${windows[0]}" ]; then break; fi
  done
  if ! { cmake --preset release && cmake --build --preset release -j "$jobs" --target SistemaArchivio sa_package_docs \
         && (cd build/release && cpack -G DEB); } >"$logs/deb.log" 2>&1; then
    grep -v '^\[' "$logs/deb.log" | tail -n 40
    failed+=("release (package)")
  fi
}

# Everything is built first: the native end-to-end tests run the Windows executables,
# and the ci tests install the packages.
# The native builds run the Windows program that this machine can run.
native=(-DSA_WINDOWS_PROGRAM="${windows[1]}")
build_preset ci "${native[@]}"
build_preset asan "${native[@]}"
build_preset windows
if [ "${windows[0]}" != windows ]; then build_preset "${windows[0]}"; fi
build_packages

# The naming and include conventions, read through the ci build's compile database.
echo "=== conventions"
if [[ " ${built[*]} " == *" ci "* ]] && bash scripts/check-conventions.sh build/ci >"$logs/conventions.log" 2>&1; then
  summaries+=("$(tail -n 1 "$logs/conventions.log")")
else
  tail -n 40 "$logs/conventions.log"
  failed+=("conventions")
fi

test_preset ci
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 test_preset asan

# The Windows suite under the wine of the program's kind, in a prefix of its own, with a
# server started before it and stopped after it.
export WINEARCH=${windows[1]}
WINEPREFIX="${SA_WINEPREFIX:-$HOME/.cache/sistemaarchivio/$WINEARCH}"
source scripts/wine-env.sh
wine_start >/dev/null 2>&1
test_preset "${windows[0]}"
wineserver -k || true

# Under libFuzzer, each for a bounded time: the layout reader (no crash, no leak, and
# every malformed layout ends in the reader's own error) and the conversion against
# simulated drives and faults (every check after every press holds).
fuzz_seconds=${SA_FUZZ_SECONDS:-60}
build_preset fuzz
case " ${built[*]} " in
  *" fuzz "*)
    for target in layout conversion; do
      echo "=== fuzz: $target for ${fuzz_seconds}s"
      corpus="$logs/$target-corpus"
      options=(-max_total_time="$fuzz_seconds" -seed=1)
      mkdir -p "$corpus"
      if [ "$target" = layout ]; then
        cp fuzz/corpus/* "$corpus/"
        options+=(-dict=fuzz/layout.dict)
      else
        options+=(-max_len=256)
      fi
      if build/fuzz/fuzz/${target}_fuzzer "${options[@]}" "$corpus" >"$logs/fuzz-$target.log" 2>&1; then
        summaries+=("fuzz $target: $(grep -E '^Done [0-9]+ runs' "$logs/fuzz-$target.log" | tail -n 1)")
      else
        tail -n 40 "$logs/fuzz-$target.log"
        failed+=("fuzz $target")
      fi
    done
    ;;
esac

# What the run covered of the Windows program, and what not. A run that ran neither
# program fails.
if [ "${windows[1]}" = win32 ]; then
  program="the 32-bit program under 32-bit wine"
  zip_runs="the zip's program under 32- and 64-bit wine"
else
  program="the same sources as a 64-bit program under 64-bit wine"
  zip_runs="the zip's 64-bit program under 64-bit wine"
fi
covered=()
uncovered=()
if [ -n "$not_covered" ]; then uncovered+=("$not_covered"); fi
# cover WHAT PRESET TEST...: WHAT is covered when every TEST passed in PRESET's run.
cover() {
  local what=$1 preset=$2 t
  shift 2
  for t in "$@"; do
    if ! grep -q -E "Test +#[0-9]+: $t \.+ +Passed" "$logs/$preset-ctest.log" 2>/dev/null; then
      uncovered+=("$what")
      return 1
    fi
  done
  covered+=("$what")
}
suite=$(grep -o -E '^100% tests passed, 0 tests failed out of [1-9][0-9]*' "$logs/${windows[0]}-ctest.log" 2>/dev/null)
if [ -n "$suite" ]; then covered+=("$program: the Windows suite"); else uncovered+=("$program: the Windows suite"); fi
cover "$program: the end-to-end run and the planted DLLs, the MSAA probe" ci e2e_windows_program e2e_windows_msaa e2e_windows_backend
ran=$?
cover "$zip_runs" ci $(if [ "${windows[1]}" = win32 ]; then echo package_zip_win32; fi) package_zip_win64
cover "the 32-bit zip read without running it: its header and imports" ci package_zip_pe
if [ -z "$suite" ] && [ "$ran" -ne 0 ]; then failed+=("no Windows program ran under wine"); fi

echo
echo "=== summary"
for line in "${summaries[@]}"; do echo "$line"; done
for line in "${covered[@]}"; do echo "covered: $line"; done
for line in "${uncovered[@]}"; do echo "not covered: $line"; done
if [ "${#failed[@]}" -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all passed"
