#!/usr/bin/env bash
# The Windows program end to end, driven from Linux: wine runs the cross-built
# executables on an X server of this script's own, in a wine prefix of its own, and
# xdotool works the tool as a user would, beside DLLs planted under system libraries'
# names, none of which may run.
#
#   run-e2e.sh program WINDOWS_BUILD_DIR   the tool converts an old archive
#   run-e2e.sh backend WINDOWS_BUILD_DIR   the win32 backend's own tests
#   run-e2e.sh msaa WINDOWS_BUILD_DIR      a screen reader's client converts through MSAA
#   run-e2e.sh zip WINDOWS_BUILD_DIR ZIP_NAME VERSION [WINEARCH, else win32]
#       the released zip, unpacked into the archive's folder, converts it; its message,
#       its guide, the manifest, version and imports read back from the executable
#   run-e2e.sh pe WINDOWS_BUILD_DIR ZIP_NAME VERSION
#       the zip's executable read without running it: a Windows GUI program for x86,
#       relocatable and without executable data, importing only the Windows 7 functions
#       of windows7-imports.txt, all from KnownDLLs
#
# The Windows programs run in a wine prefix of their kind: a 64-bit program in a 64-bit
# one. Exits 77 (skipped) when wine, Xvfb, xdotool or the Windows build (or its zip) is
# missing. Every process it starts is stopped at the end: the prefix's wineserver with
# -k, the X server and the tool by their PIDs.
set -u

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mode=${1:-}
build=${2:-}
skip() { echo "skipped: $*"; exit 77; }
fail() {
  echo "FAILED: $*"
  if [ -s "$work/wine.log" ]; then echo "--- wine output"; tail -n 40 "$work/wine.log"; fi
  exit 1
}

case "$mode" in
  program) exe="$build/SistemaArchivio/SistemaArchivio.exe" ;;
  backend) exe="$build/tests/e2e-windows/win32_backend_tests.exe" ;;
  msaa)
    exe="$build/SistemaArchivio/SistemaArchivio.exe"
    probe="$build/tests/e2e-windows/msaa_probe.exe"
    [ -f "$probe" ] || skip "$probe is not built"
    ;;
  zip)
    exe="$build/${3:-}"
    version=${4:-}
    export WINEARCH=${5:-win32}
    probe="$build/tests/packages/package_probe.exe"
    [ -f "$probe" ] || skip "$probe is not built"
    command -v unzip >/dev/null 2>&1 || skip "unzip is not installed"
    ;;
  pe) exe="$build/${3:-}" ;;
  *) echo "usage: $0 program|backend|msaa WINDOWS_BUILD_DIR | zip|pe WINDOWS_BUILD_DIR ZIP_NAME VERSION" >&2; exit 2 ;;
esac

