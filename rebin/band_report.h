// Sums the energy of the input points per band and writes one record per band that holds energy.
//
// Each point's squared RMS amplitude goes to the band that holds its
// frequency, in file order, until the first point above 10,000 Hz. The report
// then turns each sum into an amplitude and writes
// "\n \t %10.2lf \t %12.4e" (centre, amplitude) for every band above the
// 1e-20 floor, stopping at the first band whose lower edge lies above the
// last point read. Records go to the output file first, then to the console.
#pragma once

#include <cstddef>

#include "numtext/byte_sink.h"
#include "rebin/tables.h"

namespace corvalen {

constexpr double kTopSummedFrequencyHz = 10'000.0;
constexpr double kAmplitudeFloor = 1e-20;

void sumBandEnergy(const InputSpectrum& spectrum, BandTable& bands);

// One record's text; `out` must hold kMaxRecordLength bytes. Returns its length.
constexpr std::size_t kMaxRecordLength = 720;
std::size_t formatBandRecord(double centre, double amplitude, char* out);

void writeBandReport(const InputSpectrum& spectrum, BandTable& bands, ByteSink& outputFile,
                     ByteSink& console);

}  // namespace corvalen
