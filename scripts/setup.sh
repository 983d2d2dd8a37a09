#!/usr/bin/env bash
# Installs from Debian's packages what is missing on Debian 12.
#
#   setup.sh --native   what building and running the Linux program needs, nothing more
#   setup.sh            everything the tests need as well, then builds once the
#                       Windows-side libraries that Debian does not package for mingw-w64
#                       (GoogleTest, libjpeg-turbo) into the prefixes the Windows presets
#                       search
#
# The Windows program is a 32-bit one, so that it starts on 32-bit Windows too; where the
# kernel runs 32-bit programs the tests run it under the 32-bit wine (an i386 package).
# Where it does not (scripts/machine.sh asks it), nothing of i386 is installed: the tests
# run the same sources built as a 64-bit program under the 64-bit wine instead.
#
# A package mirror in the middle of a sync can serve an index that does not match its
# Release file. apt-get update is tried again a few times; an index that still fails is
# a warning. Libraries installed for two architectures must be of one version, and an
# archive seen by one architecture alone would split them: the install then takes what
# it touches at the version that every architecture has, from a newer one back if need
# be, and never removes a package. A package that cannot be had still stops setup, with
# apt's own lines.
# A machine that already has everything installs and builds nothing.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/machine.sh"
jobs=$(nproc)

native=(
  cmake ninja-build g++ pkgconf
  libsdl2-dev libfreetype-dev libfontconfig-dev libjpeg62-turbo-dev libatk1.0-dev libatk-bridge2.0-dev
  fonts-wine
)
tests=(
  libgtest-dev googletest
  mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  wine64 wine xvfb xdotool imagemagick clang clang-format clang-tidy libclang-rt-14-dev dpkg-dev
  fuse3 exfatprogs exfat-fuse ntfs-3g dosfstools fusefat
  samba smbnetfs gvfs-fuse gvfs-backends libglib2.0-bin openssh-server sshfs procps
  file lintian devscripts unzip strace
  at-spi2-core python3-pyatspi dbus x11-xserver-utils
  orca speech-dispatcher speech-dispatcher-espeak-ng speech-dispatcher-audio-plugins espeak-ng libao4
  openbox python3-gi gir1.2-gtk-3.0
)
# The Windows programs the tests build, by mingw-w64's name for each.
triplets=(i686-w64-mingw32)
if sa_runs_32bit; then
  tests+=(wine32:i386)
else
  tests+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix)
  triplets+=(x86_64-w64-mingw32)
fi

packages=("${native[@]}")
if [ "${1:-}" != "--native" ]; then packages+=("${tests[@]}"); fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive

# apt-get update, tried again on failure; what still fails is named and left behind.
apt_updated=0
apt_update() {
  if [ "$apt_updated" -eq 1 ]; then return 0; fi
  apt_updated=1
  local log try tries=${SA_APT_TRIES:-4}
  log=$(mktemp)
  for ((try = 1; ; try++)); do
    # After a failure, proxies are asked for fresh copies rather than the ones they keep.
    local fresh=()
    if [ "$try" -gt 1 ]; then fresh=(-o Acquire::http::No-Cache=true); fi
    if "${sudo[@]}" apt-get update -q "${fresh[@]}" >"$log" 2>&1; then
      rm -f "$log"
      return 0
    fi
    if [ "$try" -ge "$tries" ]; then break; fi
    echo "setup: apt-get update failed (try $try of $tries); trying again in ${SA_APT_PAUSE:-20}s:"
    grep -E '^(E|W):' "$log" | sed 's/^/  /'
    sleep "${SA_APT_PAUSE:-20}"
  done
  echo "setup: warning: after $tries tries apt-get update still fails; going on with the indexes it has:" >&2
  grep -E '^(E|W):' "$log" | sed 's/^/  /' >&2
  rm -f "$log"
}

