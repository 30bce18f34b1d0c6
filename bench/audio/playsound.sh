#!/usr/bin/env bash
# Runs a program beside a private sound server whose default output is a null
# sink, as the tests have it, and says the machine's load first, e.g.
#   bash bench/audio/playsound.sh build/bench/bench_playsound
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
RUNTIME="$(mktemp -d /tmp/quillmere-sound.XXXXXX)"
chmod 700 "$RUNTIME"
SOUND_SERVER_PID=""
cleanup() {
  [ -n "$SOUND_SERVER_PID" ] && kill "$SOUND_SERVER_PID" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$RUNTIME"
}
trap cleanup EXIT
source "$ROOT/scripts/sound-server.sh"
start_sound_server "$RUNTIME"
uptime
"$@"
