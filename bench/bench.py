#!/usr/bin/env python3
"""Plays long scripted training games on the real executable and checks what they cost.

Usage: bench.py PATH/TO/rpg PATH/TO/Intro.txt (bench/run.sh builds the game and calls this).
"""

import os
import platform
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

SIZES = [10**3, 10**4, 10**5, 10**6]
# Under strace every call stops the game, so 10^6 would take minutes; perf counts that one.
STRACE_SIZES = [10**3, 10**4, 10**5]
# More runs where a run is short and noisy, fewer where one run takes seconds.
REPEATS = {0: 9, 10**3: 9, 10**4: 5, 10**5: 3, 10**6: 3}
SHORTEST_RUNS = 20
SHORTEST_GAME = "w\nI\np\n"

# Writes one paid training needs under the console's flush rules; README.md counts them.
WRITES_PER_TRAINING = 11
MEMORY_LIMIT_KIB = 4096
MEMORY_SPREAD = 0.10
PROCESS_CALLS = ["execve", "execveat", "clone", "clone3", "fork", "vfork"]
INT32_MIN, INT32_MAX = -(2**31), 2**31 - 1


def scripted_game(trainings):
    """A warrior named Ivan pays for attack training again and again, then saves and looks."""
    return "w\nIvan\n" + "t\na\ny\n" * trainings + "s\nm\n"


def clamp(value):
    return max(INT32_MIN, min(INT32_MAX, value))


class Bench:
    def __init__(self, rpg, intro, scratch):
        self.rpg = rpg
        self.intro = intro
        self.scratch = scratch
        self.inputs = {}

    def input_file(self, name, text):
        """Each script is written once and fed to every run of its size."""
        if name not in self.inputs:
            path = os.path.join(self.scratch, f"input-{name}.txt")
            with open(path, "w", encoding="utf-8") as out:
                out.write(text)
            self.inputs[name] = path
        return self.inputs[name]

    def fresh_folder(self):
        """A new game every time: the introduction and no save."""
        folder = tempfile.mkdtemp(prefix="game-", dir=self.scratch)
        shutil.copy(self.intro, os.path.join(folder, "Intro.txt"))
        return folder

    def run(self, command, script, folder):
        with open(script, "rb") as stdin:
            started = time.perf_counter()
            result = subprocess.run(command, stdin=stdin, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL, cwd=folder, check=False)
            return time.perf_counter() - started, result.returncode

    def timed(self, script):
        folder = self.fresh_folder()
        wall, status = self.run([self.rpg], script, folder)
        shutil.rmtree(folder)
        return wall, status

    def measured_memory(self, script):
        """Peak resident memory in KiB from GNU time, and the save the game left."""
        folder = self.fresh_folder()
        report = os.path.join(self.scratch, "time.txt")
        _, status = self.run(["/usr/bin/time", "-f", "%M", "-o", report, self.rpg], script, folder)
        with open(report, encoding="utf-8") as source:
            peak = int(source.read().split()[-1])
        save_path = os.path.join(folder, "chartype1.txt")
        save = None
        if os.path.exists(save_path):
            with open(save_path, encoding="utf-8") as source:
                save = source.read().split("\n")
        shutil.rmtree(folder)
        return peak, status, save

    def strace_counts(self, script):
        """Calls per system call name from `strace -c -f`, the initial execve included."""
        folder = self.fresh_folder()
        report = os.path.join(self.scratch, "strace.txt")
        _, status = self.run(["strace", "-c", "-f", "-o", report, self.rpg], script, folder)
        shutil.rmtree(folder)
        counts = {}
        with open(report, encoding="utf-8") as source:
            for line in source:
                fields = line.split()
                if len(fields) < 5 or fields[-1] == "total":
                    continue
                try:
                    float(fields[0])
                    counts[fields[-1]] = int(fields[3])
                except ValueError:
                    continue
        return counts, status

    def perf_counts(self, script):
        """Calls after the exec from `perf stat` tracepoints, or None where perf cannot count."""
        if shutil.which("perf") is None:
            return None
        events = {"total": "raw_syscalls:sys_enter", "write": "syscalls:sys_enter_write",
                  "read": "syscalls:sys_enter_read"}
        for name in PROCESS_CALLS:
            events[name] = f"syscalls:sys_enter_{name}"
        folder = self.fresh_folder()
        report = os.path.join(self.scratch, "perf.txt")
        command = ["perf", "stat", "-x", ",", "-o", report, "-e", ",".join(events.values()), "--", self.rpg]
        _, status = self.run(command, script, folder)
        shutil.rmtree(folder)
        if status != 0:
            return None
        by_event = {}
        with open(report, encoding="utf-8") as source:
            for line in source:
                fields = line.strip().split(",")
                if len(fields) >= 3 and fields[2] in events.values():
                    by_event[fields[2]] = fields[0]
        counts = {}
        for name, event in events.items():
            value = by_event.get(event, "")
            if not value.isdigit():
                # An event this kernel does not have counts as nothing only for process calls.
                if name in PROCESS_CALLS:
                    counts[name] = 0
                    continue
                return None
            counts[name] = int(value)
        return counts

    def process_trace(self, script):
        """Every process-creating call of a whole game; seccomp keeps the rest of the game fast."""
        folder = self.fresh_folder()
        report = os.path.join(self.scratch, "process.txt")
        command = ["strace", "-f", "--seccomp-bpf", "-e", "trace=" + ",".join(PROCESS_CALLS),
                   "-o", report, self.rpg]
        _, status = self.run(command, script, folder)
        shutil.rmtree(folder)
        calls = []
        if os.path.exists(report):
            with open(report, encoding="utf-8") as source:
                calls = [line.strip() for line in source
                         if any(f" {name}(" in line for name in PROCESS_CALLS)]
        return calls, status


