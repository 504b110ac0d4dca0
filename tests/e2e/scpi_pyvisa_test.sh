#!/usr/bin/env bash
# The program's SCPI server driven by PyVISA (pure-Python backend) over loopback: a sweep's
# trace in ASCII and float32 blocks, the peak marker, the error queue and the event status.
# Usage: scpi_pyvisa_test.sh PATH/TO/quorvalin
set -u
if [ $# -ne 1 ]; then
  echo "usage: scpi_pyvisa_test.sh PATH/TO/quorvalin" >&2
  exit 2
fi
# Debian's own python3, where python3-pyvisa lives, not another one found earlier on PATH.
# Missing is a failure, not a skip.
if ! /usr/bin/python3 -c 'import pyvisa, pyvisa_py' 2>/dev/null; then
  echo "FAIL: /usr/bin/python3 cannot import pyvisa and pyvisa_py:" \
       "install python3-pyvisa python3-pyvisa-py (scripts/setup.sh)" >&2
  exit 1
fi
exec /usr/bin/python3 "$(dirname "$0")/scpi_pyvisa_test.py" "$@"
