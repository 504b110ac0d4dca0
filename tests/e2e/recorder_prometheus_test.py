#!/usr/bin/env python3
"""The recorder fed by the simulated Receiver, scraped by a real Prometheus server.

Prometheus must see the recorder up and its sweeps counting; the channel utilisation it scraped
at an instant T must be what quorvalin-log finds in the recorded file up to T; SIGTERM must end
the recorder with status 0 and a log closed by its end record.

To compare exactly, the simulator is stopped (SIGSTOP) for a few seconds: T is taken while no
sweep arrives, so the live figure and the cut of the log hold the same sweeps, whatever the
sub-second phases of the recorder's tick, Prometheus's scrapes and the log's time records.
The simulator then runs on, so the log holds sweeps after T that the cut must leave out.

Usage: recorder_prometheus_test.py RECORDER SIM LOG
"""

import calendar
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

from e2e_support import Failure, die_with_parent, fail, free_port, read, wait_for

TOLERANCE_POINTS = 1.0


class Prometheus:
    def __init__(self, base):
        self.base = base

    def api(self, path, **params):
        url = f"{self.base}/api/v1/{path}"
        if params:
            url += "?" + urllib.parse.urlencode(params)
        try:
            reply = json.loads(http_get(url))
        except (OSError, ValueError):
            return None
        return reply.get("data") if reply.get("status") == "success" else None

    def query(self, expr, at=None):
        """Instant vector at `at` (seconds since the epoch) or now: [(labels, value)]."""
        params = {"query": expr}
        if at is not None:
            params["time"] = f"{at:.3f}"
        data = self.api("query", **params)
        if data is None or data.get("resultType") != "vector":
            return None
        return [(r["metric"], float(r["value"][1])) for r in data["result"]]

    def samples(self, expr_range):
        """Raw samples of a range selector, now: [(labels, [(timestamp, value)])]."""
        data = self.api("query", query=expr_range)
        if data is None or data.get("resultType") != "matrix":
            return None
        return [(r["metric"], [(float(t), float(v)) for t, v in r["values"]])
                for r in data["result"]]

    def scalar(self, expr, at=None):
        result = self.query(expr, at)
        return result[0][1] if result else None


TOLERANCE_POINTS = 1.0

# Loopback only: no proxy from the environment.
_opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))


def http_get(url, timeout_s=5):
    with _opener.open(url, timeout=timeout_s) as response:
        return response.read().decode("utf-8")


def log_channels(log_tool, log_path, to_text, env):
    """quorvalin-log channels up to `to_text`: {channel: utilisation %} of the channels measured."""
    out = subprocess.run([log_tool, "channels", log_path, "--to", to_text, "--plan", "wifi24"],
                         capture_output=True, text=True, timeout=60, env=env)
    if out.returncode != 0:
        fail(f"quorvalin-log channels --to '{to_text}' exited with {out.returncode}:\n"
             f"{out.stdout}{out.stderr}")
    lines = out.stdout.splitlines()
    if not lines or not lines[0].startswith("channel,"):
        fail(f"quorvalin-log channels printed no title line:\n{out.stdout}")
    figures = {}
    for line in lines[1:]:
        cells = [c.strip() for c in line.split(",")]
        if len(cells) != 7:
            fail(f"quorvalin-log channels: a row without 7 columns: {line!r}")
        if cells[4]:
            figures[cells[0]] = float(cells[4])
    return figures


def log_sweeps(log_tool, log_path, to_text, env):
    """The number of whole sweeps quorvalin-log finds, up to `to_text` or in the whole log."""
    command = [log_tool, "csv", log_path] + (["--to", to_text] if to_text else [])
    out = subprocess.run(command, capture_output=True, text=True, timeout=60, env=env)
    if out.returncode != 0:
        fail(f"quorvalin-log csv exited with {out.returncode}:\n{out.stderr}")
    return len([line for line in out.stdout.splitlines() if line.strip()])


