"""Performance of zld-run against zld-sim on 127.0.0.1, printed as one table.

    perf_bench.py BUILD_DIR [--trials N] [--minutes M] [--cpu-seconds S]
                  [--rate-seconds S] [--rounds N]

Every figure comes from processes as a lab runs them: zld-sim with a command
journal (its time stamps are when each command reached the load) and zld-run
driving a test from a program folder in a temporary directory.

- Stop latency: SIGINT at a random moment of a test with every step kind, to
  the first "LOAD OFF" the load receives after it.
- Command spacing: within a step's set-up, the gap from its first command to
  "LOAD ON" (commands that wait for no reply).
- Point timing: a discharge at MeasT 0.1 s and 1 s; point k's first query
  against the grid t0 + k*MeasT anchored at the first point; the drift is the
  slope of that error over the run.
- CPU of zld-run at MeasT 1 s (all its threads), and its wake-ups per second
  (context switches).
- Point rate at MeasT 0 against a PyVISA + pyvisa-py loop and a bare socket
  loop sending the same three queries to the same zld-sim, interleaved rounds.
- The window at MeasT 0: bench_window_latency, a click posted every 100 ms
  through a discharge taking points as fast as the load answers.
- The 1000-step test file: bench_testfile (load, save, a per-key reader).
"""
import argparse
import datetime
import os
import random
import re
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

# The test files' MeasureTime as the program writes it; the steps' MeasT time the points.
DEFAULT_TICK = "0.01"
QUERIES = ["GLOB:MEAS:VOLT?", "GLOB:MEAS:CURR?", "GLOB:MEAS:POW?"]
STEP_KEYS = ["ActionMode", "LoadModeVolt", "CurrentValue", "StopTime", "StopValue",
             "StableTime", "StopAH", "MeasTime", "GoToStep", "Frequency", "CF", "PF"]
# Every kind of step: rest, discharge with a settling wait, pulse, ramp, level.
EVERY_KIND = [
    ["Suspend", "", "", "1", "0", "", "", "0.5", "NextStep"],
    ["DisCharge", "CC", "10", "3", "0", "1.5", "0", "0.5", "NextStep"],
    ["PlusLoad", "20", "2", "200", "200", "1", "3", "400", "NextStep"],
    ["RAMP ON", "CC", "20", "2", "", "", "", "0.5", "NextStep"],
    ["LoadLevel", "CC", "5", "2", "", "", "", "0.5", "", "60", "1.4", "1"],
    # MeasT 0: points as fast as the load answers.
    ["DisCharge", "CC", "5", "2", "0", "0", "0", "0", "NextStep"],
]


def percentile(values, p):
    ordered = sorted(values)
    if not ordered:
        return float("nan")
    rank = max(0, min(len(ordered) - 1, int(round(p / 100.0 * (len(ordered) - 1)))))
    return ordered[rank]


