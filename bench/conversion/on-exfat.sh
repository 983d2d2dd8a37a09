#!/usr/bin/env bash
# Runs the conversion benchmark on an exFAT image mounted through FUSE, which takes the
# moves' fallback path and merges staged songs file by file. Needs root and /dev/fuse.
# Usage: on-exfat.sh <bench_conversion> [files=10000] [rounds=2]
set -euo pipefail
bench=$(realpath "$1")
files=${2:-10000}
rounds=${3:-2}
work=$(mktemp -d)
device=""
driver=""
cleanup() {
  if mountpoint -q "$work/mount"; then umount "$work/mount" || umount --lazy "$work/mount"; fi
  if [ -n "$driver" ]; then wait "$driver" 2>/dev/null || true; fi
  if [ -n "$device" ]; then losetup --detach "$device"; fi
  rm -rf "$work"
}
trap cleanup EXIT
truncate -s 2G "$work/image"
mkfs.exfat -c 4K "$work/image" >/dev/null
mkdir "$work/mount"
device=$(losetup --find --show "$work/image")  # as root the exFAT driver mounts block devices only
mount.exfat-fuse -d "$device" "$work/mount" >/dev/null 2>&1 &
driver=$!
for _ in $(seq 100); do mountpoint -q "$work/mount" && break; sleep 0.05; done
mountpoint -q "$work/mount"
"$bench" "$files" "$work/mount" "$rounds"