def run(recorder, sim, log_tool, work, processes):
    # The log's clock is the local one; in UTC the test reads it the same everywhere.
    env = dict(os.environ, TZ="UTC", LC_ALL="C")
    address = f"127.{random.randint(1, 254)}.{random.randint(0, 255)}.{random.randint(2, 254)}"

    def start(name, command):
        with open(os.path.join(work, name + ".txt"), "w") as out:
            process = subprocess.Popen(command, stdout=out, stderr=subprocess.STDOUT, env=env,
                                       preexec_fn=die_with_parent)
        processes[name] = process
        return process

    def said(name):
        return read(os.path.join(work, name + ".txt"))

    def port_said(name, pattern):
        def probe():
            if processes[name].poll() is not None:
                fail(f"{name} ended with {processes[name].returncode}:\n{said(name)}")
            m = re.search(pattern, said(name))
            return int(m.group(1)) if m else None
        return wait_for(f"{name} to listen", 20, probe)

    sim_process = start("sim", [sim, "--tcp", f"{address}:0", "--rate", "100000",
                                "--quit-after", "170"])
    sim_port = port_said("sim", r"serving TCP on [0-9.]+:(\d+)")

    log_dir = os.path.join(work, "logs")
    recorder_process = start("recorder", [recorder, "--connect", f"tcp://{address}:{sim_port}",
                                          "--log-dir", log_dir, "--metrics", f"{address}:0",
                                          "--channel-span", "1m"])
    metrics_port = port_said("recorder", r"Metrics on http://[0-9.]+:(\d+)/metrics")

    config = os.path.join(work, "prometheus.yml")
    with open(config, "w") as f:
        f.write("global:\n"
                "  scrape_interval: 1s\n"
                "  scrape_timeout: 1s\n"
                "  evaluation_interval: 1s\n"
                "scrape_configs:\n"
                "  - job_name: quorvalin\n"
                "    static_configs:\n"
                f"      - targets: ['{address}:{metrics_port}']\n")
    # Prometheus cannot report a port it picked itself: take a free one, again if it was lost.
    prom = None
    for attempt in range(3):
        prom_port = free_port(address)
        process = start(f"prometheus{attempt}", [
            shutil.which("prometheus"), f"--config.file={config}",
            f"--storage.tsdb.path={os.path.join(work, 'tsdb')}",
            f"--web.listen-address={address}:{prom_port}"])
        base = f"http://{address}:{prom_port}"

        def ready():
            if process.poll() is not None:
                return False
            try:
                http_get(base + "/-/ready", timeout_s=2)
                return True
            except OSError:
                return None
        if wait_for("Prometheus to be ready", 60, ready):
            prom = Prometheus(base)
            break
    if prom is None:
        fail(f"Prometheus did not start:\n{said('prometheus2')}")

    def target_up():
        data = prom.api("targets")
        targets = data.get("activeTargets", []) if data else []
        return True if any(t.get("health") == "up" for t in targets) else None
    wait_for("Prometheus to scrape the recorder", 30, target_up)

    # The handshake takes some ten seconds before the first sweep.
    def receiving():
        if recorder_process.poll() is not None:
            fail(f"the recorder ended with {recorder_process.returncode}:\n{said('recorder')}")
        return True if prom.scalar("quorvalin_up") == 1 else None
    wait_for("quorvalin_up == 1 in Prometheus", 90, receiving, interval_s=0.5)
    up_at = time.time()
    wait_for("20 s of scrapes", 40, lambda: True if time.time() > up_at + 20 else None, 0.5)
    now = time.time()
    sweeps_early = prom.scalar("quorvalin_sweeps_total", up_at + 2)
    sweeps_late = prom.scalar("quorvalin_sweeps_total", now)
    if sweeps_early is None or sweeps_late is None or not sweeps_late > sweeps_early:
        fail(f"quorvalin_sweeps_total did not grow: {sweeps_early} at up + 2 s, "
             f"{sweeps_late} 18 s later")
    if prom.scalar("quorvalin_up", now) != 1:
        fail("quorvalin_up is not 1 while the simulator streams")

    # No sweep arrives from here until SIGCONT.
    sim_process.send_signal(signal.SIGSTOP)
    stopped_at = time.time()

    # T: a scrape at least 3 s after the last sweep was counted, so that a tick of the
    # recorder (every second) has put the final figures into the channel series.
    def settled():
        counted = prom.samples("quorvalin_sweeps_total[30s]")
        shares = prom.samples("quorvalin_channel_utilisation_ratio[30s]")
        if not counted or not shares:
            return None
        series = counted[0][1]
        final = series[-1][1]
        first_final = series[-1][0]
        for t, v in reversed(series):
            if v != final:
                break
            first_final = t
        later = [t for t, _ in shares[0][1] if t >= first_final + 3 and t > stopped_at]
        return (later[0], final) if later else None
    t_instant, sweeps_at_t = wait_for("the figures to settle while the simulator is stopped",
                                      30, settled)

    live = {}
    for labels, value in prom.query("quorvalin_channel_utilisation_ratio", t_instant) or []:
        if labels.get("plan") != "wifi24":
            fail(f"a channel series of plan {labels.get('plan')!r}, not wifi24: {labels}")
        live[labels["channel"]] = 100 * value
    if prom.scalar("quorvalin_sweeps_total", t_instant) != sweeps_at_t:
        fail("quorvalin_sweeps_total at T is not the settled count")
    if prom.scalar("quorvalin_reconnects_total", t_instant) != 0:
        fail("the recorder reconnected: one log no longer holds the sweeps counted live")

    # Records up to T's whole second; the simulator resumes only once the log's clock is past it.
    wait_for("the log's clock to pass T", 10,
             lambda: True if time.time() > t_instant + 3 else None, 0.2)
    if prom.scalar("quorvalin_sweeps_total") != sweeps_at_t:
        fail("sweeps were counted after T while the simulator was stopped")
    sim_process.send_signal(signal.SIGCONT)
    wait_for("sweeps after T", 30, lambda: True if (prom.scalar("quorvalin_sweeps_total") or 0)
             > sweeps_at_t + 50 else None, 0.5)

    recorder_process.send_signal(signal.SIGTERM)
    try:
        code = recorder_process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        fail("the recorder did not end within 10 s of SIGTERM")
    if code != 0:
        fail(f"the recorder exited with {code} after SIGTERM:\n{said('recorder')}")

    logs = sorted(n for n in os.listdir(log_dir) if re.fullmatch(r"quorvalin-\d{8}-\d{6}\.kzq", n))
    if len(logs) != 1:
        fail(f"expected one log in the log folder, found {logs}")
    log_path = os.path.join(log_dir, logs[0])
    info = subprocess.run([log_tool, "info", log_path], capture_output=True, text=True,
                          timeout=60, env=env)
    if info.returncode != 0 or not re.search(r"^End record: yes\b", info.stdout, re.M):
        fail(f"the log has no end record (quorvalin-log info exited with {info.returncode}):\n"
             f"{info.stdout}{info.stderr}")
    started = re.search(r"^Date and time: (\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)$", info.stdout, re.M)
    if not started:
        fail(f"quorvalin-log info shows no date and time:\n{info.stdout}")
    log_start = calendar.timegm(time.strptime(started.group(1), "%Y-%m-%d %H:%M:%S"))
    to_text = time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(t_instant))
    # Past the channel span the live figure would leave out the log's first seconds.
    if t_instant - log_start > 55:
        fail(f"T lies {t_instant - log_start:.0f} s into the log, too near the 60 s channel span")

    # Whole sweeps: the live count may hold one more, a first sweep whose early blocks came
    # before the log began.
    logged_to_t = log_sweeps(log_tool, log_path, to_text, env)
    logged_all = log_sweeps(log_tool, log_path, None, env)
    if not 0 <= sweeps_at_t - logged_to_t <= 1:
        fail(f"{sweeps_at_t:.0f} sweeps counted live at T, {logged_to_t} in the log up to "
             f"{to_text}")
    if logged_all <= logged_to_t:
        fail(f"the log holds no sweep after {to_text} ({logged_all} in all)")

    logged = log_channels(log_tool, log_path, to_text, env)
    if set(live) != set(logged):
        fail(f"channels measured live {sorted(live)}, in the log {sorted(logged)}")
    between = [c for c in live if 0 < live[c] < 100]
    if not between:
        fail(f"no channel with a utilisation strictly between 0 and 100 %: {live}")
    lines = []
    for channel in sorted(live, key=int):
        difference = live[channel] - logged[channel]
        lines.append(f"  channel {channel}: live {live[channel]:.2f} %, log {logged[channel]:.1f} %")
        if abs(difference) > TOLERANCE_POINTS:
            fail(f"channel {channel}: {live[channel]:.2f} % scraped at {to_text}, "
                 f"{logged[channel]:.1f} % in the log up to then\n" + "\n".join(lines))
    return (f"{sweeps_at_t:.0f} sweeps to {to_text} (log {logged_to_t}, {logged_all} in all); "
            f"utilisation per channel:\n" + "\n".join(lines))


def main():
    if len(sys.argv) != 4:
        print("usage: recorder_prometheus_test.py RECORDER SIM LOG", file=sys.stderr)
        return 2
    if shutil.which("prometheus") is None:
        print("FAIL: prometheus not found on PATH: install it (scripts/setup.sh)", file=sys.stderr)
        return 1
    # ctest's time-out ends the test with SIGTERM: clean up as after any failure.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    work = tempfile.mkdtemp(prefix="qv-recorder-prometheus-")
    processes = {}
    try:
        summary = run(*sys.argv[1:4], work, processes)
        print("PASS: " + summary)
        return 0
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        for name in processes:
            text = read(os.path.join(work, name + ".txt"))
            print(f"--- {name} said (last lines):\n" + "\n".join(text.splitlines()[-15:]),
                  file=sys.stderr)
        return 1
    finally:
        for process in processes.values():
            if process.poll() is None:
                process.send_signal(signal.SIGCONT)
                process.kill()
            process.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
