#!/usr/bin/env bash
# Configures (once) and builds one or more presets: native, native-release, win64, win32.
# Runs the machine set-up first when its stamp is missing or older than the script.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache="${VEXLET_CACHE:-$HOME/.cache/vexlet}"
stamp="$cache/setup.stamp"
if [ ! -f "$stamp" ] || [ "$root/tools/setup.sh" -nt "$stamp" ]; then
  bash "$root/tools/setup.sh"
  mkdir -p "$cache" && touch "$stamp"
fi
[ $# -gt 0 ] || set -- win64
jobs="${VEXLET_JOBS:-2}"
for preset in "$@"; do
  if [ ! -f "$root/build/$preset/build.ninja" ]; then
    cmake --preset "$preset" -S "$root" >/dev/null
  fi
  cmake --build "$root/build/$preset" -j "$jobs"
done
