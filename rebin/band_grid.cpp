// Fills the band table for one resolution and searches it.
#include "rebin/band_grid.h"

#include <algorithm>
#include <cmath>

namespace corvalen {
namespace {

// Correctly rounded arithmetic is monotone, so for every finite df > 0 the
// lower edges i * df - df / 2 never fall and the last upper edge is not below
// the last lower edge: the grid is sorted. For df <= 0 or infinite no band can
// hold anything. The literal search stays as the answer for any grid that is
// neither, so that the result never depends on that argument.
BandTable::Search chooseSearch(const BandTable& bands) {
    const long last = bands.lastBand;
    bool sorted = bands.lowerEdge[last] <= bands.upperEdge[last];
    for (long b = 1; sorted && b < last; ++b) {
        sorted = bands.lowerEdge[b] <= bands.lowerEdge[b + 1];
    }
    if (sorted) return BandTable::Search::Sorted;
    for (long b = 1; b <= last; ++b) {
        if (bands.lowerEdge[b] < bands.upperEdge[b]) return BandTable::Search::Literal;
    }
    return BandTable::Search::None;
}

long findBandLiterally(const BandTable& bands, double f) {
    for (long b = 1; b <= bands.lastBand; ++b) {
        if (bands.lowerEdge[b] <= f && f < bands.upperEdge[b]) return b;
    }
    return 0;
}

// Lower edges that never fall, with upperEdge[b] == lowerEdge[b + 1], make
// the bands disjoint (some may be empty): the band is the last one whose lower
// edge is <= f, if f is also below the grid's top.
long findBandInSortedGrid(const BandTable& bands, double f) {
    const long last = bands.lastBand;
    const double* lower = bands.lowerEdge.data();
    const double* upper = bands.upperEdge.data();
    if (!(lower[1] <= f) || !(f < upper[last])) return 0;

    // f / df lands within one band of the answer whenever the centres are
    // close to exact multiples of df, which they are for every finite df > 0.
    const double estimate = std::floor(f / bands.centre[1] + 0.5);
    if (estimate >= 1.0 && estimate <= static_cast<double>(last)) {
        const long b = static_cast<long>(estimate);
        if (lower[b] <= f) {
            if (f < upper[b]) return b;
            if (b < last && f < upper[b + 1]) return b + 1;
        } else if (b > 1 && lower[b - 1] <= f) {
            return b - 1;
        }
    }
    const double* firstAbove = std::upper_bound(lower + 1, lower + last + 1, f);
    return (firstAbove - lower) - 1;
}

}  // namespace

void buildBandGrid(double df, BandTable& bands) {
    long i = 0;
    for (;; ++i) {
        bands.sum[i] = 0.0;
        bands.centre[i] = static_cast<double>(i) * df;
        bands.lowerEdge[i] = bands.centre[i] - df / 2.0;
        if (bands.centre[i] > kGridTopCentreHz || i == kMaxBandIndex) break;
    }
    const long last = i;
    for (long b = 1; b < last; ++b) bands.upperEdge[b] = bands.lowerEdge[b + 1];
    bands.upperEdge[last] = df / 2.0 + bands.centre[last];
    bands.lastBand = last;
    bands.search = chooseSearch(bands);
}

long findBand(const BandTable& bands, double f) {
    switch (bands.search) {
        case BandTable::Search::Sorted: return findBandInSortedGrid(bands, f);
        case BandTable::Search::Literal: return findBandLiterally(bands, f);
        case BandTable::Search::None: break;
    }
    return 0;
}

}  // namespace corvalen
