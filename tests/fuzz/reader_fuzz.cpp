// Fuzzes the whole conversion on arbitrary file bytes and any resolution: reading, grid, summation and report.
//
// Input layout: bytes 0 to 7 are the resolution (any double, NaN, infinities
// and subnormals included); byte 8 holds the header line count minus one in
// bits 0 to 2 (so -1 to 6), the read buffer's size minus one in bits 3 to 6,
// and `Peak` in bit 7; the rest is the file.
//
// Beyond not crashing under the sanitizers, each run must satisfy what the
// file format and the report format promise, checked against plain
// retellings rather than the product's own code paths (only the digits of a
// record come from the product's formatter, which has its own tests against
// a slow reference):
//   - reading from memory and through a descriptor with a tiny buffer gives
//     the same table and the same outcome;
//   - slot k holds the k-th pair of the numbers the reference scanner finds
//     after the header, peak amplitudes times sqrt(2)/2, a lone last
//     frequency with amplitude 0, at most 199,999 points, ending and warning
//     lines as documented;
//   - when points times bands is small enough, the report is byte for byte
//     the one that testing every band for every point gives;
//   - always: every record is "\n \t %10.2lf \t %12.4e" with a three-digit
//     exponent, centres never fall, and the console echoes the file exactly.
// Built with clang's libFuzzer: cmake -DCORVALEN_FUZZ=ON with clang++.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/memory_file.h"
#include "numtext/byte_sink.h"
#include "numtext/byte_source.h"
#include "rebin/band_grid.h"
#include "rebin/band_report.h"
#include "rebin/spectrum_reader.h"
#include "support/reference_scan.h"

namespace {

using namespace corvalen;
using fuzz::fail;

InputSpectrum gSpectrum;
InputSpectrum gSpectrumFromFile;
BandTable gBands;
double gLiteralSums[kTableSlots];

// Points times bands up to which the whole report is recomputed literally.
constexpr double kLiteralBudget = 4e6;

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

long lineAt(std::string_view text, std::size_t end) {
    long line = 1;
    for (std::size_t i = 0; i < end; ++i) line += text[i] == '\n';
    return line;
}

void checkSameReading(const ReadOutcome& a, const ReadOutcome& b) {
    if (a.end != b.end || a.textLine != b.textLine || a.fallingLine != b.fallingLine) {
        fail("outcome depends on the read buffer");
    }
    if (gSpectrum.count != gSpectrumFromFile.count) fail("count depends on the read buffer");
    for (long k = 0; k < gSpectrum.count; ++k) {
        if (!sameBits(gSpectrum.frequency[k], gSpectrumFromFile.frequency[k]) ||
            !sameBits(gSpectrum.amplitude[k], gSpectrumFromFile.amplitude[k])) {
            fail("point depends on the read buffer");
        }
    }
}

// The numbers after the header, as the reference scanner finds them, taken in pairs.
void checkReading(std::string_view file, std::int32_t headerLines, bool peak,
                  const ReadOutcome& outcome) {
    std::size_t at = 0;
    for (std::int32_t i = 0; i < headerLines; ++i) {
        const std::size_t lineFeed = file.find('\n', at);
        at = lineFeed == std::string_view::npos ? file.size() : lineFeed + 1;
    }
    std::vector<double> values;
    std::vector<std::size_t> starts;
    ReadEnd end = ReadEnd::EndOfFile;
    std::size_t failedAt = 0;
    for (;;) {
        const std::size_t next = reference::skipSpaces(file, at);
        if (next == file.size()) break;
        if (file[next] == kEndOfFileMark) {
            end = ReadEnd::EndMark;
            break;
        }
        if (values.size() == 2 * static_cast<std::size_t>(kMaxPoints)) {
            end = ReadEnd::TooManyPoints;
            break;
        }
        const reference::Number number = reference::scanNumber(file, at);
        at = number.end;
        if (number.reason != ScanReason::Ok) {
            end = ReadEnd::NotANumber;
            failedAt = number.end;
            break;
        }
        values.push_back(number.value);
        starts.push_back(number.start);
    }

    const std::size_t count = (values.size() + 1) / 2;
    if (gSpectrum.count != static_cast<long>(count)) fail("point count");
    if (gSpectrum.count > kMaxPoints) fail("more than 199,999 points");
    // At the cap the reader only asks whether a number follows, so a mark
    // there ends it like the end of the file; neither prints anything.
    const bool quietEnd = end == ReadEnd::EndOfFile || end == ReadEnd::EndMark;
    const bool quietOutcome =
        outcome.end == ReadEnd::EndOfFile || outcome.end == ReadEnd::EndMark;
    const bool atCap = count == static_cast<std::size_t>(kMaxPoints);
    if (outcome.end != end && !(atCap && quietEnd && quietOutcome)) fail("how reading ended");
    if (outcome.textLine != (end == ReadEnd::NotANumber ? lineAt(file, failedAt) : 0)) {
        fail("text line");
    }

    const double toRms = std::sqrt(2.0) / 2.0;
    long fallingLine = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const double frequency = values[2 * k];
        const double amplitude = 2 * k + 1 < values.size() ? values[2 * k + 1] : 0.0;
        const auto slot = static_cast<long>(k);
        if (!sameBits(gSpectrum.frequency[slot], frequency)) fail("frequency slot");
        if (!sameBits(gSpectrum.amplitude[slot], peak ? amplitude * toRms : amplitude)) {
            fail("amplitude slot");
        }
        if (k > 0 && fallingLine == 0 && frequency < values[2 * k - 2]) {
            fallingLine = lineAt(file, starts[2 * k]);
        }
    }
    if (outcome.fallingLine != fallingLine) fail("falling line");
}

