#!/usr/bin/env bash
# Installs what is missing, builds and starts Quillmere, optionally opening a
# scene file. Without a display it runs under a virtual X server.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${QUILLMERE_BUILD_DIR:-$ROOT/build}"

bash "$ROOT/scripts/install-deps.sh"
export CCACHE_BASEDIR="$ROOT"
# Checkouts in other folders share the cache; debug info then names the
# folder of whichever checkout compiled an object first.
export CCACHE_NOHASHDIR=true
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
cmake --build "$BUILD" -j "${QUILLMERE_JOBS:-$(nproc)}" --target quillmere

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24 +extension GLX" "$BUILD/source/app/quillmere" "$@"
fi
exec "$BUILD/source/app/quillmere" "$@"
