#!/usr/bin/env bash
# Streams the simulated Receiver over loopback TCP into the program (offscreen, optimised build)
# and prints the share of the offered stream the program took and the CPU it used.
#
#   scripts/streaming-load.sh [--rate BYTES_PER_SECOND] [--seconds S] [--warmup S]
#                             [--block-size N] [--open WINDOW]... [--no-build]
#
# The share is what the program's socket received in the measured window over rate × time;
# the CPU is the program's user + system time over the same window, in % of one core.
set -euo pipefail
cd "$(dirname "$0")/.."

rate=2000000
seconds=30
warmup=5
block_size=250
build=${QV_RELEASE_BUILD_DIR:-build/release}
do_build=1
open=()
while [ $# -gt 0 ]; do
  case "$1" in
    --rate) rate=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --warmup) warmup=$2; shift 2 ;;
    --block-size) block_size=$2; shift 2 ;;
    --open) open+=(--open "$2"); shift 2 ;;
    --no-build) do_build=0; shift ;;
    *) echo "streaming-load: unknown argument $1" >&2; exit 2 ;;
  esac
done

if [ "$do_build" = 1 ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" --target quorvalin quorvalin-sim >/dev/null
fi

# A port of our own on a loopback address of our own, so parallel runs do not meet.
address=127.0.0.$((20 + RANDOM % 200))
port=$((20000 + RANDOM % 20000))
workdir=$(mktemp -d)
cleanup() {
  kill "${program_pid:-}" "${sim_pid:-}" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$workdir"
}
trap cleanup EXIT

"$build/tools/sim/quorvalin-sim" --tcp "$address:$port" --rate "$rate" \
  --block-size "$block_size" >"$workdir/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do
  grep -q "serving TCP" "$workdir/sim.log" && break
  if ! kill -0 "$sim_pid" 2>/dev/null; then
    echo "streaming-load: the simulator did not start:" >&2
    cat "$workdir/sim.log" >&2
    exit 1
  fi
  sleep 0.1
done

# Settings of its own, so that what an earlier run remembered (spectrum, window) never changes
# the load; QV_LOAD_VIEW_OFF=1 switches the frequency axis off, to weigh it, and
# QV_LOAD_DENSITY=1 switches the density view on.
mkdir -p "$workdir/config/Wendloch"
{
  echo '[View]'
  if [ "${QV_LOAD_VIEW_OFF:-0}" = 1 ]; then echo 'FrequencyAxis=false'; fi
  if [ "${QV_LOAD_DENSITY:-0}" = 1 ]; then echo 'Density=true'; fi
} >"$workdir/config/Wendloch/Quorvalin.ini"
XDG_CONFIG_HOME="$workdir/config" QV_NO_RADIO_ALERT=1 QT_QPA_PLATFORM=offscreen \
  "$build/app/quorvalin" --connect "tcp://$address:$port" "${open[@]}" >"$workdir/program.log" 2>&1 &
program_pid=$!

# Bytes the program's end of the connection has received so far.
received() {
  ss -tinH state established "dst $address:$port" 2>/dev/null |
    grep -o 'bytes_received:[0-9]*' | head -1 | cut -d: -f2 || true
}
# User + system clock ticks of the program.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$program_pid/stat"; }
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$program_pid/status"; }

# The handshake holds its progress texts for about 15 s before the first sweep is asked for;
# the warm-up starts once the stream flows.
for _ in $(seq 600); do
  flowing=$(received); flowing=${flowing:-0}
  [ "$flowing" -gt 100000 ] && break
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.1
done
sleep "$warmup"
if ! kill -0 "$program_pid" 2>/dev/null; then
  echo "streaming-load: the program ended early:" >&2
  cat "$workdir/program.log" >&2
  exit 1
fi
bytes0=$(received); bytes0=${bytes0:-0}
ticks0=$(cpu_ticks)
rss0=$(rss_kb)
t0=$(date +%s.%N)
rss_max=$rss0
for _ in $(seq "$seconds"); do
  sleep 1
  rss=$(rss_kb)
  [ "$rss" -gt "$rss_max" ] && rss_max=$rss
done
bytes1=$(received); bytes1=${bytes1:-0}
ticks1=$(cpu_ticks)
rss1=$(rss_kb)
t1=$(date +%s.%N)

hz=$(getconf CLK_TCK)
awk -v b0="$bytes0" -v b1="$bytes1" -v k0="$ticks0" -v k1="$ticks1" -v t0="$t0" -v t1="$t1" \
  -v hz="$hz" -v rate="$rate" -v r0="$rss0" -v r1="$rss1" -v rmax="$rss_max" 'BEGIN {
  dt = t1 - t0
  printf "offered     %.0f bytes/s for %.1f s\n", rate, dt
  printf "taken       %.0f bytes/s (%.1f %% of the stream)\n", (b1 - b0) / dt, 100 * (b1 - b0) / (rate * dt)
  printf "cpu         %.1f %% of one core\n", 100 * (k1 - k0) / hz / dt
  printf "rss         %.1f MB at start, %.1f MB at end, %.1f MB at most\n", r0 / 1024, r1 / 1024, rmax / 1024
}'
