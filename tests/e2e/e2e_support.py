"""What the end-to-end Python tests share: failing, waiting with a deadline, children that die
with the test, free ports and reading what a child wrote."""

import ctypes
import signal
import socket
import time


class Failure(Exception):
    pass


def fail(message):
    raise Failure(message)


_libc = ctypes.CDLL(None, use_errno=True)


def die_with_parent():
    # Nothing started here outlives the test, even when the test itself is killed.
    _libc.prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def wait_for(what, deadline_s, probe, interval_s=0.25):
    """Polls probe() until it returns something other than None; fails after deadline_s."""
    end = time.monotonic() + deadline_s
    while True:
        value = probe()
        if value is not None:
            return value
        if time.monotonic() > end:
            fail(f"timed out after {deadline_s} s waiting for {what}")
        time.sleep(interval_s)


def free_port(address):
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind((address, 0))
        return s.getsockname()[1]


def read(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except OSError:
        return ""
