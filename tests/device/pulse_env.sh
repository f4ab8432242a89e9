# Sourced by the real-device tests: a private PulseAudio server with a null
# sink "sonavue_null" as the default sink and its monitor as the default
# source, reached by PortAudio's ALSA default device through the pulse
# plugin. Defines skip, and work (a private folder removed at exit).
skip() { echo "SKIPPED: $*"; exit 77; }

command -v pulseaudio >/dev/null || skip "pulseaudio is not installed"
command -v pactl >/dev/null && command -v paplay >/dev/null || skip "pulseaudio-utils is not installed"
[[ -e /usr/share/alsa/alsa.conf.d/pulse.conf || -e /etc/alsa/conf.d/99-pulse.conf ]] ||
  skip "the ALSA pulse plugin (libasound2-plugins) is not installed"

work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime HOME=$work/home PULSE_RUNTIME_PATH=$work/runtime/pulse
mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
background=()
cleanup() {
  for pid in "${background[@]}"; do kill "$pid" 2>/dev/null; done
  pulseaudio --kill >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# The sink runs at 48 kHz mono so that 48 kHz mono files pass unchanged.
# A test that kills the server starts it again with this.
start_sound_server() {
  pulseaudio -n --daemonize=yes --exit-idle-time=-1 --system=no --disallow-exit \
    --load=module-native-protocol-unix \
    --load="module-null-sink sink_name=sonavue_null rate=48000 channels=1" \
    >"$work/pulse.log" 2>&1 || skip "the sound server did not start: $(tail -n 2 "$work/pulse.log")"
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl info >/dev/null 2>&1 || skip "the sound server does not answer"
  pactl set-default-sink sonavue_null
  pactl set-default-source sonavue_null.monitor
}
start_sound_server
printf 'pcm.!default { type pulse }\nctl.!default { type pulse }\n' >"$HOME/.asoundrc"

# Lines of a program's standard error without the sound libraries' chatter.
quiet_errors() { grep -v -E "^ALSA lib|[Jj]ack|Cannot connect|^$" "$1" || true; }

# Waits (up to 15 s) until n programs record from the server, so that what
# is played next is heard from its start.
wait_for_recorders() {
  for _ in $(seq 150); do
    [[ $(pactl list short source-outputs 2>/dev/null | wc -l) -ge $1 ]] && return 0
    sleep 0.1
  done
  return 1
}
