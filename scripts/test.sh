#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite headless:
# inside a private X server (software OpenGL) and a private PulseAudio daemon
# with a null sink, both stopped again on exit. Exits with ctest's status.
# QUILLMERE_BUILD_DIR picks another build tree, QUILLMERE_CMAKE_ARGS adds
# (whitespace-separated) arguments to its configuration.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${QUILLMERE_BUILD_DIR:-$ROOT/build}"
JOBS="${QUILLMERE_JOBS:-$(nproc)}"
read -r -a CMAKE_ARGS <<<"${QUILLMERE_CMAKE_ARGS:-}"

bash "$ROOT/scripts/install-deps.sh"

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
export CCACHE_BASEDIR="$ROOT"
# Checkouts in other folders share the cache; debug info then names the
# folder of whichever checkout compiled an object first.
export CCACHE_NOHASHDIR=true
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER_LAUNCHER=ccache ${CMAKE_ARGS[@]+"${CMAKE_ARGS[@]}"}
cmake --build "$BUILD" -j "$JOBS"

RUNTIME="$(mktemp -d /tmp/quillmere-test.XXXXXX)"
chmod 700 "$RUNTIME"
XVFB_PID=""
SOUND_SERVER_PID=""
cleanup() {
  [ -n "$SOUND_SERVER_PID" ] && kill "$SOUND_SERVER_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$RUNTIME"
}
trap cleanup EXIT

# X server: let Xvfb pick a free display number and report it.
exec {DISPLAYFD}<> <(:)
Xvfb -displayfd "$DISPLAYFD" -screen 0 1920x1080x24 -nolisten tcp +extension GLX \
     >"$RUNTIME/xvfb.log" 2>&1 &
XVFB_PID=$!
DISPLAY_NUM=""
for _ in $(seq 1 100); do
  if read -t 0.1 -u "$DISPLAYFD" DISPLAY_NUM; then break; fi
  kill -0 "$XVFB_PID" 2>/dev/null || break
done
if [ -z "$DISPLAY_NUM" ]; then
  echo "Xvfb did not start:" >&2; cat "$RUNTIME/xvfb.log" >&2; exit 1
fi
export DISPLAY=":$DISPLAY_NUM"
unset WAYLAND_DISPLAY

# Sound server: its own runtime folder, a null sink as the default output.
export XDG_RUNTIME_DIR="$RUNTIME"
source "$ROOT/scripts/sound-server.sh"
start_sound_server "$RUNTIME" || exit 1

export LIBGL_ALWAYS_SOFTWARE=1
export QT_QPA_PLATFORM=xcb
status=0
ctest --test-dir "$BUILD" -j "$JOBS" --output-on-failure "$@" || status=$?
exit $status