// Every record is "\n \t %10.2lf \t %12.4e", the exponent with a sign and
// three digits, an infinite amplitude as "inf"; centres never fall.
void checkRecordLayout(const std::string& report) {
    std::size_t at = 0;
    double previousCentre = -HUGE_VAL;
    while (at < report.size()) {
        if (report.compare(at, 4, "\n \t ") != 0) fail("record start", report.substr(at, 80));
        at += 4;
        const std::size_t gap = report.find(" \t ", at);
        if (gap == std::string::npos) fail("record gap", report.substr(at, 80));
        const std::string centre = report.substr(at, gap - at);
        std::size_t digitsAt = centre.find_first_not_of(' ');
        if (digitsAt == std::string::npos || (centre.size() > 10 && digitsAt != 0) ||
            (centre.size() < 10)) {
            fail("centre field width", centre);
        }
        if (centre[digitsAt] == '-') ++digitsAt;
        const std::size_t point = centre.find('.', digitsAt);
        if (point == std::string::npos || point == digitsAt || point + 3 != centre.size() ||
            centre.find_first_not_of("0123456789", digitsAt) != point ||
            centre.find_first_not_of("0123456789", point + 1) != std::string::npos) {
            fail("centre field", centre);
        }
        const double centreValue = std::strtod(centre.c_str(), nullptr);
        if (centreValue < previousCentre) fail("centres fall", centre);
        previousCentre = centreValue;

        at = gap + 3;
        const std::string amplitude = report.substr(at, 12);
        const bool infinite = amplitude == "         inf";
        const bool exponentForm = amplitude.size() == 12 && amplitude[0] == ' ' && amplitude[1] >= '1' &&
                                  amplitude[1] <= '9' && amplitude[2] == '.' &&
                                  amplitude.find_first_not_of("0123456789", 3) == 7 && amplitude[7] == 'e' &&
                                  (amplitude[8] == '+' || amplitude[8] == '-') &&
                                  amplitude.find_first_not_of("0123456789", 9) == std::string::npos;
        if (!infinite && !exponentForm) fail("amplitude field", amplitude);
        at += 12;
    }
}

// The summation and report as literally defined: every band tested for every
// point, in file order, until the first point above 10,000 Hz.
std::string literalReport() {
    const long last = gBands.lastBand;
    for (long b = 0; b <= last; ++b) gLiteralSums[b] = 0.0;
    for (long k = 0; k < gSpectrum.count; ++k) {
        const double f = gSpectrum.frequency[k];
        if (f > 10'000.0) break;
        const double a = gSpectrum.amplitude[k];
        for (long b = 1; b <= last; ++b) {
            if (gBands.lowerEdge[b] <= f && f < gBands.upperEdge[b]) gLiteralSums[b] += a * a;
        }
    }
    std::string report;
    if (gSpectrum.count == 0) return report;
    const double lastFrequency = gSpectrum.frequency[gSpectrum.count - 1];
    char record[kMaxRecordLength];
    for (long b = 1; b <= last; ++b) {
        const double amplitude = std::sqrt(gLiteralSums[b]);
        if (gBands.lowerEdge[b] > lastFrequency) break;
        if (amplitude > 1e-20) {
            report.append(record, formatBandRecord(gBands.centre[b], amplitude, record));
        }
    }
    return report;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 9) return 0;
    double resolution;
    std::memcpy(&resolution, data, sizeof resolution);
    const std::int32_t headerLines = static_cast<std::int32_t>(data[8] & 7u) - 1;
    const std::size_t capacity = 1 + ((data[8] >> 3) & 15u);
    const bool peak = (data[8] & 0x80u) != 0;
    const AmplitudeFormat format = peak ? AmplitudeFormat::Peak : AmplitudeFormat::Rms;
    const std::string_view file(reinterpret_cast<const char*>(data + 9), size - 9);

    ByteSource in = ByteSource::fromMemory(file.data(), file.size());
    skipHeaderLines(in, headerLines);
    const ReadOutcome outcome = readSpectrum(in, format, gSpectrum);

    static fuzz::MemoryFile inputFile;
    inputFile.fill(file);
    char storage[16];
    ByteSource fromFile(inputFile.fd(), storage, capacity);
    skipHeaderLines(fromFile, headerLines);
    checkSameReading(outcome, readSpectrum(fromFile, format, gSpectrumFromFile));
    checkReading(file, headerLines, peak, outcome);

    buildBandGrid(resolution, gBands);
    if (gBands.lastBand < 0 || gBands.lastBand > kMaxBandIndex) fail("last band index");
    const bool literal =
        static_cast<double>(gSpectrum.count) * static_cast<double>(gBands.lastBand) <= kLiteralBudget;
    const std::string expected = literal ? literalReport() : std::string();
    sumBandEnergy(gSpectrum, gBands);

    static fuzz::MemoryFile outputFile;
    static fuzz::MemoryFile consoleFile;
    outputFile.reset();
    consoleFile.reset();
    static char outputBuffer[1 << 14];
    static char consoleBuffer[1 << 14];
    ByteSink output(outputFile.fd(), outputBuffer, sizeof outputBuffer);
    ByteSink console(consoleFile.fd(), consoleBuffer, sizeof consoleBuffer);
    writeBandReport(gSpectrum, gBands, output, console);
    output.flush();
    console.flush();

    const std::string report = outputFile.contents();
    if (consoleFile.contents() != report) fail("console echo differs from the file");
    checkRecordLayout(report);
    if (literal && report != expected) {
        fail("report differs from the literal summation", report + "\n---\n" + expected);
    }
    return 0;
}