# The executable $1 as Windows' loader reads it: machine, subsystem, its DLL
# characteristics, and every import a Windows 7 function of a KnownDLL.
check_executable() {
  local header imports outside dlls
  header=$(objdump -p "$1")
  echo "$header" | grep -q -E '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)$' || fail "$1 is not a 32-bit (PE32) program"
  objdump -f "$1" | grep -q -E '^architecture: i386,' || fail "$1 is not an x86 program"
  echo "$header" | grep -q -E '^Subsystem[[:space:]]+00000002[[:space:]]+\(Windows GUI\)$' || fail "$1 is not a Windows GUI program"
  for flag in DYNAMIC_BASE NX_COMPAT; do
    echo "$header" | grep -q -x -E "[[:space:]]+$flag" || fail "$1 lacks $flag"
  done
  imports=$(echo "$header" | awk '/^\tDLL Name:/ { d = tolower($3) } /^$/ { d = "" }
    d && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ { print d, $3 }' | LC_ALL=C sort -u)
  outside=$(LC_ALL=C comm -23 <(echo "$imports") <(grep -v '^#' "$here/windows7-imports.txt" | LC_ALL=C sort))
  [ -n "$imports" ] && [ -z "$outside" ] || fail "imports outside the Windows 7 set: ${outside:-none read}"
  # Windows 7's KnownDLLs that a program may import (HKLM\...\Session Manager\KnownDLLs).
  dlls=$(echo "$header" | awk '/^\tDLL Name:/ { print tolower($3) }' | LC_ALL=C sort -u |
    grep -v -x -E '(advapi32|comdlg32|difxapi|gdi32|imagehlp|imm32|kernel32|lpk|msctf|msvcrt|normaliz|nsi|ole32|oleaut32|psapi|rpcrt4|sechost|setupapi|shell32|shlwapi|user32|usp10|wldap32|ws2_32)\.dll')
  [ -z "$dlls" ] || fail "imports DLLs outside the KnownDLLs: $dlls"
}

if [ "$mode" = pe ]; then
  for tool in unzip objdump; do command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"; done
  [ -f "$exe" ] || skip "$exe is not built (cmake --preset windows && cmake --build --preset windows --target package)"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  unzip -q "$exe" SistemaArchivio.exe -d "$work" || fail "the zip holds no SistemaArchivio.exe"
  check_executable "$work/SistemaArchivio.exe"
  echo "PASSED: $3 read without running it: PE32 x86 GUI program, DYNAMIC_BASE, NX_COMPAT, Windows 7 imports from KnownDLLs"
  exit 0
fi
# Every other mode runs the program: in a prefix of the program's own kind.
if [ "$mode" != zip ] && [ -f "$exe" ] && objdump -f "$exe" 2>/dev/null | grep -q 'pei-x86-64'; then
  export WINEARCH=win64
fi

for tool in wine wineserver Xvfb xdotool objdump; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
[ -f "$exe" ] || skip "$exe is not built (cmake --preset windows && cmake --build --preset windows${3:+ --target package})"

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then kill "$app_pid" 2>/dev/null; fi
  if [ -d "$work/prefix" ]; then WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null; fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# Waits up to $1 tenths of a second for the command that follows to succeed. The bound
# keeps a broken build from hanging the run; nothing depends on how fast things are.
within() {
  local tenths=$1
  shift
  for ((i = 0; i < tenths; i++)); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  "$@"
}

# The X server: the first free display, reported through file descriptor 3; the
# starter becomes the server, so its PID is the server's.
"$here/../e2e/start-xvfb.sh" 1024x768 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
within 300 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n 1 "$work/display")"

