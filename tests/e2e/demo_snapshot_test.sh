#!/usr/bin/env bash
# Runs the real program headless against its built-in simulated Receiver and checks that it
# ends by itself with exit code 0, leaves a PNG picture behind and prints only its own lines:
# nothing on standard error, not even what the offscreen platform says about itself.
# Usage: demo_snapshot_test.sh PATH/TO/quorvalin
set -u
program=${1:?usage: demo_snapshot_test.sh PATH/TO/quorvalin}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
snapshot="$work/snapshot.png"
# Settings of our own, so the run neither reads nor changes the user's.
export XDG_CONFIG_HOME="$work/config"
export HOME="$work"

# Bounded twice: the program's own --quit-after, and timeout in case it hangs anyway.
timeout 60 "$program" -platform offscreen --demo --snapshot "$snapshot" --quit-after 12 \
  --print-pdf "$work/graph.pdf" --print-colors econo >"$work/out.txt" 2>"$work/err.txt"
code=$?
cat "$work/out.txt"
if [ "$code" -ne 0 ]; then
  echo "FAIL: quorvalin exited with $code" >&2
  cat "$work/err.txt" >&2
  exit 1
fi
if [ -s "$work/err.txt" ] || grep -v '^quorvalin: ' "$work/out.txt"; then
  echo "FAIL: a quiet run printed more than its own lines:" >&2
  cat "$work/err.txt" >&2
  exit 1
fi
if [ ! -s "$snapshot" ]; then
  echo "FAIL: no snapshot at $snapshot" >&2
  exit 1
fi
magic=$(head -c 8 "$snapshot" | od -An -tx1 | tr -d ' \n')
if [ "$magic" != "89504e470d0a1a0a" ]; then
  echo "FAIL: $snapshot is not a PNG (starts with $magic)" >&2
  exit 1
fi
if [ "$(head -c 4 "$work/graph.pdf" 2>/dev/null)" != "%PDF" ]; then
  echo "FAIL: no PDF printed at $work/graph.pdf" >&2
  exit 1
fi
echo "PASS: snapshot of $(stat -c %s "$snapshot") bytes and a printed PDF"
