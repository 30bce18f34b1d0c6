# Sourced by the scripts that play sound headless.
# start_sound_server DIR starts a private PulseAudio daemon whose socket lives
# in DIR/pulse, with a null sink (quillmere_null) as its default output, and
# exports PULSE_SERVER for it; SOUND_SERVER_PID is the daemon's process. It
# returns 1, having said why, when the daemon does not start.
start_sound_server() {
  local dir="$1"
  mkdir -p "$dir/pulse"
  XDG_RUNTIME_DIR="$dir" pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit \
             --use-pid-file=no --system=no -n \
             --load="module-native-protocol-unix socket=$dir/pulse/native auth-anonymous=1" \
             --load="module-null-sink sink_name=quillmere_null" \
             --load="module-always-sink" \
             >"$dir/pulse.log" 2>&1 &
  SOUND_SERVER_PID=$!
  export PULSE_SERVER="unix:$dir/pulse/native"
  for _ in $(seq 1 100); do
    [ -S "$dir/pulse/native" ] && break
    kill -0 "$SOUND_SERVER_PID" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -S "$dir/pulse/native" ]; then
    echo "PulseAudio did not start:" >&2; cat "$dir/pulse.log" >&2; return 1
  fi
}
