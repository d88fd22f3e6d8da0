// Tests the exact decimal expansion of doubles against known values and against the C library.
//
// The expansion is the oracle for the formatter's tests, so it is checked on
// its own here: known expansions written out in full where they are short,
// digit counts and both ends where they are long (the longest expansions
// are what the fixed storage is sized for), and glibc's "%.800e", which
// prints a double's exact value, for a spread of random doubles.
#include "numtext/exact_decimal.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace corvalen {
namespace {

struct Expansion {
    std::string digits;
    int pointPosition;
};

Expansion expand(double value) {
    ExactDecimal out;
    exactDecimal(value, out);
    return {std::string(out.digits, out.count), out.pointPosition};
}

TEST(ExactDecimal, ShortExpansionsInFull) {
    struct Case {
        double value;
        const char* digits;
        int pointPosition;
    };
    const Case cases[] = {
        {0.1,                  "1000000000000000055511151231257827021181583404541015625",   0},
        {0.5,                  "5",                                                         0},
        {1.0,                  "1",                                                         1},
        {123.0,                "123",                                                       3},
        {0.375,                "375",                                                       0},
        {1024.0,               "1024",                                                      4},
        {0x1p-10,              "9765625",                                                  -3},
        {0x1p64,               "18446744073709551616",                                     20},
        {1e22,                 "1",                                                        23},
        {1e23,                 "99999999999999991611392",                                  23},
        {1000000000000000.25,  "100000000000000025",                                       16},
        {-2.5,                 "25",                                                        1},
        // 2^53 + 1 is not a double: the literal is 2^53
        {9007199254740993.0,   "9007199254740992",                                         16},
    };
    for (const Case& c : cases) {
        const Expansion e = expand(c.value);
        EXPECT_EQ(e.digits, c.digits) << c.value;
        EXPECT_EQ(e.pointPosition, c.pointPosition) << c.value;
    }
}

TEST(ExactDecimal, ZeroOfEitherSignHasNoDigits) {
    for (double zero : {0.0, -0.0}) {
        const Expansion e = expand(zero);
        EXPECT_EQ(e.digits, "");
        EXPECT_EQ(e.pointPosition, 0);
    }
}

TEST(ExactDecimal, PowersOfTwoAcrossTheRange) {
    // 2^k is 5^-k * 10^k for k < 0, so its digits are those of 5^-k; for
    // k >= 0 the last digit is even. Either way the digits never end in 0.
    for (int k = -1074; k <= 1023; ++k) {
        const Expansion e = expand(std::ldexp(1.0, k));
        ASSERT_FALSE(e.digits.empty()) << k;
        EXPECT_NE(e.digits.front(), '0') << k;
        EXPECT_NE(e.digits.back(), '0') << k;
        if (k < 0) {
            EXPECT_EQ(e.digits.back(), '5') << k;
        }
        // 2^k lies in [10^(p-1), 10^p).
        EXPECT_EQ(e.pointPosition, static_cast<int>(std::floor(k * std::log10(2.0))) + 1) << k;
    }
    EXPECT_EQ(expand(0x1p-3).digits, "125");
    EXPECT_EQ(expand(0x1p-3).pointPosition, 0);
    EXPECT_EQ(expand(0x1p20).digits, "1048576");
}

TEST(ExactDecimal, LongestExpansionsFitAndAreComplete) {
    struct Case {
        double value;
        std::size_t count;
        const char* first;
        const char* last;
        int pointPosition;
    };
    const Case cases[] = {
        // the smallest subnormal, 2^-1074
        {std::numeric_limits<double>::denorm_min(), 751,
         "4940656458412465441765687928682213723650", "2506419718265533447265625", -323},
        // the largest double: an integer of 309 digits
        {std::numeric_limits<double>::max(), 309,
         "1797693134862315708145274237317043567980", "9881250404026184124858368", 309},
        // (2^53 - 1) * 2^-1074, the longest expansion of all
        {std::bit_cast<double>(std::uint64_t{0x001F'FFFF'FFFF'FFFF}), 767,
         "4450147717014402272114819593418263951869", "7493580281734466552734375", -307},
    };
    for (const Case& c : cases) {
        const Expansion e = expand(c.value);
        EXPECT_EQ(e.digits.size(), c.count) << c.value;
        EXPECT_EQ(e.digits.substr(0, std::strlen(c.first)), c.first) << c.value;
        ASSERT_GE(e.digits.size(), std::strlen(c.last));
        EXPECT_EQ(e.digits.substr(e.digits.size() - std::strlen(c.last)), c.last) << c.value;
        EXPECT_EQ(e.pointPosition, c.pointPosition) << c.value;
    }
}

// glibc prints the exact value under "%.*e" when asked for enough digits;
// 800 is more than the 767 any double can have.
Expansion expandWithLibrary(double value) {
    char text[900];
    std::snprintf(text, sizeof text, "%.*e", 800, std::fabs(value));
    std::string digits;
    const char* p = text;
    for (; *p != 'e'; ++p) {
        if (*p != '.') digits.push_back(*p);
    }
    const int exponent = std::atoi(p + 1);
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    return {digits, exponent + 1};
}

TEST(ExactDecimal, AgreesWithTheCLibraryOnRandomDoubles) {
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> decades(-30.0, 30.0);
    for (int i = 0; i < 40000; ++i) {
        // Half random bit patterns over the whole range, half in everyday magnitudes.
        const double value = i % 2 == 0 ? std::bit_cast<double>(random())
                                         : std::pow(10.0, decades(random));
        if (!std::isfinite(value) || value == 0.0) continue;
        const Expansion ours = expand(value);
        const Expansion library = expandWithLibrary(value);
        ASSERT_EQ(ours.digits, library.digits) << std::hexfloat << value;
        ASSERT_EQ(ours.pointPosition, library.pointPosition) << std::hexfloat << value;
    }
}

TEST(ExactDecimal, SubnormalsAgreeWithTheCLibrary) {
    std::mt19937_64 random(7);
    for (int i = 0; i < 2000; ++i) {
        const double value = std::bit_cast<double>(random() & 0x000F'FFFF'FFFF'FFFF);
        if (value == 0.0) continue;
        const Expansion ours = expand(value);
        const Expansion library = expandWithLibrary(value);
        ASSERT_EQ(ours.digits, library.digits) << std::hexfloat << value;
        ASSERT_EQ(ours.pointPosition, library.pointPosition) << std::hexfloat << value;
    }
}

}  // namespace
}  // namespace corvalen