# A fresh prefix, made before the test proper so that its set-up windows are gone.
WINEPREFIX="$work/prefix"
source "$here/../../scripts/wine-env.sh"
wine_start >"$work/wine.log" 2>&1 || fail "wine cannot run in a fresh prefix"
# Without the 32-bit wine, prefix set-up stops before it installs wine's own fonts; the
# tool's "MS Sans Serif" is one of them.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ] && [ ! -e "$fonts/sserife.fon" ]; then
  cp /usr/share/wine/fonts/* "$fonts/"
fi

# Planted as oleacc (screen readers) and uxtheme (loaded with the first window), in Windows' load order.
planted=$'oleacc.dll\nuxtheme.dll'
start_tool() {
  for dll in $planted; do cp "$build/tests/e2e-windows/planted.dll" "$1/$dll" || skip "planted.dll is not built"; done
  (cd "$1" && WINEDLLOVERRIDES="$WINEDLLOVERRIDES;oleacc,uxtheme=n,b" exec "$SA_WINE" ./SistemaArchivio.exe) >"$work/wine.log" 2>&1 &
  app_pid=$!
}
none_ran() { ! ls "$1"/*.ran >/dev/null 2>&1 || fail "planted DLLs ran inside the tool: $(cd "$1" && echo *.ran)"; }

if [ "$mode" = backend ]; then
  "$SA_WINE" "$exe" >"$work/wine.log" 2>&1
  status=$?
  cat "$work/wine.log"
  [ "$status" -eq 0 ] || fail "win32_backend_tests exited with $status"
  echo "PASSED: win32 backend"
  exit 0
fi

# Alt+F4 on the main window $1 closes it, and with it the process, which exits 0.
close_main() {
  xdotool mousemove --window "$1" 10 10 key alt+F4
  within 600 eval '! kill -0 "$app_pid" 2>/dev/null' || fail "the process did not end after its window was closed"
  wait "$app_pid"
  status=$?
  app_pid=""
  [ "$status" -eq 0 ] || fail "exit code $status, not 0"
}

if [ "$mode" = msaa ]; then
  archive="$work/archive"
  mkdir -p "$archive/Data"
  printf 'first' >"$archive/Data/1234.kar"
  cp "$exe" "$archive/SistemaArchivio.exe"
  start_tool "$archive"
  "$SA_WINE" "$probe" >"$work/probe.log" 2>>"$work/wine.log"
  status=$?
  cat "$work/probe.log"
  none_ran "$archive"
  [ "$status" -eq 0 ] || fail "msaa_probe exited with $status"
  tr -d '\r' <"$work/probe.log" | grep -q -x 'message: Ho Finito!' || fail "the message box did not say Ho Finito!"
  [ "$(cat "$archive/Data/01/01234.kar" 2>/dev/null)" = first ] || fail "the archive is not converted"
  close_main "$(xdotool search --name '^Lyrimat to Vocarium$' | head -n 1)"
  echo "PASSED: converted through MSAA, message box answered, exit code 0"
  exit 0
fi

# ---- the tool on an old archive ----

archive="$work/archive"
mkdir -p "$archive/Data"
printf 'first' >"$archive/Data/1234.kar"
printf 'same bucket' >"$archive/Data/1999.kar"
printf 'second' >"$archive/Data/5678.kar"
printf 'japanese' >"$archive/Data/さくら.kar"
printf 'read-only' >"$archive/Data/readonly.kar"
chmod a-w "$archive/Data/readonly.kar"
printf 'midi' >"$archive/Data/abc.mid"
shipped=SistemaArchivio.exe
if [ "$mode" = zip ]; then
  # Flat, as the user unpacks it beside `Data`.
  shipped=$(printf 'LEGGIMI.txt\nSistemaArchivio.exe')
  [ "$(unzip -Z1 "$exe" | LC_ALL=C sort)" = "$shipped" ] || fail "the zip holds: $(unzip -Z1 "$exe")"
  unzip -q "$exe" -d "$archive" || fail "the zip does not unpack"
else
  cp "$exe" "$archive/SistemaArchivio.exe"
fi

# Started in the archive's folder, as a user starts it beside the karaoke program.
start_tool "$archive"

caption='^Lyrimat to Vocarium$'
windows() { xdotool search --name "$caption" 2>/dev/null; }
count_is() { [ "$(windows | wc -l)" -eq "$1" ]; }

within 1200 count_is 1 || fail "the main window did not appear"
main=$(windows)
geometry=$(xdotool getwindowgeometry "$main")
# Without a window manager wine's X window is the client area: it must be exact.
echo "$geometry" | grep -q "Geometry: 296x63" || fail "main window client area is not 296x63: $geometry"

# The button lies at (16, 16) to (273, 49) of the client area.
xdotool mousemove --window "$main" 144 32 click 1

within 600 count_is 2 || fail "no message box after the click"
box=$(windows | grep -v -x "$main" | head -n 1)
[ -n "$box" ] || fail "the message box is not a window of its own"

# The pass has ended once its closing message box is up.
expected=$(
  cat <<EOF
Data
Data/01
Data/01/01234.kar
Data/01/01999.kar
Data/05
Data/05/05678.kar
Data/0a
Data/0a/0abc.mid
Data/0r
Data/0r/0readonly.kar
Data/0さ
Data/0さ/0さくら.kar
$shipped
EOF
)
actual=$(cd "$archive" && find . -mindepth 1 | sed 's|^\./||' | grep -v -x -F "$planted" | LC_ALL=C sort)
[ "$actual" = "$(echo "$expected" | LC_ALL=C sort)" ] || fail "converted tree differs:
$actual"
[ "$(cat "$archive/Data/01/01234.kar")" = first ] || fail "01234.kar lost its content"
[ "$(cat "$archive/Data/0a/0abc.mid")" = midi ] || fail "0abc.mid lost its content"
[ "$(cat "$archive/Data/0さ/0さくら.kar")" = japanese ] || fail "0さくら.kar lost its content"
[ "$(cat "$archive/Data/0r/0readonly.kar")" = read-only ] || fail "0readonly.kar lost its content"
case "$(stat -c %A "$archive/Data/0r/0readonly.kar")" in
  ??w*) ;;
  *) fail "the read-only file is still read-only after the move" ;;
esac

if [ "$mode" = zip ]; then
  message=$(cd "$archive" && "$SA_WINE" "$probe" message "Lyrimat to Vocarium" 2>>"$work/wine.log")
  [ "$message" = "Ho Finito!" ] || fail "the message box says: $message"
fi

# Enter answers the box. Keys go where the pointer is (there is no window manager).
xdotool mousemove --window "$box" 10 10 key Return
within 300 count_is 1 || fail "Enter did not close the message box"

# The window is usable again.
close_main "$main"
if [ "$mode" != zip ]; then
  echo "PASSED: converted tree, message box answered with Enter, window closed, exit code 0"
  exit 0
fi

# ---- what the zip ships beside the conversion ----

# The guide as Notepad opens it: UTF-8 with a byte-order mark, every line ended by CRLF.
guide="$archive/LEGGIMI.txt"
[ "$(head -c 3 "$guide" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "LEGGIMI.txt has no UTF-8 byte-order mark"
iconv -f UTF-8 -t UTF-8 "$guide" >/dev/null 2>&1 || fail "LEGGIMI.txt is not UTF-8"
[ "$(tail -c 2 "$guide" | od -An -tx1 | tr -d ' ')" = 0d0a ] || fail "LEGGIMI.txt does not end with CRLF"
[ "$(grep -c -v $'\r$' "$guide")" -eq 0 ] || fail "LEGGIMI.txt has lines without CRLF"
grep -q "SistemaArchivio $version " "$guide" || fail "LEGGIMI.txt does not name version $version"

# The manifest as Windows reads it from the executable.
manifest=$(cd "$archive" && "$SA_WINE" "$probe" manifest SistemaArchivio.exe 2>>"$work/wine.log") ||
  fail "no manifest, or more than one, in SistemaArchivio.exe"
while IFS='|' read -r expectation pattern; do
  found=no
  if echo "$manifest" | grep -q -i -F -e "$pattern"; then found=yes; fi
  [ "$found" = "$expectation" ] || fail "manifest: '$pattern' found: $found
$manifest"
done <<'EOF'
yes|requestedExecutionLevel level="asInvoker" uiAccess="false"
yes|supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"
yes|supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"
yes|supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"
yes|supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"
no|dpiAware
no|Common-Controls
no|requireAdministrator
EOF

# The version resource carries the project's version, the one the zip is named after.
numbers=$(echo "$version.0.0.0" | cut -d. -f1-4)
expected_version=$(
  cat <<EOF
FILEVERSION $numbers
PRODUCTVERSION $numbers
FileDescription=Lyrimat to Vocarium
FileVersion=$version
OriginalFilename=SistemaArchivio.exe
ProductVersion=$version
EOF
)
actual_version=$(cd "$archive" && "$SA_WINE" "$probe" version SistemaArchivio.exe 2>>"$work/wine.log")
[ "$actual_version" = "$expected_version" ] || fail "version resource:
$actual_version"

# The executable: the shipped one as Windows' loader reads it.
if [ "$(basename "$exe")" = "SistemaArchivio-$version-win32.zip" ]; then check_executable "$archive/SistemaArchivio.exe"; fi
echo "PASSED: the unpacked zip converted the archive (\"$message\", exit code 0); guide, manifest and version $version"
