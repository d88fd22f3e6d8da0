// Tests the band-record number formatter: fixed cases by behaviour, then a slow reference formatter on many doubles.
//
// The fixed cases pin down what a reader of the report sees: carries, ties
// going up, the effect of rounding twice, zeros, signs, widths, the ends of
// the range. Each expected string was worked out by hand from the value's
// exact expansion.
//
// The reference formatter below knows nothing of the formatter's integer
// paths: it takes the digit string of exactDecimal and rounds it as text,
// first to 17 digits, then to the printed ones. Comparing the two on random
// bit patterns, on the values the program prints every day, on constructed
// ties and on values next to carries is what shows the fast paths exact.
#include "numtext/decimal_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <random>
#include <string>

#include "numtext/exact_decimal.h"

namespace corvalen {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMinSubnormal = std::numeric_limits<double>::denorm_min();
constexpr double kMaxDouble = std::numeric_limits<double>::max();

std::string fixed(double value, int width = 10) {
    char out[kMaxFormattedLength];
    return std::string(out, formatFixed2(value, width, out));
}

std::string exp4(double value, int width = 12) {
    char out[kMaxFormattedLength];
    return std::string(out, formatExp4(value, width, out));
}

struct Case {
    double value;
    const char* expected;
};

template <std::size_t N>
void expectFixed(const Case (&cases)[N]) {
    for (const Case& c : cases) EXPECT_EQ(fixed(c.value), c.expected) << std::hexfloat << c.value;
}

template <std::size_t N>
void expectExp(const Case (&cases)[N]) {
    for (const Case& c : cases) EXPECT_EQ(exp4(c.value), c.expected) << std::hexfloat << c.value;
}

// ---------------------------------------------------------------- the header's examples

TEST(DecimalFormat, HeaderExamplesHold) {
    EXPECT_EQ(fixed(0.125, 10),               "      0.13");
    EXPECT_EQ(fixed(21 * 0.005, 10),          "      0.11");
    EXPECT_EQ(fixed(999999.995, 10),          "1000000.00");
    EXPECT_EQ(fixed(1000000000000000.25, 10), "1000000000000000.30");
    EXPECT_EQ(fixed(9.9999, 10),              "     10.00");
    EXPECT_EQ(fixed(0.004, 10),               "      0.00");
    EXPECT_EQ(fixed(-0.001, 10),              "     -0.00");
    EXPECT_EQ(fixed(1e20, 10),                "100000000000000000000.00");
    EXPECT_EQ(exp4(0.0012345678, 12),         " 1.2346e-003");
    EXPECT_EQ(exp4(4.0, 12),                  " 4.0000e+000");
    EXPECT_EQ(exp4(1.03125, 12),              " 1.0313e+000");
    EXPECT_EQ(exp4(9.99995, 12),              " 1.0000e+001");
    EXPECT_EQ(exp4(0.0, 12),                  " 0.0000e+000");
    EXPECT_EQ(exp4(-2.5e-300, 12),            "-2.5000e-300");
    EXPECT_EQ(exp4(kInf, 12),                 "         inf");
    EXPECT_EQ(exp4(kNaN, 12),                 "         nan");
}

// ---------------------------------------------------------------- fixed, "%10.2lf"

TEST(FormatFixed2, CarriesRunThroughEveryDigit) {
    const Case cases[] = {
        {9.9999,     "     10.00"},
        {99.995,     "    100.00"},  // 99.995000000000004547
        {0.995,      "      1.00"},  // 0.99499999999999999556 -> 0.99500000000000000
        {19.999,     "     20.00"},
        {999.9951,   "   1000.00"},
        {99999.999,  " 100000.00"},
        {0.0999,     "      0.10"},
        {9.995,      "      9.99"},  // 9.9949999999999992184 -> 9.9949999999999992: no carry
    };
    expectFixed(cases);
}

TEST(FormatFixed2, TiesGoUp) {
    const Case cases[] = {
        {0.125,               "      0.13"},  // exact ties: printf would give 0.12
        {0.375,               "      0.38"},
        {0.625,               "      0.63"},
        {2.675,               "      2.67"},  // 2.6749999999999998224: not a tie
        {1000000000000000.25, "1000000000000000.30"},  // 18 digits: a tie at the 17th
        {1000000000000000.75, "1000000000000000.80"},
        {123456789012345.125, "123456789012345.13"},   // 18 digits ending in 5
    };
    expectFixed(cases);
}

TEST(FormatFixed2, RoundsTwiceFirstTo17Digits) {
    const Case cases[] = {
        {21 * 0.005, "      0.11"},  // 0.10499999999999999611 -> 0.10500000000000000
        {999999.995, "1000000.00"},  // 999999.99499999999534 -> 999999.99500000000
        {0.005,      "      0.01"},  // 0.0050000000000000001041
        {0.015,      "      0.01"},  // 0.014999999999999999445 -> 0.014999999999999999
        {0.045,      "      0.04"},  // 0.044999999999999998335 -> 0.044999999999999998
        {1.005,      "      1.00"},  // 1.00499999999999989342 -> 1.0049999999999999
    };
    expectFixed(cases);
}

TEST(FormatFixed2, SmallValuesRoundToZero) {
    const Case cases[] = {
        {0.0,           "      0.00"},
        {0.001,         "      0.00"},
        {0.004,         "      0.00"},
        {0.0049999,     "      0.00"},
        {1e-14,         "      0.00"},  // its 17 digits carry to 1.0000000000000000e-14
        {1e-300,        "      0.00"},
        {kMinSubnormal, "      0.00"},
    };
    expectFixed(cases);
}

TEST(FormatFixed2, NegativesKeepTheirSign) {
    const Case cases[] = {
        {-0.0,      "     -0.00"},
        {-0.001,    "     -0.00"},
        {-0.125,    "     -0.13"},  // ties go away from zero
        {-9.9999,   "    -10.00"},
        {-12000.05, " -12000.05"},
        {-1e-300,   "     -0.00"},
    };
    expectFixed(cases);
}

TEST(FormatFixed2, WidthRightAlignsAndWidens) {
    EXPECT_EQ(fixed(3.14159, 0),    "3.14");
    EXPECT_EQ(fixed(3.14159, -5),   "3.14");
    EXPECT_EQ(fixed(3.14159, 4),    "3.14");
    EXPECT_EQ(fixed(3.14159, 5),    " 3.14");
    EXPECT_EQ(fixed(-3.14159, 5),   "-3.14");
    EXPECT_EQ(fixed(-3.14159, 6),   " -3.14");
    EXPECT_EQ(fixed(1234567.891),   "1234567.89");
    EXPECT_EQ(fixed(12345678.912),  "12345678.91");
    EXPECT_EQ(fixed(-12345678.912), "-12345678.91");
    EXPECT_EQ(fixed(kInf, 2),       "inf");
    EXPECT_EQ(fixed(-kInf, 3),      "-inf");
}

TEST(FormatFixed2, LargeValuesPrintZerosAfterThe17thDigit) {
    const Case cases[] = {
        {1e20,                 "100000000000000000000.00"},
        {123456789012345678.0, "123456789012345680.00"},  // exactly 123456789012345680
        {9007199254740993.0,   "9007199254740992.00"},    // 2^53 + 1 rounds to 2^53
        {1e17,                 "100000000000000000.00"},
        {12345678901234567.0,  "12345678901234568.00"},   // the double is ...568
        {1e23,                 "99999999999999992000000.00"},  // 99999999999999991611392
    };
    expectFixed(cases);
}

// ---------------------------------------------------------------- exponent, "%12.4e"

TEST(FormatExp4, MantissaCarriesIntoTheExponent) {
    const Case cases[] = {
        {9.99995,        " 1.0000e+001"},  // 9.9999500000000001165
        {9.99994,        " 9.9999e+000"},
        {0.000999995,    " 1.0000e-003"},  // 9.99995000000000000505e-4 -> 9.9999500000000000e-4
        {999.995e10,     " 1.0000e+013"},
        {1e-14,          " 1.0000e-014"},  // 9.999999999999999988e-15 carries at the 17th digit
        {99999.4,        " 9.9999e+004"},
        {99999.5,        " 1.0000e+005"},  // a tie
    };
    expectExp(cases);
}

TEST(FormatExp4, TiesGoUp) {
    const Case cases[] = {
        {1.03125,   " 1.0313e+000"},  // exact; printf would give 1.0312
        {12345.5,   " 1.2346e+004"},
        {12344.5,   " 1.2345e+004"},  // printf would give 1.2344
        {0.0001220703125, " 1.2207e-004"},  // 2^-13 = 1.220703125e-4: not a tie at 5 digits
        {1.00005,   " 1.0001e+000"},  // 1.0000500000000001055
        {2.00005,   " 2.0000e+000"},  // 2.0000499999999998835 -> 2.0000499999999999
    };
    expectExp(cases);
}

TEST(FormatExp4, ExponentHasSignAndThreeDigits) {
    const Case cases[] = {
        {1.0,      " 1.0000e+000"},
        {0.5,      " 5.0000e-001"},
        {12000.0,  " 1.2000e+004"},
        {1e-12,    " 1.0000e-012"},
        {1e100,    " 1.0000e+100"},
        {1e-100,   " 1.0000e-100"},
        {0.0,      " 0.0000e+000"},
        {-0.0,     "-0.0000e+000"},
        {-1.5e-7,  "-1.5000e-007"},
        {123456.0, " 1.2346e+005"},
    };
    expectExp(cases);
}

TEST(FormatExp4, WidthRightAlignsAndWidens) {
    EXPECT_EQ(exp4(1.0, 0),    "1.0000e+000");
    EXPECT_EQ(exp4(-1.0, 11),  "-1.0000e+000");
    EXPECT_EQ(exp4(-1.0, 13),  " -1.0000e+000");
    EXPECT_EQ(exp4(1.0, 15),   "    1.0000e+000");
}

// ---------------------------------------------------------------- both formats

TEST(DecimalFormat, NonFiniteValuesAreWordsInTheField) {
    EXPECT_EQ(fixed(kInf),   "       inf");
    EXPECT_EQ(fixed(-kInf),  "      -inf");
    EXPECT_EQ(fixed(kNaN),   "       nan");
    EXPECT_EQ(fixed(-kNaN),  "       nan");
    EXPECT_EQ(exp4(kInf),    "         inf");
    EXPECT_EQ(exp4(-kInf),   "        -inf");
    EXPECT_EQ(exp4(kNaN),    "         nan");
    EXPECT_EQ(exp4(-kNaN),   "         nan");
}

TEST(DecimalFormat, EndsOfTheRange) {
    EXPECT_EQ(exp4(kMinSubnormal),                         " 4.9407e-324");
    EXPECT_EQ(exp4(-kMinSubnormal),                        "-4.9407e-324");
    EXPECT_EQ(exp4(kMaxDouble),                            " 1.7977e+308");
    EXPECT_EQ(exp4(std::numeric_limits<double>::min()),    " 2.2251e-308");
    EXPECT_EQ(exp4(std::bit_cast<double>(std::uint64_t{0x000F'FFFF'FFFF'FFFF})), " 2.2251e-308");

    // 309 integer digits: the 17 rounded ones, then zeros.
    const std::string maxFixed = "17976931348623157" + std::string(292, '0') + ".00";
    EXPECT_EQ(fixed(kMaxDouble), maxFixed);
    EXPECT_EQ(fixed(-kMaxDouble), "-" + maxFixed);
}

TEST(DecimalFormat, WritesOnlyWhatItReturns) {
    // The widest texts there are, in and beyond the widest field.
    for (int width : {0, 12, 400}) {
        for (double value : {-kMaxDouble, -kMinSubnormal, -0.0, 1.0}) {
            char out[kMaxFormattedLength + 16];
            std::fill(std::begin(out), std::end(out), '#');
            const std::size_t fixedLength = formatFixed2(value, width, out);
            ASSERT_LE(fixedLength, kMaxFormattedLength);
            EXPECT_EQ(out[fixedLength], '#');
            std::fill(std::begin(out), std::end(out), '#');
            const std::size_t expLength = formatExp4(value, width, out);
            ASSERT_LE(expLength, kMaxFormattedLength);
            EXPECT_EQ(out[expLength], '#');
        }
    }
    EXPECT_EQ(fixed(1.0, 400).size(), kMaxFormattedLength);
}

// ---------------------------------------------------------------- roundTo17Digits

TEST(RoundTo17Digits, KnownValues) {
    struct Rounded {
        double value;
        std::uint64_t digits;
        int exponent;
    };
    const Rounded cases[] = {
        {0.0,                           0,                  0},
        {1.0,                           10000000000000000,  0},
        {0.1,                           10000000000000001, -1},  // 0.1000000000000000055
        {std::nextafter(1.0, 0.0),      99999999999999989, -1},  // 0.99999999999999988898
        {1e-14,                         10000000000000000, -14}, // 9.999999999999999988e-15 carries
        {1e98,                          10000000000000000,  98}, // 9.99999999999999997690e97 carries
        {1e-79,                         10000000000000000, -79}, // the same below 1e-16
        {1000000000000000.25,           10000000000000003,  15}, // a tie
        {kMinSubnormal,                 49406564584124654, -324},
        {kMaxDouble,                    17976931348623157,  308},
        {123456789012345678.0,          12345678901234568,  17},
    };
    for (const Rounded& c : cases) {
        const Decimal17 r = roundTo17Digits(c.value);
        EXPECT_EQ(r.digits, c.digits) << std::hexfloat << c.value;
        EXPECT_EQ(r.exponent, c.exponent) << std::hexfloat << c.value;
    }
}

// ---------------------------------------------------------------- the slow reference

// Adds one to a decimal digit string; "" counts as 0. Returns true when the
// string grew a digit ("999" -> "1000").
bool incrementDigits(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
    return true;
}

// The first `kept` digits of `digits`, rounded half-up at the next one.
std::string roundDigitString(const std::string& digits, int kept) {
    if (kept < 0) return "";
    std::string head = digits.substr(0, static_cast<std::size_t>(kept));
    if (static_cast<std::size_t>(kept) < digits.size() && digits[static_cast<std::size_t>(kept)] >= '5') {
        incrementDigits(head);
    }
    return head;
}

// 17 digits with value = 0.d1...d17 * 10^pointPosition; no digits for zero.
struct Reference17 {
    std::string digits;
    int pointPosition;
};

Reference17 reference17(double value) {
    ExactDecimal exact;
    exactDecimal(value, exact);
    if (exact.count == 0) return {"", 0};
    std::string all(exact.digits, exact.count);
    all.resize(std::max<std::size_t>(all.size(), 17), '0');
    std::string digits = roundDigitString(all, 17);
    int point = exact.pointPosition;
    if (digits.size() > 17) {  // 99..9 -> 100..0
        digits.pop_back();
        ++point;
    }
    return {digits, point};
}

std::string padLeft(std::string text, int width) {
    const auto field = static_cast<std::size_t>(std::max(width, 0));
    if (field > text.size()) text.insert(0, field - text.size(), ' ');
    return text;
}

std::string referenceNonFinite(double value, int width) {
    return padLeft(std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf"), width);
}

std::string referenceFixed2(double value, int width) {
    if (!std::isfinite(value)) return referenceNonFinite(value, width);
    const Reference17 r = reference17(value);
    std::string hundredths;  // every digit down to the 10^-2 place
    if (!r.digits.empty()) {
        const int kept = r.pointPosition + 2;
        hundredths = kept >= 17 ? r.digits + std::string(static_cast<std::size_t>(kept - 17), '0')
                                : roundDigitString(r.digits, kept);
    }
    if (hundredths.size() < 3) hundredths.insert(0, 3 - hundredths.size(), '0');
    hundredths.insert(hundredths.size() - 2, ".");
    if (std::signbit(value)) hundredths.insert(0, "-");
    return padLeft(hundredths, width);
}

std::string referenceExp4(double value, int width) {
    if (!std::isfinite(value)) return referenceNonFinite(value, width);
    const Reference17 r = reference17(value);
    std::string mantissa = "00000";
    int exponent = 0;
    if (!r.digits.empty()) {
        mantissa = roundDigitString(r.digits, 5);
        exponent = r.pointPosition - 1;
        if (mantissa.size() > 5) {
            mantissa.pop_back();
            ++exponent;
        }
    }
    std::string exponentDigits = std::to_string(std::abs(exponent));
    exponentDigits.insert(0, 3 - exponentDigits.size(), '0');
    std::string text = std::string(std::signbit(value) ? "-" : "") + mantissa[0] + "." + mantissa.substr(1) +
                       "e" + (exponent < 0 ? "-" : "+") + exponentDigits;
    return padLeft(text, width);
}

TEST(ReferenceFormatter, AgreesWithTheHandWorkedCases) {
    // The oracle is only as good as itself: check it on cases worked out by hand.
    EXPECT_EQ(referenceFixed2(21 * 0.005, 10), "      0.11");
    EXPECT_EQ(referenceFixed2(0.125, 10),      "      0.13");
    EXPECT_EQ(referenceFixed2(-0.0, 10),       "     -0.00");
    EXPECT_EQ(referenceFixed2(9.9999, 10),     "     10.00");
    EXPECT_EQ(referenceFixed2(1e20, 10),       "100000000000000000000.00");
    EXPECT_EQ(referenceExp4(9.99995, 12),      " 1.0000e+001");
    EXPECT_EQ(referenceExp4(kMinSubnormal, 12), " 4.9407e-324");
    EXPECT_EQ(referenceExp4(0.0, 12),          " 0.0000e+000");
    EXPECT_EQ(referenceExp4(1e-14, 12),        " 1.0000e-014");
}

// ---------------------------------------------------------------- value sources

double randomFinite(std::mt19937_64& random) {
    for (;;) {
        const double value = std::bit_cast<double>(random());
        if (std::isfinite(value)) return value;
    }
}

// Random sign and mantissa with a binary exponent between 2^-110 and 2^170,
// which covers all of the fast paths and the edges where each gives up.
double randomFastRange(std::mt19937_64& random) {
    const std::uint64_t bits = random();
    const std::uint64_t biased = 1023 - 110 + (bits >> 11) % 281;
    return std::bit_cast<double>((bits & 0x800F'FFFF'FFFF'FFFF) | (biased << 52));
}

// What the program prints every day: band centres on regular grids and
// amplitudes spread over eighteen decades.
double randomEveryday(std::mt19937_64& random) {
    std::uniform_int_distribution<int> grid(0, 400000);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    switch (random() % 6) {
        case 0: return grid(random) * 0.05;
        case 1: return grid(random) * 0.1;
        case 2: return grid(random) * 0.005;
        case 3: {  // 0..20000 with 0 to 4 decimals
            const double scale = std::pow(10.0, static_cast<double>(random() % 5));
            return std::round(unit(random) * 20000.0 * scale) / scale;
        }
        case 4: return std::pow(10.0, -12.0 + 18.0 * unit(random));
        default: return -std::pow(10.0, -6.0 + 12.0 * unit(random));
    }
}

// A double whose exact expansion has exactly `digits` significant digits and
// ends in 5, so that it is a tie when rounded to one digit fewer: n + k / 2^j
// with n of (digits - j) digits and k < 2^j odd, whose fraction has exactly
// j digits. n * 2^j + k must stay below 2^53 to be exact, which bounds n;
// the callers choose digits and j so that such an n exists.
double constructedTie(std::mt19937_64& random, int digits, int fractionDigits) {
    const int integerDigits = digits - fractionDigits;
    const auto low = static_cast<std::uint64_t>(std::pow(10.0, integerDigits - 1));
    const std::uint64_t high = std::min(10 * low, std::uint64_t{1} << (53 - fractionDigits));
    const std::uint64_t n = low + random() % (high - low);
    const std::uint64_t k = (random() % (std::uint64_t{1} << (fractionDigits - 1))) * 2 + 1;
    return std::ldexp(static_cast<double>((n << fractionDigits) + k), -fractionDigits);
}

// Ties at the 17th digit (18 digits), at the second decimal (x.xx5) and at
// the fifth significant digit (6 digits).
double randomTie(std::mt19937_64& random) {
    switch (random() % 3) {
        case 0: return constructedTie(random, 18, 2 + static_cast<int>(random() % 16));
        case 1: return constructedTie(random, 3 + 1 + static_cast<int>(random() % 12), 3);
        default: {
            const int fraction = 1 + static_cast<int>(random() % 5);
            return constructedTie(random, 6, fraction);
        }
    }
}

// Values a few units in the last place around decimal boundaries where
// carries happen: powers of ten, d.dddd5 * 10^k, and x.xx5.
double randomNearCarry(std::mt19937_64& random) {
    char text[64];
    const int exponent = static_cast<int>(random() % 630) - 322;
    switch (random() % 3) {
        case 0: std::snprintf(text, sizeof text, "1e%d", exponent); break;
        case 1: {  // 9.99993e.. to 9.99997e..
            const int fifth = 3 + static_cast<int>(random() % 5);
            std::snprintf(text, sizeof text, "9.9999%de%d", fifth, exponent);
            break;
        }
        default:
            std::snprintf(text, sizeof text, "%d.%02d5", static_cast<int>(random() % 100000),
                          static_cast<int>(random() % 100));
    }
    double value = std::strtod(text, nullptr);
    const int steps = static_cast<int>(random() % 9) - 4;
    for (int i = 0; i < std::abs(steps); ++i) value = std::nextafter(value, steps < 0 ? 0.0 : kInf);
    return value;
}

TEST(ConstructedTies, AreExactTies) {
    // The generator must make what it says, or the tie comparisons test nothing.
    std::mt19937_64 random(5);
    for (int i = 0; i < 3000; ++i) {
        const int digits = 6 + static_cast<int>(random() % 13);
        const int fractionDigits = std::max(2, digits - 16) + static_cast<int>(random() % 4);
        const double value = constructedTie(random, digits, fractionDigits);
        ExactDecimal exact;
        exactDecimal(value, exact);
        ASSERT_EQ(exact.count, static_cast<std::size_t>(digits)) << std::hexfloat << value;
        ASSERT_EQ(exact.digits[exact.count - 1], '5') << std::hexfloat << value;
    }
}

// ---------------------------------------------------------------- against the reference

void expectSameAsReference(double value) {
    ASSERT_EQ(fixed(value), referenceFixed2(value, 10)) << std::hexfloat << value;
    ASSERT_EQ(exp4(value), referenceExp4(value, 12)) << std::hexfloat << value;
}

TEST(DecimalFormat, MatchesTheReferenceOnRandomBitPatterns) {
    std::mt19937_64 random(1);
    for (int i = 0; i < 100000; ++i) expectSameAsReference(randomFinite(random));
}

TEST(DecimalFormat, MatchesTheReferenceOnEverydayValues) {
    std::mt19937_64 random(2);
    for (int i = 0; i < 200000; ++i) expectSameAsReference(randomEveryday(random));
}

TEST(DecimalFormat, MatchesTheReferenceOnTiesAndCarries) {
    std::mt19937_64 random(3);
    for (int i = 0; i < 100000; ++i) {
        const double sign = i % 2 == 0 ? 1.0 : -1.0;  // ties go away from zero either way
        expectSameAsReference(sign * randomTie(random));
        expectSameAsReference(sign * randomNearCarry(random));
    }
}

void expectSame17(double value) {
    const Decimal17 fast = roundTo17Digits(value);
    const Reference17 slow = reference17(value);
    if (slow.digits.empty()) {
        ASSERT_EQ(fast.digits, 0u) << std::hexfloat << value;
        ASSERT_EQ(fast.exponent, 0) << std::hexfloat << value;
        return;
    }
    ASSERT_EQ(fast.digits, std::stoull(slow.digits)) << std::hexfloat << value;
    ASSERT_EQ(fast.exponent, slow.pointPosition - 1) << std::hexfloat << value;
}

TEST(RoundTo17Digits, MatchesTheExactExpansion) {
    std::mt19937_64 random(4);
    for (int i = 0; i < 600000; ++i) expectSame17(std::fabs(randomFinite(random)));
    for (int i = 0; i < 1200000; ++i) expectSame17(std::fabs(randomFastRange(random)));
    for (int i = 0; i < 300000; ++i) expectSame17(std::fabs(randomEveryday(random)));
    for (int i = 0; i < 200000; ++i) {
        expectSame17(randomTie(random));
        expectSame17(randomNearCarry(random));
    }
}

TEST(RoundTo17Digits, MatchesAroundEveryPowerOfTwoAndTen) {
    // Where the decade estimate from the binary exponent is most fragile.
    for (int k = -1074; k <= 1023; ++k) {
        double value = std::ldexp(1.0, k);
        expectSame17(value);
        expectSame17(std::nextafter(value, 0.0));
        expectSame17(std::nextafter(value, kInf));
    }
    for (int k = -323; k <= 308; ++k) {
        char text[16];
        std::snprintf(text, sizeof text, "1e%d", k);
        double value = std::strtod(text, nullptr);
        for (int step = 0; step < 4; ++step) value = std::nextafter(value, 0.0);
        for (int step = 0; step < 8; ++step) {
            expectSame17(value);
            value = std::nextafter(value, kInf);
        }
    }
}

}  // namespace
}  // namespace corvalen