# An apt preferences file for the install, where some archive has an index for some of
# the machine's architectures and not for the others: such an archive gets priority 1,
# every other one 1001, so that whatever the install touches takes the version that
# every architecture has, back from a newer one if need be. Empty where there is no such
# archive. Its comments name each archive and what it lacks. An archive without a
# codename (a flat repository) cannot be named in a pin and is left as it is.
split_archives_pins() {
  local archs
  archs=$(
    dpkg --print-architecture
    dpkg --print-foreign-architectures
  )
  apt-get indextargets --format '$(SITE) $(RELEASE) $(COMPONENT)|$(ARCHITECTURE)|$(ORIGIN)|$(CODENAME)|$(FILENAME)' \
    'Identifier: Packages' 2>/dev/null |
    awk -F'|' -v archs="$archs" '
      BEGIN { n = split(archs, list, "\n") }
      system("test -e \"" $5 "\"") == 0 { has[$1, $2] = 1 }
      $4 != "" { pin[$1] = "o=" $3 ",n=" $4; seen[$1] = 1 }
      END {
        for (a in seen) {
          some = 0; missing = ""
          for (i = 1; i <= n; i++)
            if (list[i] != "") { if ((a, list[i]) in has) some = 1; else missing = missing " " list[i] }
          if (some && missing != "") { split_found = 1; comment = comment "# " a ": no index for" missing "\n"; low[pin[a]] = 1 }
          else if (some) high[pin[a]] = 1
        }
        if (!split_found) exit
        printf "%s", comment
        for (p in low) printf "\nPackage: *\nPin: release %s\nPin-Priority: 1\n", p
        for (p in high) if (!(p in low)) printf "\nPackage: *\nPin: release %s\nPin-Priority: 1001\n", p
      }'
}

# apt-get install; where an index is missing, with the pins above, taking versions back
# where need be but never removing a package.
apt_install() {
  local pins split options=() status=0
  split=$(split_archives_pins)
  if [ -n "$split" ]; then
    echo "setup: warning: installing the versions that every architecture has, as these lack an index:"
    echo "$split" | sed -n 's/^# /  /p'
    pins=$(mktemp)
    if [ -f /etc/apt/preferences ]; then cat /etc/apt/preferences >"$pins"; fi
    echo "$split" >>"$pins"
    options=(-o "Dir::Etc::Preferences=$pins" --allow-downgrades --no-remove)
  fi
  "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=1200 "${options[@]}" install -y -q "$@" || status=$?
  if [ -n "$split" ]; then rm -f "$pins"; fi
  return "$status"
}

if [[ " ${packages[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg -s "$p" >/dev/null 2>&1; then missing+=("$p"); fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  apt_update
  apt_install "${missing[@]}"
fi

# --native: the packages alone, for building and running the Linux program.
if [ "${1:-}" = "--native" ]; then exit 0; fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# libjpeg-turbo's source, once, from Debian's source package.
jpeg_source() {
  if [ -d "$work/jpeg-src/src" ]; then return 0; fi
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
  mkdir -p "$work/jpeg-src"
  (cd "$work/jpeg-src" && apt-get source -q --download-only libjpeg-turbo >/dev/null \
     && dpkg-source -x ./*.dsc src >/dev/null)
}

for triplet in "${triplets[@]}"; do
  prefix="$HOME/.cache/sistemaarchivio/$triplet"
  toolchain="$root/cmake/$triplet.cmake"
  if [ ! -f "$prefix/lib/libgtest.a" ] || [ ! -f "$prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
    echo "setup: building GoogleTest for $triplet into $prefix"
    cmake -S /usr/src/googletest -B "$work/gtest-$triplet" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_GMOCK=ON -DBUILD_SHARED_LIBS=OFF \
      -Dgtest_disable_pthreads=OFF >/dev/null
    cmake --build "$work/gtest-$triplet" -j "$jobs" >/dev/null
    cmake --install "$work/gtest-$triplet" >/dev/null
  fi
  if [ ! -f "$prefix/lib/libjpeg.a" ] || [ ! -f "$prefix/include/jpeglib.h" ]; then
    echo "setup: building libjpeg-turbo for $triplet into $prefix"
    jpeg_source
    # No SIMD: it needs an assembler that the build machine need not have.
    cmake -S "$work/jpeg-src/src" -B "$work/jpeg-$triplet" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
      -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF -Wno-dev >/dev/null
    cmake --build "$work/jpeg-$triplet" -j "$jobs" >/dev/null
    cmake --install "$work/jpeg-$triplet" >/dev/null
  fi
done
echo "setup: ready"
