#!/usr/bin/python3
"""The program's SCPI server driven by PyVISA, as a bench script would drive an instrument.

The real program runs headless against its built-in simulated Receiver with --scpi on loopback;
PyVISA's pure-Python backend talks to it as a raw TCP socket resource. After a single sweep the
trace read as ASCII, as big-endian float32 and as little-endian float32 must hold the same
levels; the peak marker must sit at the trace's maximum, and on the demo's steady 915 MHz carrier; an unknown
command must reach the error queue and the event status; SIGTERM must still end the program
with status 0 while a client is connected.

Usage: scpi_pyvisa_test.py PATH/TO/quorvalin
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

import pyvisa

from e2e_support import Failure, die_with_parent, fail, free_port, read, wait_for

DEMO_SERIAL = "100123"
DEMO_FIRMWARE = "1.05"
START_HZ = 2.400e9
STOP_HZ = 2.450e9
CARRIER_HZ = (914.5e6, 915.5e6)  # the demo's steady carrier; Wi-Fi bursts and a hopper move
ASCII_TOLERANCE_DB = 1 / 16


def numbers(text, what):
    try:
        return [float(v) for v in text.strip().split(",")]
    except ValueError:
        fail(f"{what} is not a list of numbers: {text[:200]!r}")


def open_instrument(rm, port, process):
    """The session once the server accepts and answers *IDN?; None while it does not yet."""
    if process.poll() is not None:
        return False
    try:
        inst = rm.open_resource(f"TCPIP::127.0.0.1::{port}::SOCKET",
                                read_termination="\n", write_termination="\n", timeout=3000)
    except (pyvisa.Error, OSError):
        return None
    # pyvisa-py connects lazily: a refused connection shows on the first write.
    try:
        inst.query("*IDN?")
        return inst
    except (pyvisa.Error, OSError):
        inst.close()
        return None


def run(program, work, processes):
    env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"), LC_ALL="C")
    rm = pyvisa.ResourceManager("@py")

    # The port is free when picked but may be taken before the program listens: then again.
    inst = None
    for attempt in range(3):
        port = free_port("127.0.0.1")
        name = f"quorvalin{attempt}"
        with open(os.path.join(work, name + ".txt"), "w") as out:
            process = subprocess.Popen(
                [program, "-platform", "offscreen", "--demo", "--scpi", f"127.0.0.1:{port}",
                 "--quit-after", "120"],
                stdout=out, stderr=subprocess.STDOUT, env=env, cwd=work,
                preexec_fn=die_with_parent)
        processes[name] = process
        inst = wait_for("the SCPI server to answer *IDN?", 30,
                        lambda: open_instrument(rm, port, process))
        if inst:
            break
    if not inst:
        fail(f"the program never served SCPI on 127.0.0.1 (exit status {process.returncode})")

    def points():
        if process.poll() is not None:
            fail(f"the program ended with {process.returncode}")
        try:
            n = int(float(inst.query("SWE:POIN?")))
        except (pyvisa.Error, OSError, ValueError):
            return None
        return n if n > 0 else None
    # The handshake takes some ten seconds before the first sweep.
    wait_for("sweeps (SWE:POIN? > 0)", 60, points, interval_s=0.5)

    inst.write("*CLS")
    fields = inst.query("*IDN?").strip().split(",")
    if len(fields) != 4 or fields[0] != "Quorvalin" or fields[2] != DEMO_SERIAL \
            or not re.fullmatch(re.escape(DEMO_FIRMWARE) + r"/\S+", fields[3]):
        fail(f"*IDN? answered {fields}, not Quorvalin,<model>,{DEMO_SERIAL},"
             f"{DEMO_FIRMWARE}/<version>")

    # One line, the second header relative to the first (FREQ:).
    inst.write("FREQ:STAR 2400 MHZ;STOP 2450 MHZ")
    start = float(inst.query("FREQ:STAR?"))
    stop = float(inst.query("SENSe:FREQuency:STOP?"))
    if (start, stop) != (START_HZ, STOP_HZ):
        fail(f"FREQ:STAR?/STOP? read back {start:.0f}/{stop:.0f} Hz after 2400/2450 MHz")

    # A single sweep at the new settings; nothing changes the trace after it.
    inst.write("INIT:CONT OFF")
    inst.write("INIT")
    inst.timeout = 30000
    opc = inst.query("*OPC?").strip()
    inst.timeout = 5000
    if opc != "1":
        fail(f"*OPC? after INIT answered {opc!r}, not 1")

    n = int(float(inst.query("SWE:POIN?")))
    freqs = numbers(inst.query("FREQ:DATA?"), "FREQ:DATA?")
    inst.write("FORM ASC")
    ascii_levels = numbers(inst.query("TRAC? TRACE1"), "TRAC? TRACE1 in ASCII")
    inst.write("FORM REAL,32")
    big = inst.query_binary_values("TRAC? TRACE1", datatype="f", is_big_endian=True)
    inst.write("FORM:BORD SWAP")
    little = inst.query_binary_values("TRAC:DATA? TRACE1", datatype="f", is_big_endian=False)
    inst.write("FORM:BORD NORM;:FORM ASC")
    if not (len(freqs) == len(ascii_levels) == len(big) == len(little) == n):
        fail(f"SWE:POIN? {n}, FREQ:DATA? {len(freqs)} values, TRAC? {len(ascii_levels)} in "
             f"ASCII, {len(big)} big-endian, {len(little)} little-endian")
    step = (STOP_HZ - START_HZ) / (n - 1)
    if abs(freqs[0] - START_HZ) > step or abs(freqs[-1] - STOP_HZ) > step \
            or any(b <= a for a, b in zip(freqs, freqs[1:])):
        fail(f"FREQ:DATA? does not rise from 2400 to 2450 MHz: {freqs[0]:.0f} .. {freqs[-1]:.0f}")
    if big != little:
        first = next(i for i, (a, b) in enumerate(zip(big, little)) if a != b)
        fail(f"point {first}: {big[first]} big-endian, {little[first]} with FORM:BORD SWAP")
    for i, (a, b) in enumerate(zip(ascii_levels, big)):
        if not abs(a - b) <= ASCII_TOLERANCE_DB:
            fail(f"point {i}: {a} dBm in ASCII, {b} dBm in REAL,32")
    top = max(big)
    if not -150 < top < 30:
        fail(f"the trace's maximum {top} dBm is no level a Receiver reports")

    inst.write("CALC:MARK1:STAT ON;MAX")
    x = float(inst.query("CALC:MARK1:X?"))
    y = float(inst.query("CALC:MARK1:Y?"))
    if not abs(y - top) <= ASCII_TOLERANCE_DB:
        fail(f"the peak marker reads {y} dBm, the trace's maximum is {top} dBm")
    at = min(range(n), key=lambda i: abs(freqs[i] - x))
    if not abs(big[at] - top) <= ASCII_TOLERANCE_DB:
        fail(f"the peak marker's frequency {x:.0f} Hz is point {at} at {big[at]} dBm, "
             f"not the maximum {top} dBm")

    # The 2.4 GHz band's highest point moves from sweep to sweep; the 900 MHz carrier stays.
    # Another band, by start and stop on one line.
    inst.write("FREQ:STAR 905 MHZ;STOP 925 MHZ")
    inst.write("INIT")
    inst.timeout = 30000
    inst.query("*OPC?")
    inst.write("INIT")
    inst.query("*OPC?")
    inst.timeout = 5000
    inst.write("CALC:MARK1:MAX")
    x = float(inst.query("CALC:MARK1:X?"))
    if not CARRIER_HZ[0] <= x <= CARRIER_HZ[1]:
        fail(f"the peak marker is at {x / 1e6:.3f} MHz, not on the carrier "
             f"{CARRIER_HZ[0] / 1e6:.1f}-{CARRIER_HZ[1] / 1e6:.1f} MHz")

    # A file that is there already is never emptied from the network.
    taken = os.path.join(work, "taken.icf")
    with open(taken, "wb") as f:
        f.write(b"kept")
    inst.write("MMEM:STOR:CAPT 'taken.icf'")
    refused = inst.query("SYST:ERR?").strip()
    if not refused.startswith("-221,"):
        fail(f"a capture into an existing file answered {refused!r}, not -221,...")
    with open(taken, "rb") as f:
        if f.read() != b"kept":
            fail("a remote capture emptied a file that was there already")

    inst.write("*XYZ")
    error = inst.query("SYST:ERR?").strip()
    if not error.startswith("-113,"):
        fail(f"SYST:ERR? after *XYZ answered {error!r}, not -113,...")
    after = inst.query("SYST:ERR?").strip()
    if not after.startswith("0,"):
        fail(f"the error queue still held {after!r} after its only error was read")
    esr = int(float(inst.query("*ESR?")))
    if not esr & 32:
        fail(f"*ESR? answered {esr} after *XYZ: the command error bit (32) is not set")
    esr = int(float(inst.query("*ESR?")))
    if esr & 32:
        fail(f"*ESR? answered {esr} again: reading it did not clear it")

    # Ending with a client still connected.
    process.send_signal(signal.SIGTERM)
    try:
        code = process.wait(timeout=15)
    except subprocess.TimeoutExpired:
        fail("the program did not end within 15 s of SIGTERM with a client connected")
    inst.close()
    if code != 0:
        fail(f"the program exited with {code} after SIGTERM")
    return (f"{n} points, peak {top:.2f} dBm at {x / 1e6:.3f} MHz, ASCII and both byte orders "
            f"agree, error -113 queued and flagged")


def main():
    if len(sys.argv) != 2:
        print("usage: scpi_pyvisa_test.py PATH/TO/quorvalin", file=sys.stderr)
        return 2
    # ctest's time-out ends the test with SIGTERM: clean up as after any failure.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    work = tempfile.mkdtemp(prefix="qv-scpi-pyvisa-")
    processes = {}
    try:
        print("PASS: " + run(sys.argv[1], work, processes))
        return 0
    except (Failure, pyvisa.Error, OSError) as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        for name in processes:
            text = read(os.path.join(work, name + ".txt"))
            print(f"--- {name} said (last lines):\n" + "\n".join(text.splitlines()[-15:]),
                  file=sys.stderr)
        return 1
    finally:
        for process in processes.values():
            if process.poll() is None:
                process.kill()
            process.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
