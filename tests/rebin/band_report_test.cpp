// Tests the band summation and the report's records, floor and stop rule, and the energy balance on a generated spectrum.
#include "rebin/band_report.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "rebin/band_grid.h"

namespace corvalen {
namespace {

// An in-memory file for the report to write to.
class MemoryFile {
public:
    MemoryFile() : fd_(memfd_create("report", 0)) {}
    ~MemoryFile() { close(fd_); }
    int fd() const { return fd_; }
    std::string contents() const {
        std::string text;
        char chunk[4096];
        for (off_t at = 0;;) {
            const ssize_t got = pread(fd_, chunk, sizeof chunk, at);
            if (got <= 0) return text;
            text.append(chunk, static_cast<std::size_t>(got));
            at += got;
        }
    }

private:
    int fd_;
};

struct Rebinned {
    std::unique_ptr<InputSpectrum> spectrum = std::make_unique<InputSpectrum>();
    std::unique_ptr<BandTable> bands = std::make_unique<BandTable>();
    std::string file;
    std::string console;
};

Rebinned rebin(const std::vector<std::pair<double, double>>& points, double df) {
    Rebinned run;
    for (const auto& [f, a] : points) {
        run.spectrum->frequency[run.spectrum->count] = f;
        run.spectrum->amplitude[run.spectrum->count] = a;
        ++run.spectrum->count;
    }
    buildBandGrid(df, *run.bands);
    sumBandEnergy(*run.spectrum, *run.bands);
    MemoryFile file, console;
    char fileBuffer[64], consoleBuffer[100];
    ByteSink fileSink(file.fd(), fileBuffer, sizeof fileBuffer);
    ByteSink consoleSink(console.fd(), consoleBuffer, sizeof consoleBuffer);
    writeBandReport(*run.spectrum, *run.bands, fileSink, consoleSink);
    fileSink.flush();
    consoleSink.flush();
    EXPECT_FALSE(fileSink.failed());
    run.file = file.contents();
    run.console = console.contents();
    EXPECT_EQ(run.file, run.console);
    return run;
}

std::string record(const char* centre, const char* amplitude) {
    return std::string("\n \t ") + centre + " \t " + amplitude;
}

TEST(BandRecord, LayoutOfOneRecord) {
    char text[kMaxRecordLength];
    EXPECT_EQ(std::string(text, formatBandRecord(100.0, 5.0, text)),
              "\n \t     100.00 \t  5.0000e+000");
    EXPECT_EQ(std::string(text, formatBandRecord(0.125, 0.0012345678, text)),
              "\n \t       0.13 \t  1.2346e-003");
    EXPECT_EQ(std::string(text, formatBandRecord(1234567.5, HUGE_VAL, text)),
              "\n \t 1234567.50 \t          inf");
}

TEST(BandSummation, PointsGoToTheBandThatHoldsThem) {
    const Rebinned run = rebin({{25.0, 7.0}, {0.0, 7.0}, {50.0, 1.0}, {149.99, 2.0}, {150.0, 3.0}}, 100.0);
    EXPECT_EQ(run.bands->sum[1], std::sqrt(1.0 + 4.0));  // the report leaves amplitudes
    EXPECT_EQ(run.bands->sum[2], 3.0);
}

TEST(BandSummation, SummationStopsAtTheFirstPointAbove10000Hz) {
    const Rebinned run = rebin({{10000.0, 1.0}, {10000.5, 2.0}, {200.0, 3.0}, {10100.0, 1.0}}, 100.0);
    // 10,000 Hz itself is summed; 10,000.5 ends the summation, so 200 Hz is not.
    EXPECT_EQ(run.file, record("  10000.00", " 1.0000e+000"));
}

TEST(BandReport, RecordsFloorAndStopRule) {
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> points;
        double df;
        std::string expected;
    } cases[] = {
        {"root sum square", {{100, 3}, {110, 4}, {120, 0}}, 100,
         record("    100.00", " 5.0000e+000")},
        {"floor excludes 1e-20 and zero", {{100, 1e-20}, {200, 0}, {300, 2e-20}}, 100,
         record("    300.00", " 2.0000e-020")},
        {"last point on a lower edge", {{100, 1}, {150, 1}}, 100,
         record("    100.00", " 1.0000e+000") + record("    200.00", " 1.0000e+000")},
        {"last point decides the end", {{100, 1}, {200, 1}, {300, 1}, {400, 1}, {500, 1}, {600, 1},
                                        {700, 1}, {800, 1}, {900, 1}, {20, 1}}, 100, ""},
        {"last point above 10 kHz", {{100, 1}, {20000, 1}}, 100,
         record("    100.00", " 1.0000e+000")},
        {"resolution zero", {{0, 1}, {100, 1}}, 0, ""},
        {"negative resolution", {{100, 1}}, -100, ""},
        {"infinite resolution", {{100, 1}}, HUGE_VAL, ""},
        {"centre 0.125", {{0.125, 1}}, 0.125, record("      0.13", " 1.0000e+000")},
        {"infinite amplitude", {{100, HUGE_VAL}, {200, 1e200}}, 100,
         record("    100.00", "         inf") + record("    200.00", "         inf")},
        {"no points", {}, 100, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(rebin(c.points, c.df).file, c.expected) << c.name;
}

// The energy balance: the squared output amplitudes add up to the squared
// input amplitudes of every point that falls into the grid below 10,000 Hz.
TEST(BandReport, EnergyIsConserved) {
    std::mt19937_64 random(77);
    std::uniform_real_distribution<double> amplitude(0.0, 2.0);
    for (double df : {0.05, 0.3, 1.0 / 3.0, 7.0, 100.0}) {
        std::vector<std::pair<double, double>> points;
        double inputEnergy = 0.0;
        for (long i = 1; i <= 150000; ++i) {
            const double f = static_cast<double>(i) * 0.0625;  // rising, up to 9,375 Hz
            const double a = amplitude(random);
            points.emplace_back(f, a);
            if (f >= df / 2) inputEnergy += a * a;
        }
        const Rebinned run = rebin(points, df);
        double outputEnergy = 0.0;
        for (long b = 1; b <= run.bands->lastBand; ++b) outputEnergy += run.bands->sum[b] * run.bands->sum[b];
        EXPECT_NEAR(outputEnergy, inputEnergy, inputEnergy * 1e-12) << df;
    }
}

}  // namespace
}  // namespace corvalen