def syscall_split(counts):
    writes = counts.get("write", 0) + counts.get("writev", 0)
    reads = counts.get("read", 0) + counts.get("readv", 0)
    # perf gives the total as its own event; strace lists every call by name.
    total = counts["total"] if "total" in counts else sum(counts.values())
    return writes, reads, total - writes - reads, total


def verdict(ok):
    return "PASS" if ok else "FAIL"


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: bench.py PATH/TO/rpg PATH/TO/Intro.txt")
    rpg = os.path.abspath(sys.argv[1])
    intro = os.path.abspath(sys.argv[2])
    scratch = tempfile.mkdtemp(prefix="rpg-bench-")
    try:
        return report(Bench(rpg, intro, scratch))
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


def report(bench):
    results = []
    print(f"machine: {platform.machine()}, {os.cpu_count()} cores, Linux {platform.release()}; "
          f"game: {bench.rpg}")
    print("script: w, Ivan, then N x (t, a, y), then s, m; input from a file, output to /dev/null")
    print()

    # Wall time, memory and the save, per size; the zero-training game is the fixed cost.
    scripts = {n: bench.input_file(str(n), scripted_game(n)) for n in [0] + SIZES}
    walls, statuses, peaks, saves = {}, {}, {}, {}
    for n in [0] + SIZES:
        runs = [bench.timed(scripts[n]) for _ in range(REPEATS[n])]
        walls[n] = statistics.median(wall for wall, _ in runs)
        peaks[n], status, saves[n] = bench.measured_memory(scripts[n])
        statuses[n] = [code for _, code in runs] + [status]

    print("time and memory (median wall of the runs; peak RSS from /usr/bin/time -f %M)")
    print(f"{'N':>9} {'runs':>5} {'wall s':>9} {'us/training':>12} {'(wall-wall0)/N us':>18} {'peak KiB':>9}")
    for n in [0] + SIZES:
        per = f"{walls[n] / n * 1e6:12.3f}" if n else f"{'-':>12}"
        marginal = f"{(walls[n] - walls[0]) / n * 1e6:18.3f}" if n else f"{'-':>18}"
        print(f"{n:>9} {REPEATS[n]:>5} {walls[n]:9.4f} {per} {marginal} {peaks[n]:>9}")

    shortest_script = bench.input_file("shortest", SHORTEST_GAME)
    shortest = [bench.timed(shortest_script) for _ in range(SHORTEST_RUNS)]
    shortest_walls = sorted(wall * 1e3 for wall, _ in shortest)
    print(f"shortest game (w, I, p), {SHORTEST_RUNS} runs: median {statistics.median(shortest_walls):.2f} ms, "
          f"min {shortest_walls[0]:.2f} ms, max {shortest_walls[-1]:.2f} ms")
    print()

    # System calls: strace -c -f up to 10^5, perf stat for 10^6 and again for its baseline.
    counted = {}
    for n in [0] + STRACE_SIZES:
        counts, status = bench.strace_counts(scripts[n])
        counted[("strace", n)] = counts
        statuses[n].append(status)
    perf_base = bench.perf_counts(scripts[0])
    perf_big = bench.perf_counts(scripts[SIZES[-1]]) if perf_base is not None else None
    if perf_big is not None:
        counted[("perf", 0)] = perf_base
        counted[("perf", SIZES[-1])] = perf_big

    print(f"system calls per training (totals / N; 'extra' = (calls(N) - calls(0)) / N); "
          f"the rules require {WRITES_PER_TRAINING} writes per training")
    print(f"{'tool':>6} {'N':>9} {'writes/N':>9} {'reads/N':>9} {'other/N':>9} {'total/N':>9}"
          f" {'extra writes':>13} {'extra reads':>12} {'extra other':>12} {'extra total':>12}")
    syscalls_ok = True
    for tool, n in sorted(counted, key=lambda key: (key[1], key[0])):
        writes, reads, other, total = syscall_split(counted[(tool, n)])
        if n == 0:
            print(f"{tool:>6} {n:>9}   baseline game: {writes} writes, {reads} reads, {other} other, {total} total")
            continue
        base_writes, base_reads, base_other, base_total = syscall_split(counted[(tool, 0)])
        extra = [(writes - base_writes) / n, (reads - base_reads) / n,
                 (other - base_other) / n, (total - base_total) / n]
        print(f"{tool:>6} {n:>9} {writes / n:9.4f} {reads / n:9.4f} {other / n:9.4f} {total / n:9.4f}"
              f" {extra[0]:13.4f} {extra[1]:12.4f} {extra[2]:12.4f} {extra[3]:12.4f}")
        if total - base_total > WRITES_PER_TRAINING * n + (reads - base_reads):
            syscalls_ok = False
    if perf_big is None:
        print("  (perf stat cannot count system calls here, so 10^6 was not counted)")
    print()

    # The verdicts.
    big = SIZES[-1]
    checks = []
    save = saves[big]
    expected_attack, expected_coins = clamp(20 + 5 * big), clamp(200 - 100 * big)
    save_ok = save is not None and len(save) > 5 and save[1] == str(expected_attack) \
        and save[4] == str(expected_coins)
    shown = f"attack {save[1]}, coins {save[4]}" if save is not None and len(save) > 5 else "no save"
    checks.append((f"the 10^6 game ends with status 0 and saves attack {expected_attack}, coins "
                   f"{expected_coins} ({shown}; statuses {sorted(set(statuses[big]))})",
                   save_ok and set(statuses[big]) == {0}))
    wrong = [str(n) for n in [0] + SIZES
             if set(statuses[n]) != {0} or saves[n] is None or len(saves[n]) <= 5
             or saves[n][1] != str(clamp(20 + 5 * n)) or saves[n][4] != str(clamp(200 - 100 * n))]
    if not all(code == 0 for _, code in shortest):
        wrong.append("shortest")
    checks.append(("every run of every size ends with status 0 and saves attack 20+5N, coins 200-100N"
                   + (": wrong for " + ", ".join(wrong) if wrong else ""), not wrong))

    flat = abs(peaks[big] - peaks[SIZES[0]]) <= MEMORY_SPREAD * peaks[SIZES[0]]
    checks.append((f"peak memory is flat: 10^6 {peaks[big]} KiB within 10% of 10^3 {peaks[SIZES[0]]} KiB", flat))
    checks.append((f"peak memory below {MEMORY_LIMIT_KIB} KiB at every size (largest {max(peaks.values())} KiB)",
                   max(peaks.values()) < MEMORY_LIMIT_KIB))

    spawned = []
    for (tool, n), counts in counted.items():
        allowed_execs = 1 if tool == "strace" else 0  # perf starts counting after the exec.
        if counts.get("execve", 0) + counts.get("execveat", 0) > allowed_execs or any(
                counts.get(name, 0) for name in ["clone", "clone3", "fork", "vfork"]):
            spawned.append(f"{tool} N={n}")
    calls, trace_status = bench.process_trace(scripts[big])
    if trace_status != 0:
        spawned.append(f"strace --seccomp-bpf exited {trace_status}")
    elif len(calls) != 1 or " execve(" not in calls[0]:
        spawned.append("10^6 trace: " + "; ".join(calls))
    checks.append(("no process is started (strace -c -f up to 10^5; seccomp strace of the whole "
                   f"10^6 game shows {len(calls)} call: the initial execve)"
                   + (": " + ", ".join(spawned) if spawned else ""), not spawned))
    checks.append((f"system calls per training at most {WRITES_PER_TRAINING} writes plus the reads "
                   "(extra total <= 11 + extra reads at every counted N)", syscalls_ok))

    for text, ok in checks:
        print(f"{verdict(ok)}: {text}")
    failed = [text for text, ok in checks if not ok]
    print(f"{len(checks) - len(failed)} of {len(checks)} checks passed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
