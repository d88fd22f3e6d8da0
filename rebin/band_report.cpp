// Band summation and the report of band records.
#include "rebin/band_report.h"

#include <cmath>
#include <cstring>

#include "numtext/decimal_format.h"
#include "rebin/band_grid.h"

namespace corvalen {

void sumBandEnergy(const InputSpectrum& spectrum, BandTable& bands) {
    for (long k = 0; k < spectrum.count; ++k) {
        const double f = spectrum.frequency[k];
        // Later points are not summed even when their frequencies fall again.
        if (f > kTopSummedFrequencyHz) break;
        const long b = findBand(bands, f);
        if (b != 0) bands.sum[b] += spectrum.amplitude[k] * spectrum.amplitude[k];
    }
}

std::size_t formatBandRecord(double centre, double amplitude, char* out) {
    std::size_t length = 0;
    std::memcpy(out, "\n \t ", 4);
    length += 4;
    length += formatFixed2(centre, 10, out + length);
    std::memcpy(out + length, " \t ", 3);
    length += 3;
    length += formatExp4(amplitude, 12, out + length);
    return length;
}

void writeBandReport(const InputSpectrum& spectrum, BandTable& bands, ByteSink& outputFile,
                     ByteSink& console) {
    // With no point read there is no last point, and every sum is zero.
    if (spectrum.count == 0) return;
    const double lastFrequency = spectrum.frequency[spectrum.count - 1];
    char record[kMaxRecordLength];
    for (long b = 1; b <= bands.lastBand; ++b) {
        bands.sum[b] = std::sqrt(bands.sum[b]);
        if (bands.lowerEdge[b] > lastFrequency) break;
        if (bands.sum[b] > kAmplitudeFloor) {
            const std::size_t length = formatBandRecord(bands.centre[b], bands.sum[b], record);
            outputFile.write({record, length});
            console.write({record, length});
        }
    }
}

}  // namespace corvalen
