#!/usr/bin/env bash
# Feeds quorvalin-recorder (optimised build) from the simulated Receiver over loopback TCP for a
# long run, with rotation, pruning and the metrics endpoint on, and reports what it costs.
#
#   scripts/recorder-soak.sh [--rate BYTES_PER_SECOND] [--minutes M] [--warmup S] [--no-build]
#
# Every 10 s after the warm-up it samples the recorder's CPU (user + system time over the
# interval, in % of one core) and resident memory (VmRSS). At the end: CPU over the first and
# the last minute and overall, RSS at start, end and most, the bytes taken and recorded against
# those offered, the files written and kept, and the sweeps counted, beside the targets.
# QV_RELEASE_BUILD_DIR names the build directory (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."

rate=2000000
minutes=30
warmup=10
build=${QV_RELEASE_BUILD_DIR:-build/release}
do_build=1
while [ $# -gt 0 ]; do
  case "$1" in
    --rate) rate=$2; shift 2 ;;
    --minutes) minutes=$2; shift 2 ;;
    --warmup) warmup=$2; shift 2 ;;
    --no-build) do_build=0; shift ;;
    -h | --help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "recorder-soak: unknown argument $1" >&2; exit 2 ;;
  esac
done
case "$rate$minutes$warmup" in
  *[!0-9]*) echo "recorder-soak: --rate, --minutes and --warmup take whole numbers" >&2; exit 2 ;;
esac
[ "$minutes" -ge 1 ] || { echo "recorder-soak: --minutes must be at least 1" >&2; exit 2; }

