// The two fixed-capacity tables of a run: the input spectrum and the output bands.
//
// Both are sized once for the largest run (199,999 points, band indices up to
// 199,999) and live for the whole run, so that reading, gridding and summing
// never allocate. Slots that are never written stay 0.0.
#pragma once

#include <array>
#include <cstddef>

namespace corvalen {

constexpr long kMaxPoints = 199'999;
constexpr long kMaxBandIndex = 199'999;
constexpr long kTableSlots = 200'000;

// One column of a table, indexed by point or band number. Those numbers are
// longs, as the count line prints them, so the one conversion to an array
// index lives here instead of at every use.
struct Column {
    std::array<double, static_cast<std::size_t>(kTableSlots)> slots{};

    double& operator[](long i) { return slots[static_cast<std::size_t>(i)]; }
    const double& operator[](long i) const { return slots[static_cast<std::size_t>(i)]; }
    const double* data() const { return slots.data(); }
};

// Points in file order: frequency in Hz, amplitude in EU RMS.
struct InputSpectrum {
    Column frequency{};
    Column amplitude{};
    long count = 0;
};

// Bands 0 to lastBand; band 0 is built but never summed or reported. After the
// summation `sum` holds squared amplitudes; the report turns them into RMS.
struct BandTable {
    Column centre{};
    Column lowerEdge{};
    Column upperEdge{};
    Column sum{};
    long lastBand = 0;
    // How a frequency's band is found; decided once when the grid is built.
    enum class Search { None, Sorted, Literal } search = Search::None;
};

}  // namespace corvalen
