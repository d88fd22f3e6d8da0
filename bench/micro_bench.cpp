// Micro-benchmarks of the three hot paths of a large run: scanning numbers, formatting records, finding bands.
//
// The inputs mimic the largest run: 0.05 Hz spacing, amplitudes with seven
// significant digits, 199,999 bands.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "numtext/byte_source.h"
#include "numtext/decimal_format.h"
#include "numtext/number_scan.h"
#include "rebin/band_grid.h"

namespace corvalen {
namespace {

std::string spectrumText(long points) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> amplitude(1e-6, 2.0);
    std::string text;
    char line[64];
    for (long i = 1; i <= points; ++i) {
        std::snprintf(line, sizeof line, "%.2f\t%.6e\n", static_cast<double>(i) * 0.05,
                      amplitude(random));
        text += line;
    }
    return text;
}

void scanAndConvert(benchmark::State& state) {
    const std::string text = spectrumText(20000);
    ScannedNumber number;
    for (auto _ : state) {
        ByteSource in = ByteSource::fromMemory(text.data(), text.size());
        double total = 0.0;
        for (;;) {
            scanNumber(in, number);
            if (number.reason != ScanReason::Ok) break;
            total += toDouble(number);
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * 40000);
    state.SetBytesProcessed(state.iterations() * static_cast<long>(text.size()));
}
BENCHMARK(scanAndConvert);

void formatCentres(benchmark::State& state) {
    char out[kMaxFormattedLength];
    long i = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(formatFixed2(static_cast<double>(i) * 0.05, 10, out));
        i = i == 199999 ? 1 : i + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(formatCentres);

void formatAmplitudes(benchmark::State& state) {
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> amplitude(1e-6, 2.0);
    std::vector<double> values(4096);
    for (double& v : values) v = amplitude(random);
    char out[kMaxFormattedLength];
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(formatExp4(values[i], 12, out));
        i = (i + 1) & 4095;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(formatAmplitudes);

void findBands(benchmark::State& state) {
    auto bands = std::make_unique<BandTable>();
    buildBandGrid(0.05, *bands);
    for (auto _ : state) {
        long total = 0;
        for (long i = 1; i <= 199999; ++i) total += findBand(*bands, static_cast<double>(i) * 0.05);
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * 199999);
}
BENCHMARK(findBands);

}  // namespace
}  // namespace corvalen
