#!/usr/bin/env python3
"""Writes the example spectrum machine_spectrum.txt and the table of what is in it, tones.txt.

The spectrum is what an FFT analyser exports for a motor driving a gearbox:
three header lines, then 8,201 "frequency magnitude" lines from 0 to
10,250 Hz at 1.25 Hz, magnitudes in EU peak, so that the example also shows
the peak to RMS conversion.

Every line holds averaged noise: a smooth level (a rise towards low
frequencies and a broad structural hump near 3.2 kHz) times a random factor
from a fixed seed, built from random() alone so that every Python writes the
same bytes. On top of that sit a few tones of known RMS amplitude. Each tone
lies on a line and, as an on-line tone does through a Hann window, fills that
line and its two neighbours with magnitudes in the ratio 1/2 : 1 : 1/2, scaled
so that the root-sum-square of the three lines is the tone's RMS amplitude.
Noise and tone add in energy. Every tone sits well inside one 10 Hz output
band (centre - 5 Hz up to centre + 5 Hz), so each band that holds a tone
holds all of its energy.

tones.txt lists the tones and the largest noise line; the end-to-end test of
the example reads it, so the two cannot drift apart.
"""
import math
import os
import random

BIN_HZ = 1.25
LINES = 8201  # 0 Hz to 10,250 Hz
AVERAGES = 10
SEED = 20030914
SHAFT_HZ = 21.25  # 1,275 rpm
PINION_TEETH = 23
MESH_HZ = SHAFT_HZ * PINION_TEETH  # 488.75 Hz

# (frequency in Hz, RMS amplitude in EU, source); frequencies are whole lines.
TONES = [
    (SHAFT_HZ, 0.80, "shaft rate, 1,275 rpm"),
    (2 * SHAFT_HZ, 0.30, "twice shaft rate"),
    (100.0, 0.15, "twice the 50 Hz line frequency"),
    (MESH_HZ - SHAFT_HZ, 0.25, "gear mesh, lower sideband"),
    (MESH_HZ, 1.20, "gear mesh, 23-tooth pinion"),
    (MESH_HZ + SHAFT_HZ, 0.20, "gear mesh, upper sideband"),
    (2 * MESH_HZ, 0.45, "gear mesh, second harmonic"),
    (3 * MESH_HZ, 0.12, "gear mesh, third harmonic"),
    (6242.5, 0.05, "bearing outer race"),
]

HANN_LINE = [w / math.sqrt(1.5) for w in (0.5, 1.0, 0.5)]  # squares sum to 1


def noise_level(f: float) -> float:
    """Smooth RMS level of the noise in one line, EU."""
    low_rise = 3.0e-4 * (1.0 + 4.0 / (1.0 + f / 30.0))
    hump = 9.0e-4 * math.exp(-(((f - 3200.0) / 900.0) ** 2))
    return low_rise + hump


def averaged_noise(rng: random.Random, level: float) -> float:
    """One line of RMS-averaged noise: its power is a mean of exponential draws."""
    power = sum(-math.log(1.0 - rng.random()) for _ in range(AVERAGES)) / AVERAGES
    return level * math.sqrt(power)


def main() -> None:
    here = os.path.dirname(os.path.abspath(__file__))
    rng = random.Random(SEED)
    noise = [averaged_noise(rng, noise_level(i * BIN_HZ)) for i in range(LINES)]

    tone_energy = [0.0] * LINES
    for frequency, rms, _ in TONES:
        centre = round(frequency / BIN_HZ)
        assert centre * BIN_HZ == frequency, "tones lie on a line"
        band = round(frequency / 10.0) * 10.0
        assert band - 5.0 <= frequency - BIN_HZ and frequency + BIN_HZ < band + 5.0, "tone inside one band"
        for offset, weight in zip((-1, 0, 1), HANN_LINE):
            tone_energy[centre + offset] += (rms * weight) ** 2

    with open(os.path.join(here, "machine_spectrum.txt"), "w", encoding="ascii", newline="\n") as out:
        out.write("Gearbox input bearing, vertical - narrowband magnitude spectrum\n")
        out.write("Exported 2003-09-12 14:32, span 0 - 10250 Hz, 8201 lines, 1.25 Hz, Hann, 10 RMS averages\n")
        out.write("Frequency (Hz)  Magnitude (EU peak)\n")
        for i in range(LINES):
            rms = math.sqrt(noise[i] ** 2 + tone_energy[i])
            out.write("%.2f %.5e\n" % (i * BIN_HZ, rms * math.sqrt(2.0)))

    # Rounded up, so that no line's noise, under a tone or not, is above it.
    noise_bound = math.ceil(max(noise) * 1e5) / 1e5
    with open(os.path.join(here, "tones.txt"), "w", encoding="ascii", newline="\n") as out:
        out.write("# What machine_spectrum.txt holds; written by generate_example.py, read by the example's test.\n")
        out.write("# Width of one input line in Hz.\n")
        out.write("line_width %.2f\n" % BIN_HZ)
        out.write("# Every line is at most this much noise, EU RMS (before any tone energy is added).\n")
        out.write("noise_max %.5f\n" % noise_bound)
        out.write("# tone  frequency (Hz)  amplitude (EU RMS)  source\n")
        for frequency, rms, source in TONES:
            out.write("tone %8.2f %6.3f  %s\n" % (frequency, rms, source))

    print("machine_spectrum.txt: %d lines, 0 to %.2f Hz at %.2f Hz, EU peak" % (LINES, (LINES - 1) * BIN_HZ, BIN_HZ))
    levels = [noise_level(i * BIN_HZ) for i in range(LINES)]
    print("noise: smooth level %.1e to %.1e EU RMS a line, no line above %.5f" % (min(levels), max(levels), noise_bound))
    print("tones (EU RMS):")
    for frequency, rms, source in TONES:
        print("  %8.2f Hz  %5.3f  %s" % (frequency, rms, source))


if __name__ == "__main__":
    main()
