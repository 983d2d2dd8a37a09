#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, then builds once the
# Windows-side libraries that Debian does not package for mingw-w64 (GoogleTest,
# libjpeg-turbo) into the prefix that the `windows` preset searches. The Windows program
# is a 32-bit one, so that it starts on 32-bit Windows too; the tests run it under the
# 32-bit wine (an i386 package) as well as under the 64-bit one.
# A machine that already has everything installs and builds nothing. With --native it
# stops after the packages.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
prefix="$HOME/.cache/sistemaarchivio/i686-w64-mingw32"
jobs=$(nproc)

packages=(
  cmake ninja-build g++ libgtest-dev googletest
  libsdl2-dev libfreetype-dev libfontconfig-dev libjpeg62-turbo-dev
  fonts-wine mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  wine64 wine wine32:i386 xvfb xdotool imagemagick clang clang-format libclang-rt-14-dev dpkg-dev
  fuse3 exfatprogs exfat-fuse ntfs-3g dosfstools fusefat
  samba smbnetfs gvfs-fuse gvfs-backends libglib2.0-bin openssh-server sshfs procps
  file lintian unzip strace
  libatk1.0-dev libatk-bridge2.0-dev at-spi2-core python3-pyatspi dbus x11-xserver-utils
  orca speech-dispatcher speech-dispatcher-espeak-ng speech-dispatcher-audio-plugins espeak-ng libao4
  openbox python3-gi gir1.2-gtk-3.0
)

sudo=()
if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive

apt_updated=0
apt_update() {
  if [ "$apt_updated" -eq 0 ]; then
    "${sudo[@]}" apt-get update -q
    apt_updated=1
  fi
}

# wine32 is a package of the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg -s "$p" >/dev/null 2>&1; then missing+=("$p"); fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  apt_update
  "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=1200 install -y -q "${missing[@]}"
fi

# --native: the packages alone, for building and running the Linux program.
if [ "${1:-}" = "--native" ]; then exit 0; fi

toolchain="$root/cmake/mingw-w64.cmake"
work=""
cleanup() { if [ -n "$work" ]; then rm -rf "$work"; fi; }
trap cleanup EXIT

if [ ! -f "$prefix/lib/libgtest.a" ] || [ ! -f "$prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  echo "setup: building GoogleTest for mingw-w64 into $prefix"
  work=${work:-$(mktemp -d)}
  cmake -S /usr/src/googletest -B "$work/gtest" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_GMOCK=ON -DBUILD_SHARED_LIBS=OFF \
    -Dgtest_disable_pthreads=OFF >/dev/null
  cmake --build "$work/gtest" -j "$jobs" >/dev/null
  cmake --install "$work/gtest" >/dev/null
fi

if [ ! -f "$prefix/lib/libjpeg.a" ] || [ ! -f "$prefix/include/jpeglib.h" ]; then
  echo "setup: building libjpeg-turbo for mingw-w64 into $prefix"
  # `apt-get source` needs a deb-src entry for the suites the machine already uses.
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/*.sources \
     && ! grep -qs '^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/*.list; then
    tmp_list=$(mktemp)
    # deb822 files: the same stanzas with Types: deb-src.
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] || continue
      awk '
        /^[[:space:]]*$/ { if (block != "") print block "\n"; block = ""; next }
        /^Types:/ { block = block (block == "" ? "" : "\n") "Types: deb-src"; next }
        { block = block (block == "" ? "" : "\n") $0 }
        END { if (block != "") print block "\n" }
      ' "$f" >>"$tmp_list"
    done
    if [ -s "$tmp_list" ]; then
      "${sudo[@]}" install -m 0644 "$tmp_list" /etc/apt/sources.list.d/sistemaarchivio-src.sources
    else
      # One-line files: each deb line again as deb-src.
      sed -n 's/^deb[[:space:]]/deb-src /p' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null >"$tmp_list" || true
      "${sudo[@]}" install -m 0644 "$tmp_list" /etc/apt/sources.list.d/sistemaarchivio-src.list
    fi
    rm -f "$tmp_list"
    apt_updated=0
  fi
  apt_update
  work=${work:-$(mktemp -d)}
  mkdir -p "$work/jpeg-src"
  (cd "$work/jpeg-src" && apt-get source -q --download-only libjpeg-turbo >/dev/null \
     && dpkg-source -x ./*.dsc src >/dev/null)
  # No SIMD: it needs an assembler that the build machine need not have.
  cmake -S "$work/jpeg-src/src" -B "$work/jpeg" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF -Wno-dev >/dev/null
  cmake --build "$work/jpeg" -j "$jobs" >/dev/null
  cmake --install "$work/jpeg" >/dev/null
fi
echo "setup: ready"
