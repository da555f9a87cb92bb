#!/usr/bin/env bash
# Brings a machine from nothing to ready: Debian packages, PCRE2 built for both
# mingw targets. Safe to run again: every step checks before it acts.
set -euo pipefail

cache="${VEXLET_CACHE:-$HOME/.cache/vexlet}"
mkdir -p "$cache"

packages=(
  cmake ninja-build g++ make pkg-config
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine64 fonts-wine xvfb xauth
  libgtest-dev libpcre2-dev
  dpkg-dev lua5.4 python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# PCRE2 for mingw is built from Debian's own source package, so the version
# matches the native libpcre2-dev and nothing is fetched from elsewhere.
build_pcre2() {
  local arch=$1 prefix="$cache/pcre2-$1"
  [ -f "$prefix/.done" ] && return 0
  local src
  src=$(ls -d "$cache"/src/pcre2-*/ 2>/dev/null | head -n1 || true)
  if [ -z "$src" ]; then
    if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
      echo "setup: adding a deb-src entry"
      if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
          > /etc/apt/sources.list.d/vexlet-deb-src.sources
      else
        grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' > /etc/apt/sources.list.d/vexlet-deb-src.list
      fi
      apt-get update -qq
    fi
    mkdir -p "$cache/src"
    # A listed source version is not always served (security pockets often
    # lack sources), so try each one, newest first.
    local v ok=
    for v in $(apt-cache showsrc pcre2 | awk '/^Version:/ {print $2}' | sort -rV); do
      if (cd "$cache/src" && apt-get source --download-only -qq "pcre2=$v" >/dev/null 2>&1); then
        ok=1; break
      fi
    done
    [ -n "$ok" ] || { echo "setup: cannot download the pcre2 source package" >&2; exit 1; }
    (cd "$cache/src" && tar xf pcre2_*.orig.tar.* && rm -f pcre2_*)
    src=$(ls -d "$cache"/src/pcre2-*/ | head -n1)
  fi
  echo "setup: building PCRE2 for $arch"
  local bdir="$cache/build-pcre2-$arch"
  rm -rf "$bdir"
  cmake -S "$src" -B "$bdir" -G Ninja \
    -DCMAKE_SYSTEM_NAME=Windows \
    -DCMAKE_C_COMPILER="$arch-w64-mingw32-gcc" \
    -DCMAKE_RC_COMPILER="$arch-w64-mingw32-windres" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF -DPCRE2_BUILD_PCRE2_8=ON -DPCRE2_BUILD_PCRE2_16=ON \
    -DPCRE2_SUPPORT_UNICODE=ON -DPCRE2_SUPPORT_JIT=ON \
    -DPCRE2_BUILD_PCRE2GREP=OFF -DPCRE2_BUILD_TESTS=OFF >"$bdir.log" 2>&1
  cmake --build "$bdir" >>"$bdir.log" 2>&1
  cmake --install "$bdir" >>"$bdir.log" 2>&1
  rm -rf "$bdir"
  touch "$prefix/.done"
}
build_pcre2 x86_64
build_pcre2 i686