class Sim:
    """One zld-sim process with a journal."""

    def __init__(self, build, folder, extra=()):
        self.journal = os.path.join(folder, "journal.txt")
        self.proc = subprocess.Popen(
            [os.path.join(build, "src/sim/zld-sim"), "--port", "0", "--journal", self.journal,
             "--capacity", "1000"] + list(extra),
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        line = self.proc.stdout.readline()
        match = re.match(r"zld-sim listening on 127\.0\.0\.1:(\d+)$", line.strip())
        if not match:
            raise RuntimeError("zld-sim printed %r" % line)
        self.port = int(match.group(1))

    def entries(self):
        """(local time, command) of every journal line."""
        out = []
        with open(self.journal, encoding="latin-1") as f:
            for line in f:
                stamp, _, command = line.rstrip("\n").partition(" ")
                try:
                    at = datetime.datetime.strptime(stamp, "%Y-%m-%dT%H:%M:%S.%f").timestamp()
                except ValueError:
                    continue
                out.append((at, command))
        return out

    def stop(self):
        self.proc.send_signal(signal.SIGINT)
        self.proc.wait(timeout=10)


def write_ini(path, sections):
    with open(path, "w", newline="\r\n") as f:
        for name, values in sections:
            f.write("[%s]\n" % name)
            for key, value in values:
                f.write("%s=%s\n" % (key, value))
            f.write("\n")


def program_folder(folder, steps, port, measure_time):
    write_ini(os.path.join(folder, "TRIO.INI"),
              [("TRIO", [("SaveLogFileFlag", "1"), ("ConnectMode", "2")])])
    sections = [("TestStep Option", [("MeasureTime", measure_time),
                                     ("TotalStepCount", str(len(steps)))])]
    for i, step in enumerate(steps):
        sections.append(("Step%d" % (i + 1),
                         [(k, step[n] if n < len(step) else "") for n, k in enumerate(STEP_KEYS)]))
    sections.append(("Load1 Option", [("IP", "127.0.0.1"), ("Port", str(port)),
                                      ("LoadCheck", "1")]))
    write_ini(os.path.join(folder, "TestFile01.INI"), sections)


def start_run(build, home, serial):
    return subprocess.Popen([os.path.join(build, "src/cli/zld-run"), "--home", home, "--sn", serial],
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def wait_for(predicate, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(0.02)
    return False


def first_point_seen(sim):
    return lambda: any(c == QUERIES[0] for _, c in sim.entries())


def stop_latency(build, trials):
    """Stop-to-"LOAD OFF" latencies (ms) and set-up spans (ms)."""
    latencies, spans = [], []
    with tempfile.TemporaryDirectory() as folder:
        sim = Sim(build, folder)
        program_folder(folder, EVERY_KIND, sim.port, DEFAULT_TICK)
        try:
            for trial in range(trials):
                open(sim.journal, "w").close()
                run = start_run(build, folder, "STOP%d" % trial)
                if not wait_for(first_point_seen(sim), 20):
                    run.kill()
                    run.wait()
                    continue
                time.sleep(random.uniform(0.0, 9.0))
                clicked = time.time()
                run.send_signal(signal.SIGINT)
                run.wait(timeout=30)
                entries = sim.entries()
                offs = [at for at, c in entries if c == "LOAD OFF" and at >= clicked - 0.001]
                if offs:
                    latencies.append(max(0.0, (offs[0] - clicked) * 1000.0))
                spans.extend(setup_spans(entries))
        finally:
            sim.stop()
    return latencies, spans


def setup_spans(entries):
    """From the first set-value command of a step's set-up to its "LOAD ON"."""
    spans = []
    start = None
    for at, command in entries:
        if re.match(r"^(CC|CV|CR|CP):[AB] ", command) and start is None:
            start = at
        elif command == "LOAD ON" and start is not None:
            spans.append((at - start) * 1000.0)
            start = None
        elif command.startswith("GLOB:") or command == "LOAD OFF":
            start = None
    return spans


def proc_cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    ticks = os.sysconf("SC_CLK_TCK")
    return (int(fields[11]) + int(fields[12])) / ticks


def proc_switches(pid):
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        with open("/proc/%d/task/%s/status" % (pid, task)) as f:
            for line in f:
                if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                    total += int(line.split()[1])
    return total


def point_timing(build, measure_time, seconds, results, with_cpu):
    """Point errors against the schedule; with_cpu also measures zld-run's CPU."""
    with tempfile.TemporaryDirectory() as folder:
        sim = Sim(build, folder)
        mt = "%g" % measure_time
        program_folder(folder, [["DisCharge", "CC", "1", str(seconds + 600), "0", "0", "0", mt,
                                 "NextStep"]], sim.port, DEFAULT_TICK)
        run = start_run(build, folder, "TIMING")
        try:
            wait_for(first_point_seen(sim), 20)
            time.sleep(2.0)
            cpu0, sw0, t0 = proc_cpu_seconds(run.pid), proc_switches(run.pid), time.monotonic()
            time.sleep(seconds)
            cpu1, sw1, t1 = proc_cpu_seconds(run.pid), proc_switches(run.pid), time.monotonic()
        finally:
            run.send_signal(signal.SIGINT)
            run.wait(timeout=30)
            sim.stop()
        points = [at for at, c in sim.entries() if c == QUERIES[0]]
    errors = [(at - points[0] - k * measure_time) * 1000.0 for k, at in enumerate(points)]
    n = len(points)
    span = points[-1] - points[0] if n > 1 else 0
    # Least-squares slope of the error over the run, in ms per hour.
    mean_t = sum(at - points[0] for at in points) / n
    mean_e = sum(errors) / n
    sxx = sum((at - points[0] - mean_t) ** 2 for at in points) or 1
    slope = sum((at - points[0] - mean_t) * (e - mean_e) for at, e in zip(points, errors)) / sxx
    entry = {"points": n, "span": span, "p50": percentile(errors, 50),
             "abs_p99": percentile([abs(e) for e in errors], 99),
             "min": min(errors), "max": max(errors), "drift_ms_per_h": slope * 3600.0,
             "end": statistics.mean(errors[-10:]) - statistics.mean(errors[:10])}
    if with_cpu:
        entry["cpu_pct"] = 100.0 * (cpu1 - cpu0) / (t1 - t0)
        entry["wakeups"] = (sw1 - sw0) / (t1 - t0)
    results[measure_time] = entry


def socket_loop(port, seconds):
    s = socket.create_connection(("127.0.0.1", port))
    s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    f = s.makefile("rb")
    n = 0
    end = time.monotonic() + seconds
    start = time.monotonic()
    while time.monotonic() < end:
        for q in QUERIES:
            s.sendall(q.encode() + b"\n")
            f.readline()
        n += 1
    rate = n / (time.monotonic() - start)
    s.close()
    return rate


def pyvisa_loop(port, seconds):
    import pyvisa
    rm = pyvisa.ResourceManager("@py")
    load = rm.open_resource("TCPIP0::127.0.0.1::%d::SOCKET" % port, read_termination="\n",
                            write_termination="\n", timeout=5000)
    n = 0
    end = time.monotonic() + seconds
    start = time.monotonic()
    while time.monotonic() < end:
        for q in QUERIES:
            load.query(q)
        n += 1
    rate = n / (time.monotonic() - start)
    load.close()
    rm.close()
    return rate


def run_rate(build, sim, folder, seconds, serial):
    open(sim.journal, "w").close()
    run = start_run(build, folder, serial)
    wait_for(first_point_seen(sim), 20)
    time.sleep(seconds)
    run.send_signal(signal.SIGINT)
    run.wait(timeout=30)
    points = [at for at, c in sim.entries() if c == QUERIES[0]]
    # The steady part: past the first half second of points.
    steady = [at for at in points if at >= points[0] + 0.5]
    return (len(steady) - 1) / (steady[-1] - steady[0]) if len(steady) > 1 else 0.0


def point_rate(build, seconds, rounds):
    rates = {"zld-run": [], "PyVISA": [], "socket": []}
    with tempfile.TemporaryDirectory() as folder:
        sim = Sim(build, folder)
        program_folder(folder, [["DisCharge", "CC", "1", "100000", "0", "0", "0", "0",
                                 "NextStep"]], sim.port, DEFAULT_TICK)
        try:
            for r in range(rounds):
                rates["zld-run"].append(run_rate(build, sim, folder, seconds, "RATE%d" % r))
                rates["PyVISA"].append(pyvisa_loop(sim.port, seconds))
                rates["socket"].append(socket_loop(sim.port, seconds))
        finally:
            sim.stop()
    return {k: statistics.median(v) for k, v in rates.items()}


def test_file(build):
    out = subprocess.run([os.path.join(build, "bench/bench_testfile")], capture_output=True,
                         text=True, check=True).stdout
    figures = {}
    for key in ("load", "save", "per-key load"):
        m = re.search(r"^%s: mean ([\d.]+) ms" % key, out, re.M)
        figures[key] = float(m.group(1)) if m else float("nan")
    return figures


def window_latency(build):
    """Worst click latency (ms) of the window through a MeasT 0 discharge."""
    program = os.path.join(build, "bench/bench_window_latency")
    if not os.path.exists(program):
        return None
    with tempfile.TemporaryDirectory() as folder:
        program_folder(folder, [["DisCharge", "CC", "1", "10", "0", "0", "0", "0", "NextStep"]],
                       0, DEFAULT_TICK)
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        out = subprocess.run([program, folder], capture_output=True, text=True, env=env).stdout
    clicks = re.search(r"clicks handled: (\d+)", out)
    worst = re.search(r"worst click latency: ([\d.]+) ms", out)
    if not clicks or not worst:
        return None
    return int(clicks.group(1)), float(worst.group(1))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--trials", type=int, default=60)
    parser.add_argument("--minutes", type=float, default=10.0)
    parser.add_argument("--rate-seconds", type=float, default=5.0)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--only", default="stop,timing,rate,window,file")
    args = parser.parse_args()
    only = args.only.split(",")
    load_before = os.getloadavg()
    rows = []

    if "timing" in only:
        # The two long runs share the wait; both are mostly idle.
        results = {}
        seconds = args.minutes * 60.0
        threads = [threading.Thread(target=point_timing, args=(args.build, mt, seconds, results,
                                                                 mt == 1.0)) for mt in (0.1, 1.0)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        for mt in (0.1, 1.0):
            r = results.get(mt)
            if not r:
                continue
            rows.append(("point error, MeasT %g s (%d points, %.0f s)" % (mt, r["points"], r["span"]),
                         "p50 %+.1f ms, abs p99 %.1f ms, range %+.0f..%+.0f ms, drift %+.2f ms/h"
                         % (r["p50"], r["abs_p99"], r["min"], r["max"], r["drift_ms_per_h"]),
                         "abs p99 <= 2 ms, no drift"))
        r = results.get(1.0)
        if r:
            rows.append(("CPU of zld-run, MeasT 1 s",
                         "%.3f %% of a core, %.1f wake-ups/s" % (r["cpu_pct"], r["wakeups"]),
                         "<= 0.2 %"))
    if "stop" in only:
        latencies, spans = stop_latency(args.build, args.trials)
        if latencies:
            rows.append(("Stop to \"LOAD OFF\" (%d runs)" % len(latencies),
                         "p50 %.0f ms, p99 %.0f ms, worst %.0f ms"
                         % (percentile(latencies, 50), percentile(latencies, 99), max(latencies)),
                         "p99 <= 5 ms, worst <= 10 ms"))
        if spans:
            rows.append(("a step's set-up, first command to \"LOAD ON\" (%d)" % len(spans),
                         "p50 %.0f ms, worst %.0f ms" % (percentile(spans, 50), max(spans)),
                         "each command within 1 ms"))
    if "rate" in only:
        rates = point_rate(args.build, args.rate_seconds, args.rounds)
        rows.append(("points/s at MeasT 0 (median of %d rounds)" % args.rounds,
                     "zld-run %.0f, PyVISA %.0f, socket %.0f"
                     % (rates["zld-run"], rates["PyVISA"], rates["socket"]),
                     ">= PyVISA"))
    if "window" in only:
        w = window_latency(args.build)
        if w:
            rows.append(("window click latency, MeasT 0 discharge (%d clicks)" % w[0],
                         "worst %.1f ms" % w[1], "responsive"))
    if "file" in only:
        f = test_file(args.build)
        rows.append(("1000-step test file", "load %.1f ms, save %.1f ms, per-key reader %.0f ms (%.0fx)"
                     % (f["load"], f["save"], f["per-key load"], f["per-key load"] / f["load"]),
                     "kept"))

    width = max(len(r[0]) for r in rows) if rows else 10
    print("load average at start %.2f %.2f %.2f, at end %.2f %.2f %.2f"
          % (load_before + os.getloadavg()))
    for name, value, target in rows:
        print("%-*s | %s | %s" % (width, name, value, target))


if __name__ == "__main__":
    sys.exit(main())
