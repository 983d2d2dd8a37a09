#!/usr/bin/env bash
# Runs the conversion benchmark on a network share of a server started here for it
# (share.sh): Samba through smbnetfs or gvfs, or SFTP through sshfs. Needs root and
# /dev/fuse. Usage: on-share.sh <bench_conversion> smbnetfs|gvfs|sshfs [files=2000] [rounds=3]
# [distinct] (each song's first character its own)
set -euo pipefail
bench=$(realpath "$1")
kind=$2
files=${3:-2000}
rounds=${4:-3}
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
cleanup() { bash "$here/share.sh" stop "$work" || true; rm -rf "$work"; }
trap cleanup EXIT
root=$(bash "$here/share.sh" start "$kind" "$work")
"$bench" "$files" "$root" "$rounds" ${5:+"$5"}
