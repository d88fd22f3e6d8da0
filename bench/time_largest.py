#!/usr/bin/env python3
"""Times the whole program on the largest input against `LC_ALL=C wc -w` on the same file.

The two commands run in turn, interleaved, so that a machine whose speed
drifts slows both alike; the ratio is taken pair by pair and its median
printed, with each command's median wall time and the program's peak
resident memory. Standard output of the program goes to /dev/null, as the
report's console echo would on a quiet run.

Usage: bench/time_largest.py [path/to/corvalen] [runs]
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def timed(command, stdin_bytes, cwd, env=None):
    """Wall seconds and peak resident KiB of one run of command."""
    start = time.perf_counter()
    with open(os.devnull, "wb") as devnull:
        process = subprocess.Popen(command, cwd=cwd, stdin=subprocess.PIPE, stdout=devnull,
                                   stderr=devnull, env=env, start_new_session=True)
        process.stdin.write(stdin_bytes)
        process.stdin.close()
        _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("%s failed with status %d" % (command[0], os.waitstatus_to_exitcode(status)))
    return elapsed, usage.ru_maxrss


def main() -> None:
    program = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/corvalen")
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 21
    with tempfile.TemporaryDirectory(prefix="corvalen-bench-") as work:
        subprocess.run([sys.executable, os.path.join(HERE, "generate_largest.py"),
                        os.path.join(work, "largest.txt")], check=True)
        answers = b"largest.txt\n2\n1\n0.05\nout.txt\n"
        wc_env = dict(os.environ, LC_ALL="C")
        wc = ["wc", "-w", "largest.txt"]
        ratios, program_times, wc_times, peaks = [], [], [], []
        timed([program], answers, work)  # warm the page cache and the binary
        timed(wc, b"", work, wc_env)
        for _ in range(runs):
            program_time, peak = timed([program], answers, work)
            wc_time, _ = timed(wc, b"", work, wc_env)
            ratios.append(program_time / wc_time)
            program_times.append(program_time)
            wc_times.append(wc_time)
            peaks.append(peak)
        print("runs:            %d interleaved pairs" % runs)
        print("corvalen wall:   %.1f ms (median)" % (1000 * statistics.median(program_times)))
        print("wc -w wall:      %.1f ms (median)" % (1000 * statistics.median(wc_times)))
        print("ratio:           %.2f (median of pairs; min %.2f, max %.2f)"
              % (statistics.median(ratios), min(ratios), max(ratios)))
        print("peak memory:     %.1f MiB" % (max(peaks) / 1024.0))


if __name__ == "__main__":
    main()
