#!/usr/bin/env python3
"""Recomputes the example's 10 Hz bands the slow way and compares them with the committed expected output.

The expected output was made by running the program, so it is checked here
against a plain reading of the conversion rules, written without looking at
the program's code: skip the header, take the numbers two at a time, turn
peak into RMS with sqrt(2)/2, stop summing at the first frequency above
10,000 Hz, test every point against every band (band b reaches from
b*df - df/2 up to the next band's lower edge), take the root of each band's
sum of squares, and report bands up to the last point's frequency whose
amplitude is above 1e-20. Every band's amplitude must agree to the printed
digits, and every record whose text Python can format the same way must
match character for character.

Usage (from examples/): python3 check_expected.py [expected file]
"""
import math
import os
import sys

HEADER_LINES = 3
PEAK = True
DF = 10.0


def bands(points):
    last = 0
    while True:
        if last * DF > 12000.0 or last == 199999:
            break
        last += 1
    lower = [b * DF - DF / 2 for b in range(last + 1)]
    upper = lower[1:] + [DF / 2 + last * DF]
    sums = [0.0] * (last + 1)
    for f, a in points:
        if f > 10000.0:
            break
        for b in range(1, last + 1):
            if lower[b] <= f < upper[b]:
                sums[b] += a * a
    report = []
    for b in range(1, last + 1):
        amplitude = math.sqrt(sums[b])
        if lower[b] > points[-1][0]:
            break
        if amplitude > 1e-20:
            report.append((b * DF, amplitude))
    return report


def record(centre, amplitude):
    mantissa, exponent = ("%.4e" % amplitude).split("e")
    return "\n \t %10.2f \t %12s" % (centre, "%se%s%03d" % (mantissa, exponent[0], abs(int(exponent))))


def main() -> None:
    here = os.path.dirname(os.path.abspath(__file__))
    expected_path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "expected_machine_spectrum_10hz.txt")
    with open(os.path.join(here, "machine_spectrum.txt"), encoding="ascii") as spectrum:
        numbers = [float(word) for line in spectrum.readlines()[HEADER_LINES:] for word in line.split()]
    scale = math.sqrt(2.0) / 2.0 if PEAK else 1.0
    points = [(numbers[i], numbers[i + 1] * scale) for i in range(0, len(numbers), 2)]
    report = bands(points)

    with open(expected_path, encoding="ascii", newline="") as expected_file:
        expected = expected_file.read()
    records = expected.split("\n")[1:]
    assert expected.startswith("\n") and len(records) == len(report), (len(records), len(report))
    worst = 0.0
    for (centre, amplitude), text in zip(report, records):
        fields = text.split()
        assert float(fields[0]) == round(centre, 2), (centre, text)
        printed = float(fields[1])
        worst = max(worst, abs(printed - amplitude) / amplitude)
        assert abs(printed - amplitude) <= 0.50001e-4 * amplitude, (centre, amplitude, text)
    same_text = sum(record(c, a) == "\n" + t for (c, a), t in zip(report, records))
    print("%d bands recomputed; largest relative difference %.2e; %d of %d records identical as text"
          % (len(report), worst, same_text, len(report)))
    print("bands above 0.01 EU RMS:")
    for centre, amplitude in report:
        if amplitude > 0.01:
            print("  %8.2f Hz  %.6e" % (centre, amplitude))


if __name__ == "__main__":
    main()
