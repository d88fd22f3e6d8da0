#!/usr/bin/env python3
"""Writes the largest input the program accepts: 199,999 peak amplitudes at 0.05 Hz spacing.

Two header lines, then one "frequency amplitude" pair per line from 0.05 Hz
to 9999.95 Hz. The amplitudes come from a fixed seed, so every run of this
script writes the same bytes and timings on different days compare.
"""
import random
import sys


def main() -> None:
    path = sys.argv[1] if len(sys.argv) > 1 else "largest.txt"
    rng = random.Random(20031914)
    lines = ["Generated spectrum, 0.05 Hz resolution\n", "Frequency (Hz)  Amplitude (EU peak)\n"]
    for i in range(1, 200000):
        lines.append("%.2f\t%.6e\n" % (i * 0.05, rng.uniform(1e-6, 2.0)))
    with open(path, "w", encoding="ascii", newline="\n") as out:
        out.writelines(lines)


if __name__ == "__main__":
    main()