targets=(quorvalin-recorder quorvalin-sim quorvalin-log)
if [ "$do_build" = 1 ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" --target "${targets[@]}" >/dev/null
fi
recorder_bin=$build/tools/recorder/quorvalin-recorder
sim_bin=$build/tools/sim/quorvalin-sim
log_bin=$build/tools/log/quorvalin-log
for b in "$recorder_bin" "$sim_bin" "$log_bin"; do
  [ -x "$b" ] || { echo "recorder-soak: $b is not built" >&2; exit 1; }
done

# A loopback address of our own and ports the programs pick, so parallel runs do not meet.
address=127.$((1 + RANDOM % 254)).$((RANDOM % 256)).$((2 + RANDOM % 250))
workdir=$(mktemp -d)
sim_pid=
recorder_pid=
cleanup() {
  for pid in $recorder_pid $sim_pid; do kill "$pid" 2>/dev/null || true; done
  for pid in $recorder_pid $sim_pid; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Waits up to $1 seconds for the pattern $2 in the file $3 from the process $4; prints the match.
said() {
  local found
  for _ in $(seq $(($1 * 10))); do
    found=$(sed -n "s/$2/\1/p" "$3" | head -1)
    if [ -n "$found" ]; then echo "$found"; return 0; fi
    kill -0 "$4" 2>/dev/null || break
    sleep 0.1
  done
  echo "recorder-soak: no '$2' from $(basename "$3" .txt):" >&2
  cat "$3" >&2
  return 1
}

"$sim_bin" --tcp "$address:0" --rate "$rate" >"$workdir/sim.txt" 2>&1 &
sim_pid=$!
sim_port=$(said 10 '.*serving TCP on [0-9.]*:\([0-9]*\).*' "$workdir/sim.txt" "$sim_pid")

mkdir "$workdir/logs"
"$recorder_bin" --connect "tcp://$address:$sim_port" --log-dir "$workdir/logs" \
  --rotate 100M --keep 500M --metrics "$address:0" >"$workdir/recorder.txt" 2>&1 &
recorder_pid=$!
metrics_port=$(said 10 '.*Metrics on http:\/\/[0-9.]*:\([0-9]*\)\/metrics.*' \
  "$workdir/recorder.txt" "$recorder_pid")

# One metric's value from the recorder's endpoint (no proxy: loopback only).
metric() {
  python3 - "http://$address:$metrics_port/metrics" "$1" <<'EOF'
import sys, urllib.request
opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
text = opener.open(sys.argv[1], timeout=5).read().decode()
for line in text.splitlines():
    name, _, value = line.partition(" ")
    if name == sys.argv[2]:
        print(value)
        break
EOF
}
# Bytes the recorder's end of the connection has received so far.
received() {
  ss -tinH state established "dst $address:$sim_port" 2>/dev/null |
    grep -o 'bytes_received:[0-9]*' | head -1 | cut -d: -f2 || true
}
ticks_of() { awk '{print $14 + $15}' "/proc/$1/stat"; }
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$recorder_pid/status"; }
now() { date +%s.%N; }
alive() {
  kill -0 "$recorder_pid" 2>/dev/null && return 0
  echo "recorder-soak: the recorder ended early:" >&2
  cat "$workdir/recorder.txt" >&2
  exit 1
}

# The handshake takes some ten seconds before the first sweep is asked for.
flowing=0
for _ in $(seq 600); do
  flowing=$(received); flowing=${flowing:-0}
  [ "$flowing" -gt 100000 ] && break
  alive
  sleep 0.1
done
if [ "$flowing" -le 100000 ]; then
  echo "recorder-soak: no stream after 60 s:" >&2
  cat "$workdir/recorder.txt" >&2
  exit 1
fi
sleep "$warmup"
alive

hz=$(getconf CLK_TCK)
samples="$workdir/samples.txt"  # seconds since start, ticks, RSS kB, sim ticks
t0=$(now)
bytes0=$(received)
logged0=$(metric quorvalin_log_bytes_written_total)
sweeps0=$(metric quorvalin_sweeps_total)
echo "0 $(ticks_of "$recorder_pid") $(rss_kb) $(ticks_of "$sim_pid")" >"$samples"
# Rotation begins files without a word, and pruning deletes them: every name seen is kept here.
seen_files() { find "$workdir/logs" -name 'quorvalin-*.kzq' -printf '%f\n' >>"$workdir/names.txt"; }
seen_files
echo "recorder-soak: $rate bytes/s for $minutes min on $address (build $build)"
for i in $(seq $((minutes * 6))); do
  # Sampled on a fixed grid, so a slow sample does not shift the later ones.
  pause=$(awk -v t0="$t0" -v now="$(now)" -v i="$i" 'BEGIN { d = t0 + 10 * i - now; printf "%.3f\n", (d > 0 ? d : 0) }')
  sleep "$pause"
  alive
  t=$(awk -v t0="$t0" -v now="$(now)" 'BEGIN { printf "%.3f", now - t0 }')
  echo "$t $(ticks_of "$recorder_pid") $(rss_kb) $(ticks_of "$sim_pid")" >>"$samples"
  seen_files
  tail -2 "$samples" | awk -v hz="$hz" 'NR == 1 { t = $1; k = $2 } NR == 2 {
    printf "  %3d:%02d  cpu %5.1f %%  rss %5.1f MB\n", int($1 / 60), int($1) % 60,
      100 * ($2 - k) / hz / ($1 - t), $3 / 1024 }'
done
t1=$(now)
bytes1=$(received)
logged1=$(metric quorvalin_log_bytes_written_total)
sweeps1=$(metric quorvalin_sweeps_total)
reconnects=$(metric quorvalin_reconnects_total)
write_errors=$(metric quorvalin_log_write_errors_total)

# The recorder ends on SIGTERM with its last log closed.
kill -TERM "$recorder_pid"
code=timeout
for _ in $(seq 150); do
  if ! kill -0 "$recorder_pid" 2>/dev/null; then
    code=0; wait "$recorder_pid" || code=$?
    recorder_pid=
    break
  fi
  sleep 0.1
done
seen_files
written=$(sort -u "$workdir/names.txt" | wc -l)
kept=$(find "$workdir/logs" -name 'quorvalin-*.kzq' | wc -l)
kept_bytes=$(find "$workdir/logs" -name 'quorvalin-*.kzq' -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')
last=$(find "$workdir/logs" -name 'quorvalin-*.kzq' | sort | tail -1)
finished=no
if [ -n "$last" ] && "$log_bin" info "$last" 2>/dev/null | grep -q '^End record: yes'; then
  finished=yes
fi

awk -v hz="$hz" -v rate="$rate" -v b0="${bytes0:-0}" -v b1="${bytes1:-0}" \
  -v l0="${logged0:-0}" -v l1="${logged1:-0}" -v s0="${sweeps0:-0}" -v s1="${sweeps1:-0}" \
  -v t0="$t0" -v t1="$t1" -v written="$written" -v kept="$kept" -v kept_bytes="$kept_bytes" \
  -v reconnects="${reconnects:-?}" -v errors="${write_errors:-?}" -v code="$code" \
  -v finished="$finished" '
  { t[NR] = $1; k[NR] = $2; r[NR] = $3; sk[NR] = $4; n = NR }
  function cpu(a, b) { return 100 * (k[b] - k[a]) / hz / (t[b] - t[a]) }
  function mean_rss(a, b,   i, s) { for (i = a; i <= b; ++i) s += r[i]; return s / (b - a + 1) / 1024 }
  function verdict(ok) { return ok ? "ok" : "OVER" }
  END {
    m = n - 1 < 6 ? n - 1 : 6  # intervals in a minute
    first = cpu(1, 1 + m); last_ = cpu(n - m, n); all = cpu(1, n)
    rmax = 0; for (i = 1; i <= n; ++i) if (r[i] > rmax) rmax = r[i]
    growth = mean_rss(n - m, n) - mean_rss(1, 1 + m)
    dt = t1 - t0
    printf "cpu         first minute %.2f %%, last minute %.2f %%, overall %.2f %% of one core" \
           "   (target <= 5 %%: %s)\n", first, last_, all, verdict(first <= 5 && last_ <= 5 && all <= 5)
    printf "rss         %.1f MB at start, %.1f MB at end, %.1f MB at most" \
           "   (target <= 40 MB: %s)\n", r[1] / 1024, r[n] / 1024, rmax / 1024, verdict(rmax / 1024 <= 40)
    printf "rss growth  %+.2f MB, last minute mean against first" \
           "   (target none, under 1 MB: %s)\n", growth, verdict(growth < 1)
    printf "offered     %.0f bytes/s for %.1f s = %.0f bytes\n", rate, dt, rate * dt
    printf "taken       %.0f bytes (%.1f %% of the offered)\n", b1 - b0, 100 * (b1 - b0) / (rate * dt)
    printf "recorded    %.0f bytes into the logs (%.1f %% of the offered)\n", l1 - l0, 100 * (l1 - l0) / (rate * dt)
    printf "files       %d written, %d kept (%.1f MB)\n", written, kept, kept_bytes / 1048576
    printf "sweeps      %.0f counted in the window (%.1f per second), %.0f in all\n", s1 - s0, (s1 - s0) / dt, s1
    printf "simulator   %.1f %% of one core\n", 100 * (sk[n] - sk[1]) / hz / (t[n] - t[1])
    printf "recorder    %s reconnects, %s log write errors; exit %s on SIGTERM, last log finished: %s\n",
           reconnects, errors, code, finished
  }' "$samples"
