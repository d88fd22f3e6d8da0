// Header skipping and pair reading for the input spectrum.
#include "rebin/spectrum_reader.h"

#include <cmath>

#include "numtext/number_scan.h"

namespace corvalen {

void skipHeaderLines(ByteSource& in, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) {
        if (!in.skipLine()) return;
    }
}

namespace {

// Where a number could start: the end of the data, or a number to scan.
enum class Slot { Number, EndOfFile, EndMark };

Slot nextSlot(ByteSource& in) {
    skipSpace(in);
    const int c = in.peek();
    if (c < 0) return Slot::EndOfFile;
    if (c == kEndOfFileMark) return Slot::EndMark;
    return Slot::Number;
}

}  // namespace

ReadOutcome readSpectrum(ByteSource& in, AmplitudeFormat format, InputSpectrum& spectrum) {
    const double toRms = format == AmplitudeFormat::Peak ? std::sqrt(2.0) / 2.0 : 1.0;
    ReadOutcome outcome;
    ScannedNumber number;
    long n = 0;
    for (;;) {
        if (n == kMaxPoints) {
            if (nextSlot(in) == Slot::Number) outcome.end = ReadEnd::TooManyPoints;
            break;
        }

        const Slot frequencySlot = nextSlot(in);
        if (frequencySlot == Slot::EndOfFile) break;
        if (frequencySlot == Slot::EndMark) {
            outcome.end = ReadEnd::EndMark;
            break;
        }
        const long frequencyLine = in.line();
        scanNumber(in, number);
        if (number.reason != ScanReason::Ok) {
            outcome.end = ReadEnd::NotANumber;
            outcome.textLine = in.line();
            break;
        }
        const double frequency = toDouble(number);

        // A lone frequency at the end of the data still counts, with amplitude 0.
        double amplitude = 0.0;
        bool lastPoint = true;
        switch (nextSlot(in)) {
            case Slot::EndOfFile: break;
            case Slot::EndMark: outcome.end = ReadEnd::EndMark; break;
            case Slot::Number:
                scanNumber(in, number);
                if (number.reason == ScanReason::Ok) {
                    amplitude = toDouble(number);
                    lastPoint = false;
                } else {
                    outcome.end = ReadEnd::NotANumber;
                    outcome.textLine = in.line();
                }
                break;
        }

        if (n > 0 && outcome.fallingLine == 0 && frequency < spectrum.frequency[n - 1]) {
            outcome.fallingLine = frequencyLine;
        }
        spectrum.frequency[n] = frequency;
        spectrum.amplitude[n] = format == AmplitudeFormat::Peak ? amplitude * toRms : amplitude;
        ++n;
        if (lastPoint) break;
    }
    spectrum.count = n;
    return outcome;
}

}  // namespace corvalen
