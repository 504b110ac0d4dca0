#!/usr/bin/env bash
# quorvalin-recorder scraped by a real Prometheus server: the recorder is up and counts sweeps,
# the channel utilisation scraped at an instant is what quorvalin-log finds in the recorded file
# up to then, and SIGTERM ends the recorder with status 0 and a finished log.
# Usage: recorder_prometheus_test.sh PATH/TO/quorvalin-recorder PATH/TO/quorvalin-sim
#                                    PATH/TO/quorvalin-log
set -u
if [ $# -ne 3 ]; then
  echo "usage: recorder_prometheus_test.sh RECORDER SIM LOG" >&2
  exit 2
fi
# Missing is a failure, not a skip.
if ! command -v prometheus >/dev/null 2>&1; then
  echo "FAIL: prometheus not found on PATH: install it (scripts/setup.sh)" >&2
  exit 1
fi
exec python3 "$(dirname "$0")/recorder_prometheus_test.py" "$@"
