// Tests the band grid's edges and last band, and the fast band search against the literal test of every band.
#include "rebin/band_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

namespace corvalen {
namespace {

const double kInf = std::numeric_limits<double>::infinity();

// The band a frequency belongs to by definition: the first band that holds it.
long literalBand(const BandTable& bands, double f) {
    for (long b = 1; b <= bands.lastBand; ++b) {
        if (bands.lowerEdge[b] <= f && f < bands.upperEdge[b]) return b;
    }
    return 0;
}

std::unique_ptr<BandTable> gridFor(double df) {
    auto bands = std::make_unique<BandTable>();
    buildBandGrid(df, *bands);
    return bands;
}

TEST(BandGrid, LastBandIsTheFirstCentredAbove12000OrTheCap) {
    struct Case {
        double df;
        long lastBand;
    } cases[] = {
        {100.0,                 121},
        {50.0,                  241},
        {12000.0,               2},
        {12000.5,               1},
        {1e300,                 1},
        {kInf,                  1},
        {0.0,                   199999},
        {-1.0,                  199999},
        {0.05,                  199999},
        {12000.0 / 199999.0,    199999},
        {1e-300,                199999},
    };
    for (const Case& c : cases) EXPECT_EQ(gridFor(c.df)->lastBand, c.lastBand) << c.df;
}

TEST(BandGrid, EdgesAreComputedFromTheCentreAndCopiedFromTheNextBand) {
    const auto bands = gridFor(100.0);
    EXPECT_EQ(bands->centre[1], 100.0);
    EXPECT_EQ(bands->lowerEdge[1], 50.0);
    EXPECT_EQ(bands->upperEdge[1], 150.0);
    EXPECT_EQ(bands->centre[121], 12100.0);
    EXPECT_EQ(bands->upperEdge[121], 12150.0);
    EXPECT_EQ(bands->sum[7], 0.0);

    // 3 * 0.1 is slightly above 0.3, so band 3 starts slightly above 0.25 and
    // a frequency of exactly 0.25 belongs to band 2.
    const auto tenth = gridFor(0.1);
    EXPECT_EQ(tenth->centre[3], 3 * 0.1);
    EXPECT_GT(tenth->lowerEdge[3], 0.25);
    EXPECT_EQ(tenth->upperEdge[2], tenth->lowerEdge[3]);
    EXPECT_EQ(findBand(*tenth, 0.25), 2);

    const auto big = gridFor(20000.0);
    EXPECT_EQ(big->lowerEdge[1], 10000.0);
    EXPECT_EQ(big->upperEdge[1], 30000.0);

    const auto fine = gridFor(0.05);
    EXPECT_LT(fine->centre[199999], 10000.0);
    EXPECT_GT(fine->centre[199999], 9999.9);
}

TEST(BandGrid, GridsThatHoldNothing) {
    for (double df : {0.0, -0.0, -1.0, -100.0, kInf, -kInf}) {
        const auto bands = gridFor(df);
        for (double f : {0.0, 1.0, -1.0, 50.0, 1e300, -1e300, kInf, -kInf}) {
            EXPECT_EQ(findBand(*bands, f), 0) << df << " " << f;
        }
    }
    const auto zero = gridFor(0.0);
    EXPECT_EQ(zero->lowerEdge[199999], 0.0);
    EXPECT_EQ(zero->upperEdge[199999], 0.0);
}

TEST(BandSearch, TheCasesOfAHundredHertzGrid) {
    const auto bands = gridFor(100.0);
    struct Case {
        double f;
        long band;
    } cases[] = {
        {0.0, 0},   {25.0, 0},      {49.999, 0},  {50.0, 1},     {149.99, 1},
        {150.0, 2}, {10000.0, 100}, {12149.9, 121}, {12150.0, 0}, {kInf, 0},
        {-kInf, 0}, {-50.0, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(findBand(*bands, c.f), c.band) << c.f;
}

// Frequencies that matter most: on every stored edge and one ulp either side,
// plus random ones, below band 1 and above band L.
std::vector<double> probeFrequencies(const BandTable& bands, std::mt19937_64& random, int edges) {
    std::vector<double> probes = {0.0, -0.0, kInf, -kInf, 1e308, -1e308,
                                  std::numeric_limits<double>::denorm_min()};
    std::uniform_int_distribution<long> pick(1, bands.lastBand);
    for (int i = 0; i < edges; ++i) {
        const long b = pick(random);
        for (double edge : {bands.lowerEdge[b], bands.upperEdge[b], bands.centre[b]}) {
            probes.push_back(edge);
            probes.push_back(std::nextafter(edge, kInf));
            probes.push_back(std::nextafter(edge, -kInf));
        }
    }
    const double top = bands.upperEdge[bands.lastBand];
    std::uniform_real_distribution<double> anywhere(-0.1 * std::fabs(top), 1.1 * std::fabs(top));
    for (int i = 0; i < edges; ++i) probes.push_back(anywhere(random));
    for (long b : {1L, bands.lastBand}) {
        for (double edge : {bands.lowerEdge[b], bands.upperEdge[b]}) {
            probes.push_back(edge);
            probes.push_back(std::nextafter(edge, kInf));
            probes.push_back(std::nextafter(edge, -kInf));
        }
    }
    return probes;
}

// The search must find the band the literal test finds, for any resolution.
TEST(BandSearch, AgreesWithTheLiteralTestOnRandomGrids) {
    std::mt19937_64 random(424242);
    std::vector<double> resolutions = {
        0.05, 0.1, 0.3, 1.0 / 3.0, 0.125, 0.07, 12000.0 / 199999.0, 100.0, 12000.0, 20000.0,
        1e300, 1.7976931348623157e308, std::numeric_limits<double>::denorm_min(),
        3 * std::numeric_limits<double>::denorm_min(), 1e-310, 1e-300, 0.0, -0.05, kInf};
    std::uniform_real_distribution<double> exponent(-8.0, 4.5);
    for (int i = 0; i < 24; ++i) resolutions.push_back(std::pow(10.0, exponent(random)));
    for (int i = 0; i < 6; ++i) {
        // Random bit patterns reach every binade, subnormals included.
        std::uint64_t bits = random() >> 1;
        double df;
        std::memcpy(&df, &bits, sizeof df);
        if (std::isfinite(df)) resolutions.push_back(df);
    }

    auto bands = std::make_unique<BandTable>();
    for (double df : resolutions) {
        buildBandGrid(df, *bands);
        if (df > 0 && std::isfinite(df)) {
            EXPECT_EQ(bands->search, BandTable::Search::Sorted) << df;
        }
        for (double f : probeFrequencies(*bands, random, 150)) {
            ASSERT_EQ(findBand(*bands, f), literalBand(*bands, f)) << "df " << df << " f " << f;
        }
    }
}

}  // namespace
}  // namespace corvalen
