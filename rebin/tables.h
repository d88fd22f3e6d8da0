// The two fixed-capacity tables of a run: the input spectrum and the output bands.
//
// Both are sized once for the largest run (199,999 points, band indices up to
// 199,999) and live for the whole run, so that reading, gridding and summing
// never allocate. Slots that are never written stay 0.0.
#pragma once

#include <array>

namespace corvalen {

constexpr long kMaxPoints = 199'999;
constexpr long kMaxBandIndex = 199'999;
constexpr long kTableSlots = 200'000;

// Points in file order: frequency in Hz, amplitude in EU RMS.
struct InputSpectrum {
    std::array<double, kTableSlots> frequency{};
    std::array<double, kTableSlots> amplitude{};
    long count = 0;
};

// Bands 0 to lastBand; band 0 is built but never summed or reported. After the
// summation `sum` holds squared amplitudes; the report turns them into RMS.
struct BandTable {
    std::array<double, kTableSlots> centre{};
    std::array<double, kTableSlots> lowerEdge{};
    std::array<double, kTableSlots> upperEdge{};
    std::array<double, kTableSlots> sum{};
    long lastBand = 0;
    // How a frequency's band is found; decided once when the grid is built.
    enum class Search { None, Sorted, Literal } search = Search::None;
};

}  // namespace corvalen
