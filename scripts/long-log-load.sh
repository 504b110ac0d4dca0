#!/usr/bin/env bash
# Replays a long log in the program (offscreen, optimised build) while it is scanned, and prints
# the generator's time, the scan's time, the peak resident memory, and the longest gap between
# turns of the event loop during the scan and over the whole run (what any frame waited at most).
#
#   scripts/long-log-load.sh [--gb GB] [--seconds S] [--speed X] [--log FILE] [--no-build]
#
# The log is made by make_sample_log --long (kept when --log names an existing file); it plays at
# --speed (256 by default) for --seconds (20).
set -euo pipefail
cd "$(dirname "$0")/.."

gb=2
seconds=20
speed=256
log=
build=${QV_RELEASE_BUILD_DIR:-build/release}
do_build=1
while [ $# -gt 0 ]; do
  case "$1" in
    --gb) gb=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --speed) speed=$2; shift 2 ;;
    --log) log=$2; shift 2 ;;
    --no-build) do_build=0; shift ;;
    *) echo "long-log-load: unknown argument $1" >&2; exit 2 ;;
  esac
done

if [ "$do_build" = 1 ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=ON >/dev/null
  cmake --build "$build" --target quorvalin make_sample_log >/dev/null
fi

workdir=$(mktemp -d)
cleanup() {
  kill "${program_pid:-}" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$workdir"
}
trap cleanup EXIT
if [ -z "$log" ]; then log="$workdir/night.zn"; fi
if [ ! -s "$log" ]; then
  start=$(date +%s.%N)
  "$build/tests/make_sample_log" --long "$log" "$gb"
  echo "generator: $(stat -c %s "$log") bytes in $(echo "$(date +%s.%N) - $start" | bc) s"
fi
cat "$log" >/dev/null  # into the page cache, as a log just recorded would be

export XDG_CONFIG_HOME="$workdir/config" HOME="$workdir" QV_NO_RADIO_ALERT=1
QT_LOGGING_RULES="quorvalin.frames.debug=true" "$build/app/quorvalin" -platform offscreen \
  --replay "$log" --replay-speed "$speed" --quit-after "$seconds" >"$workdir/out.txt" \
  2>"$workdir/err.txt" &
program_pid=$!
peak=0
while kill -0 "$program_pid" 2>/dev/null; do
  rss=$(awk '/^VmHWM:/ {print $2}' "/proc/$program_pid/status" 2>/dev/null || echo 0)
  [ -n "$rss" ] && [ "$rss" -gt "$peak" ] && peak=$rss
  sleep 0.2
done
wait "$program_pid" || true
program_pid=

echo "log: $(stat -c %s "$log") bytes, played at $speed for $seconds s"
grep -E "log scanned|longest gap between" "$workdir/err.txt" | sed 's/^/quorvalin: /' || true
grep -v -E "quorvalin.frames|longest gap" "$workdir/err.txt" | head -5 || true
echo "peak resident memory: $((peak / 1024)) MB (target 120 MB)"
