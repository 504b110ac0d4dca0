#!/usr/bin/env bash
# Weighs the SCPI server of the program (offscreen, optimised build, its demo Receiver sweeping
# 2400-2450 MHz, some 1000 points) on loopback:
#   round trip  TRAC? TRACE1 as a REAL,32 block, asked back to back: median and p99
#               (target: median <= 2 ms);
#   cpu         the program's user + system time while one client asks that 100 times a second
#               (target: <= 10 % of one core), beside the same time with no client asking.
#
#   scripts/scpi-load.sh [--seconds S] [--rate PER_SECOND] [--queries N] [--baseline S]
#                        [--no-build]
#
# --baseline 0 skips the run without a client; the round-trip figures of the paced run are
# printed too.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=30
rate=100
queries=1000
baseline=30
build=${QV_RELEASE_BUILD_DIR:-build/release}
do_build=1
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --rate) rate=$2; shift 2 ;;
    --queries) queries=$2; shift 2 ;;
    --baseline) baseline=$2; shift 2 ;;
    --no-build) do_build=0; shift ;;
    *) echo "scpi-load: unknown argument $1" >&2; exit 2 ;;
  esac
done

if [ "$do_build" = 1 ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" --target quorvalin >/dev/null
fi

port=$((20000 + RANDOM % 20000))
workdir=$(mktemp -d)
cleanup() {
  if [ -n "${program_pid:-}" ]; then kill "$program_pid" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  rm -rf "$workdir"
}
trap cleanup EXIT

# Settings of its own, so that what an earlier run remembered never changes the load. The
# program's own time limit backs up the trap should this script be killed outright.
limit=$((120 + baseline + seconds + queries / 50))
HOME="$workdir" XDG_CONFIG_HOME="$workdir/config" QV_NO_RADIO_ALERT=1 \
  "$build/app/quorvalin" -platform offscreen --demo --scpi "127.0.0.1:$port" \
  --quit-after "$limit" >"$workdir/program.log" 2>&1 &
program_pid=$!

status=0
timeout "$((limit + 10))" python3 - "$program_pid" "$port" "$seconds" "$rate" "$queries" \
  "$baseline" <<'EOF' || status=$?
import os, socket, statistics, sys, time

pid, port, seconds, rate, queries, baseline = (int(a) for a in sys.argv[1:7])
HZ = os.sysconf("SC_CLK_TCK")


def cpu_seconds():
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / HZ  # utime + stime


def alive():
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


class Client:
    def __init__(self, sock):
        self.sock = sock
        self.buf = bytearray()

    def _fill(self):
        chunk = self.sock.recv(1 << 16)
        if not chunk:
            raise ConnectionError("the program closed the connection")
        self.buf += chunk

    def line(self):
        while b"\n" not in self.buf:
            self._fill()
        i = self.buf.index(b"\n")
        text = bytes(self.buf[:i]).decode()
        del self.buf[:i + 1]
        return text

    def block(self):
        while len(self.buf) < 2:
            self._fill()
        if self.buf[0:1] != b"#":
            raise ValueError(f"no block: {bytes(self.buf[:40])!r}")
        digits = int(chr(self.buf[1]))
        while len(self.buf) < 2 + digits:
            self._fill()
        length = int(self.buf[2:2 + digits])
        end = 2 + digits + length
        while len(self.buf) < end + 1:  # the block, then its LF
            self._fill()
        data = bytes(self.buf[2 + digits:end])
        del self.buf[:end + 1]
        return data

    def send(self, text):
        self.sock.sendall(text.encode() + b"\n")

    def query(self, text):
        self.send(text)
        return self.line()


def wait_for(what, deadline_s, probe):
    end = time.monotonic() + deadline_s
    while time.monotonic() < end:
        if not alive():
            sys.exit(f"scpi-load: the program ended while waiting for {what}")
        value = probe()
        if value is not None:
            return value
        time.sleep(0.5)
    sys.exit(f"scpi-load: timed out after {deadline_s} s waiting for {what}")


def connect():
    try:
        sock = socket.create_connection(("127.0.0.1", port), timeout=10)
    except OSError:
        return None
    sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    return Client(sock)


def sweeping(client):
    try:
        n = int(float(client.query("SWE:POIN?")))
    except (OSError, ValueError):
        return None
    return n if n > 0 else None


client = wait_for("the SCPI server", 60, connect)
# The handshake takes some ten to fifteen seconds before sweeps flow.
wait_for("sweeps", 90, lambda: sweeping(client))
client.send("*CLS;:INIT:CONT ON;:FREQ:STAR 2400 MHZ;STOP 2450 MHZ;:FORM REAL,32;:FORM:BORD NORM")
time.sleep(5)  # sweeps at the new span
points = int(float(client.query("SWE:POIN?")))
error = client.query("SYST:ERR?")
if not error.startswith("0,"):
    sys.exit(f"scpi-load: setting up left an error: {error}")


def ask():
    t = time.perf_counter()
    client.send("TRAC? TRACE1")
    data = client.block()
    elapsed = time.perf_counter() - t
    if len(data) != 4 * points:
        sys.exit(f"scpi-load: a block of {len(data)} bytes, not 4 x {points} points")
    return elapsed


def summary(rtts):
    rtts = sorted(rtts)
    p99 = rtts[min(len(rtts) - 1, int(0.99 * len(rtts)))]
    return statistics.median(rtts) * 1e3, p99 * 1e3, rtts[-1] * 1e3


for _ in range(20):
    ask()  # warm-up
median, p99, worst = summary([ask() for _ in range(queries)])
print(f"points      {points}")
print(f"round trip  median {median:.3f} ms, p99 {p99:.3f} ms, max {worst:.3f} ms over {queries} "
      f"back-to-back queries (target median <= 2 ms){' ok' if median <= 2 else ' ABOVE TARGET'}")


def window(duration, asking):
    """CPU share of one core over `duration` s, asking `rate` times a second if `asking`."""
    rtts = []
    c0, t0 = cpu_seconds(), time.monotonic()
    next_at = t0
    while time.monotonic() < t0 + duration:
        if asking:
            rtts.append(ask())
            next_at += 1 / rate
        else:
            next_at += 0.5
        time.sleep(max(0.0, next_at - time.monotonic()))
    c1, t1 = cpu_seconds(), time.monotonic()
    return 100 * (c1 - c0) / (t1 - t0), rtts


if baseline > 0:
    idle, _ = window(baseline, False)
    print(f"cpu idle    {idle:.1f} % of one core over {baseline} s, sweeping, no queries")
busy, rtts = window(seconds, True)
median, p99, worst = summary(rtts)
print(f"cpu asked   {busy:.1f} % of one core over {seconds} s at {len(rtts) / seconds:.0f} "
      f"queries/s (target <= 10 %){' ok' if busy <= 10 else ' ABOVE TARGET'}"
      + (f"; {busy - idle:+.1f} % against idle" if baseline > 0 else ""))
print(f"paced       median {median:.3f} ms, p99 {p99:.3f} ms, max {worst:.3f} ms")
EOF
if [ "$status" -ne 0 ]; then
  echo "scpi-load: failed ($status); the program said:" >&2
  tail -n 20 "$workdir/program.log" >&2
  exit 1
fi
