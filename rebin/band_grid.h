// Builds the grid of output bands and finds the band that holds a frequency.
//
// Band i is centred on i * df and reaches from centre - df/2 up to the next
// band's stored lower edge; the grid ends with the first band centred above
// 12,000 Hz, or at band 199,999. The edges are computed exactly so, in double
// arithmetic, because membership compares frequencies with these stored
// values: another formula would move frequencies that lie on an edge.
//
// The band of a frequency is, by definition, the first band b in 1..L with
// lowerEdge[b] <= f < upperEdge[b]. Testing every band costs points times
// bands; findBand gives the same answer in O(1) for an ordinary grid (an
// index estimated from f / df, corrected against the stored edges) and in
// O(log L) at worst (a binary search over the stored lower edges). That is
// only valid while the lower edges never fall, which buildBandGrid checks
// once; a grid in which no band can hold anything (df <= 0, df infinite) is
// recognised then too.
#pragma once

#include "rebin/tables.h"

namespace corvalen {

// Centres at or below this do not end the grid.
constexpr double kGridTopCentreHz = 12'000.0;

void buildBandGrid(double df, BandTable& bands);

// The band that holds frequency f, or 0 when no band does.
long findBand(const BandTable& bands, double f);

}  // namespace corvalen
