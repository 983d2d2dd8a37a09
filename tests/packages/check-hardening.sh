#!/bin/sh
# The packaged program as Debian builds its own packages (hardening=+all): PIE, stack
# protector, fortified functions, read-only relocations, immediate binding, stack clash
# protection and control-flow protection, as hardening-check (devscripts) reads them
# from the program inside the package. Skipped (77) while the package is not built.
# Control-flow protection is read apart: Debian 12's C start files (Scrt1.o, crti.o,
# crtn.o) carry no IBT/SHSTK property, so the linker drops it from every program of the
# release and hardening-check answers "no" for all of them. What the compiler's
# -fcf-protection leaves is seen in the code itself: an endbr64 where each function of
# ours may be entered indirectly (a program built without it has next to none).
#   check-hardening.sh <hardening-check> <package.deb>
checker=$1
deb=$2
[ -f "$deb" ] || { echo "skipped: $deb is not built"; exit 77; }
if ! command -v "$checker" >/dev/null 2>&1; then
  echo "hardening-check (Debian's devscripts) is not installed" >&2
  exit 1
fi
unpacked=$(mktemp -d) || exit 1
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked" || exit 1
program="$unpacked/usr/bin/sistemaarchivio"
# Each check prints its line; any "no" makes it fail.
"$checker" --nocfprotection "$program" || exit 1
landings=$(objdump -d --no-show-raw-insn "$program" | grep -c -w endbr64)
echo " Control flow protection (endbr64 landing pads): $landings"
[ "$landings" -gt 100 ] || { echo "too few: built without -fcf-protection?" >&2; exit 1; }
