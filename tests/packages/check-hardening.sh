#!/bin/sh
# The packaged program as Debian builds its own packages (hardening=+all): PIE, stack
# protector, fortified functions, read-only relocations, immediate binding, stack clash
# protection and control-flow protection, as hardening-check (devscripts) reads them
# from the program inside the package. Skipped (77) while the package is not built.
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
# Each check prints its line; any "no" makes it fail.
"$checker" "$unpacked/usr/bin/sistemaarchivio"
