// Rounds doubles to 17 significant digits and lays them out as "%.2lf" and "%.4e" text.
//
// Rounding rule, used at both steps: half-up, i.e. ties away from zero on the
// magnitude. Step one rounds the double's exact value to 17 digits, step two
// rounds those 17 digits to the printed ones; at step two the decision is
// simply "first dropped digit >= 5".
//
// Step one is where the time goes, so it has integer fast paths that are
// exact by construction, for x = m * 2^q (m < 2^53) and e = floor(log10 x):
//   - 1e-16 <= x < 1e17: m * 5^s fits in 128 bits for s = 16 - e <= 32, and
//     x * 10^s = m * 5^s * 2^(q+s) is a shift of it; the dropped bits are the
//     exact remainder, so the half-up decision is exact.
//   - x < 1e-16: 5^s is too long, so it is replaced by its leading 128 bits P,
//     5^s in [P, P+1) * 2^j. That bounds x * 10^s to a narrow interval; when
//     both ends give the same 17 digits and the same decision, so does x (the
//     interval is ~2^-70 of a unit wide, so it almost never fails to decide).
//   - 1e17 <= x < ~1e44: x / 10^t = (m * 2^(q-t)) / 5^t, a 128-by-64-bit
//     division with an exact remainder.
// Each path only accepts a result with exactly 17 digits (the decade estimate
// from the binary exponent may be one too low, which is fixed here); anything
// else, including every value outside those ranges, falls back to the exact
// decimal expansion. The tests compare the fast paths with that expansion.
//
// Layout writes straight into the caller's buffer from the right, with a
// two-digit table; divisions are by compile-time constants. Nothing allocates.
#include "numtext/decimal_format.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#include "numtext/exact_decimal.h"

namespace corvalen {
namespace {

__extension__ typedef unsigned __int128 Uint128;

constexpr std::uint64_t kPowersOfTen[] = {
    1ULL,
    10ULL,
    100ULL,
    1'000ULL,
    10'000ULL,
    100'000ULL,
    1'000'000ULL,
    10'000'000ULL,
    100'000'000ULL,
    1'000'000'000ULL,
    10'000'000'000ULL,
    100'000'000'000ULL,
    1'000'000'000'000ULL,
    10'000'000'000'000ULL,
    100'000'000'000'000ULL,
    1'000'000'000'000'000ULL,
    10'000'000'000'000'000ULL,
    100'000'000'000'000'000ULL,
    1'000'000'000'000'000'000ULL,
    10'000'000'000'000'000'000ULL,
};
constexpr std::uint64_t kSmallest17Digits = kPowersOfTen[16];
constexpr std::uint64_t kSmallest18Digits = kPowersOfTen[17];
constexpr std::uint64_t kSmallest19Digits = kPowersOfTen[18];

// m < 2^53 and 5^32 < 2^74.4, so m * 5^s fits in 128 bits up to here.
constexpr int kLastExactScale = 32;
// 5^27 is the largest power of five below 2^64: a 64-bit divisor.
constexpr int kLastNarrowDivisor = 27;
// The smallest subnormal has e = -324; one more for a low decade estimate.
constexpr int kLastWideScale = 16 + 324 + 1;

constexpr auto kPowersOfFive = [] {
    std::array<Uint128, kLastExactScale + 1> powers{};
    Uint128 power = 1;
    for (auto& entry : powers) {
        entry = power;
        power *= 5;
    }
    return powers;
}();
static_assert(kLastNarrowDivisor <= kLastExactScale, "64-bit divisors come from kPowersOfFive");

// 5^s in [leading, leading + 1) * 2^shift, leading in [2^127, 2^128).
struct TruncatedPower {
    Uint128 leading;
    int shift;
};

// Computed by the compiler from an exact base-2^32 big integer, so the table
// cannot hold a mistyped constant.
constexpr auto kWidePowersOfFive = [] {
    std::array<TruncatedPower, kLastWideScale - kLastExactScale> table{};
    std::uint32_t word[28] = {1};
    int size = 1;
    for (int s = 1; s <= kLastWideScale; ++s) {
        std::uint64_t carry = 0;
        for (int i = 0; i < size; ++i) {
            const std::uint64_t product = std::uint64_t{word[i]} * 5 + carry;
            word[i] = static_cast<std::uint32_t>(product);
            carry = product >> 32;
        }
        if (carry != 0) word[size++] = static_cast<std::uint32_t>(carry);
        if (s <= kLastExactScale) continue;

        const int bitLength = 32 * (size - 1) + static_cast<int>(std::bit_width(word[size - 1]));
        const int shift = bitLength - 128;
        Uint128 leading = 0;
        for (int bit = bitLength - 1; bit >= 0 && bit >= shift; --bit) {
            leading = (leading << 1) | ((word[bit / 32] >> (bit % 32)) & 1U);
        }
        if (shift < 0) leading <<= -shift;
        table[static_cast<std::size_t>(s - kLastExactScale - 1)] = {leading, shift};
    }
    return table;
}();


// floor(k * log10(2)), checked exactly for |k| <= 1200, which covers doubles.
constexpr int floorLog10OfPowerOfTwo(int k) { return (k * 78913) >> 18; }

// Accepts a truncated x * 10^(16 - e) and its half-up decision only when it
// has 17 digits, or 18 when e was one too low. Then the 18th digit alone
// decides: the dropped fraction below it is less than one unit of that
// digit, so digit + fraction >= 5 exactly when digit >= 5.
bool settle(Uint128 truncated, bool roundUp, int exponent, Decimal17& out) {
    if (truncated < kSmallest17Digits || truncated >= kSmallest19Digits) return false;
    auto digits = static_cast<std::uint64_t>(truncated);
    if (digits >= kSmallest18Digits) {
        roundUp = digits % 10 >= 5;
        digits /= 10;
        ++exponent;
    }
    if (roundUp) ++digits;
    if (digits == kSmallest18Digits) {  // 99999999999999999.5 -> 10^17
        digits = kSmallest17Digits;
        ++exponent;
    }
    out = {digits, exponent};
    return true;
}

bool roundExactScale(std::uint64_t mantissa, int binaryExponent, int scale, int exponent,
                     Decimal17& out) {
    const Uint128 scaled = mantissa * kPowersOfFive[static_cast<std::size_t>(scale)];
    const int shift = binaryExponent + scale;
    if (shift >= 0) {  // an integer: nothing to round
        if (shift > 64) return false;
        const Uint128 value = scaled << shift;
        if ((value >> shift) != scaled) return false;
        return settle(value, false, exponent, out);
    }
    const int dropped = -shift;
    if (dropped >= 128) return false;
    const bool roundUp = ((scaled >> (dropped - 1)) & 1) != 0;
    return settle(scaled >> dropped, roundUp, exponent, out);
}

bool roundWideScale(std::uint64_t mantissa, int binaryExponent, int scale, int exponent,
                    Decimal17& out) {
    if (scale > kLastWideScale) return false;
    const TruncatedPower& power =
        kWidePowersOfFive[static_cast<std::size_t>(scale - kLastExactScale - 1)];
    // mantissa * leading = high * 2^64 + low64, below 2^181.
    const auto leadingLow = static_cast<std::uint64_t>(power.leading);
    const auto leadingHigh = static_cast<std::uint64_t>(power.leading >> 64);
    const Uint128 lowPart = Uint128{mantissa} * leadingLow;
    const Uint128 high = Uint128{mantissa} * leadingHigh + (lowPart >> 64);
    const auto low64 = static_cast<std::uint64_t>(lowPart);
    // x * 10^s lies in [product, product + mantissa) * 2^-dropped.
    const int dropped = -(binaryExponent + scale + power.shift);
    // Count half units: bit 0 of floor(2 * x * 10^s) is the half-up decision,
    // and both ends of the interval must agree on that count.
    const int cut = dropped - 1;
    if (cut < 64 || cut >= 192) return false;
    const std::uint64_t upperLow64 = low64 + (mantissa - 1);
    const Uint128 upperHigh = high + (upperLow64 < low64 ? 1 : 0);
    const Uint128 halfUnits = high >> (cut - 64);
    if ((upperHigh >> (cut - 64)) != halfUnits) return false;
    return settle(halfUnits >> 1, (halfUnits & 1) != 0, exponent, out);
}

bool roundLargeInteger(std::uint64_t mantissa, int binaryExponent, int tens, int exponent,
                       Decimal17& out) {
    // x / 10^t = m * 2^(q - t) / 5^t; the shifted m must stay below 2^128.
    const int shift = binaryExponent - tens;
    if (tens > kLastNarrowDivisor || shift < 0 || shift > 74) return false;
    const Uint128 numerator = Uint128{mantissa} << shift;
    const auto divisor = static_cast<std::uint64_t>(kPowersOfFive[static_cast<std::size_t>(tens)]);
    const Uint128 quotient = numerator / divisor;
    const auto remainder = static_cast<std::uint64_t>(numerator - quotient * divisor);
    return settle(quotient, remainder >= divisor - remainder, exponent, out);
}

bool roundFast(std::uint64_t mantissa, int binaryExponent, Decimal17& out) {
    const int log2Floor = static_cast<int>(std::bit_width(mantissa)) - 1 + binaryExponent;
    // x in [2^k, 2^(k+1)) spans at most one power of ten, so e is this or one more.
    const int exponent = floorLog10OfPowerOfTwo(log2Floor);
    const int scale = 16 - exponent;
    if (scale < 0) return roundLargeInteger(mantissa, binaryExponent, -scale, exponent, out);
    if (scale <= kLastExactScale) return roundExactScale(mantissa, binaryExponent, scale, exponent, out);
    return roundWideScale(mantissa, binaryExponent, scale, exponent, out);
}

// The path that is always right: the 18th exact digit decides.
Decimal17 roundFromExpansion(double magnitude) {
    ExactDecimal expansion;
    exactDecimal(magnitude, expansion);
    std::uint64_t digits = 0;
    for (std::size_t i = 0; i < 17; ++i) {
        const int digit = i < expansion.count ? expansion.digits[i] - '0' : 0;
        digits = digits * 10 + static_cast<std::uint64_t>(digit);
    }
    int exponent = expansion.pointPosition - 1;
    if (expansion.count > 17 && expansion.digits[17] >= '5') ++digits;
    if (digits == kSmallest18Digits) {
        digits = kSmallest17Digits;
        ++exponent;
    }
    return {digits, exponent};
}

// ---- layout ----

constexpr char kDigitPairs[] =
    "00010203040506070809"
    "10111213141516171819"
    "20212223242526272829"
    "30313233343536373839"
    "40414243444546474849"
    "50515253545556575859"
    "60616263646566676869"
    "70717273747576777879"
    "80818283848586878889"
    "90919293949596979899";

// Writes exactly count digits of value (leading zeros included) ending just before end.
void writeDigitsBackward(char* end, std::uint64_t value, int count) {
    for (; count >= 2; count -= 2) {
        const auto pair = static_cast<std::size_t>(value % 100) * 2;
        value /= 100;
        *--end = kDigitPairs[pair + 1];
        *--end = kDigitPairs[pair];
    }
    if (count == 1) *--end = static_cast<char>('0' + value % 10);
}

int decimalLength(std::uint64_t value) {
    int length = 1;
    while (length < 20 && value >= kPowersOfTen[length]) ++length;
    return length;
}

// Half-up at the cut: drops the last Dropped of the 17 digits, and the first
// dropped digit >= 5 carries one into the kept ones (which may then gain a digit).
template <int Dropped>
std::uint64_t roundOffLast(std::uint64_t digits) {
    constexpr std::uint64_t unit = kPowersOfTen[Dropped];
    return digits / unit + (digits % unit >= unit / 2 ? 1 : 0);
}

// The 17 digits rounded half-up to their first `kept`, for kept <= 16.
// Keeping none still rounds: 5xxxx... becomes 1 unit of the place above.
std::uint64_t roundToLeadingDigits(std::uint64_t digits, int kept) {
    switch (kept) {
        case 16: return roundOffLast<1>(digits);
        case 15: return roundOffLast<2>(digits);
        case 14: return roundOffLast<3>(digits);
        case 13: return roundOffLast<4>(digits);
        case 12: return roundOffLast<5>(digits);
        case 11: return roundOffLast<6>(digits);
        case 10: return roundOffLast<7>(digits);
        case 9: return roundOffLast<8>(digits);
        case 8: return roundOffLast<9>(digits);
        case 7: return roundOffLast<10>(digits);
        case 6: return roundOffLast<11>(digits);
        case 5: return roundOffLast<12>(digits);
        case 4: return roundOffLast<13>(digits);
        case 3: return roundOffLast<14>(digits);
        case 2: return roundOffLast<15>(digits);
        case 1: return roundOffLast<16>(digits);
        case 0: return roundOffLast<17>(digits);
        default: return 0;  // below half a unit of the place above
    }
}

// Right-aligns a body of bodyLength characters; returns the start of the body.
char* padTo(int width, std::size_t bodyLength, char* out, std::size_t& total) {
    const std::size_t field =
        width > 0 ? std::min(static_cast<std::size_t>(width), kMaxFormattedLength) : 0;
    const std::size_t padding = field > bodyLength ? field - bodyLength : 0;
    std::memset(out, ' ', padding);
    total = padding + bodyLength;
    return out + padding;
}

// Infinities and NaNs as the C library spells them, but NaN never signed.
std::size_t formatNonFinite(double value, int width, char* out) {
    const char* text = std::isnan(value) ? "nan" : (std::signbit(value) ? "-inf" : "inf");
    const std::size_t length = std::strlen(text);
    std::size_t total = 0;
    std::memcpy(padTo(width, length, out, total), text, length);
    return total;
}

double magnitudeOf(double value) {
    return std::bit_cast<double>(std::bit_cast<std::uint64_t>(value) & ~(std::uint64_t{1} << 63));
}

}  // namespace

Decimal17 roundTo17Digits(double magnitude) {
    const double positive = magnitudeOf(magnitude);
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(positive);
    const int biasedExponent = static_cast<int>(bits >> 52);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    int binaryExponent = -1074;
    if (biasedExponent != 0) {
        mantissa |= std::uint64_t{1} << 52;
        binaryExponent = biasedExponent - 1075;
    }
    if (mantissa == 0) return {0, 0};
    Decimal17 result;
    if (biasedExponent != 0x7FF && roundFast(mantissa, binaryExponent, result)) return result;
    return roundFromExpansion(positive);
}

std::size_t formatFixed2(double value, int width, char* out) {
    if (!std::isfinite(value)) return formatNonFinite(value, width, out);
    const bool negative = std::signbit(value);
    const Decimal17 rounded = roundTo17Digits(magnitudeOf(value));

    // The result counted in hundredths: the digits down to the 10^-2 place.
    // Up to 19 of them fit in 64 bits; past that the 17 digits are followed
    // by zeros, and the two decimals are zeros too.
    const int kept = rounded.exponent + 3;
    std::uint64_t hundredths = 0;
    bool wide = false;
    if (rounded.digits != 0) {
        if (kept <= 16) {
            hundredths = roundToLeadingDigits(rounded.digits, kept);
        } else if (kept <= 19) {
            hundredths = rounded.digits * kPowersOfTen[kept - 17];
        } else {
            wide = true;
        }
    }
    const int digitCount = wide ? kept : std::max(decimalLength(hundredths), 3);

    const std::size_t bodyLength = (negative ? 1U : 0U) + static_cast<std::size_t>(digitCount) + 1;
    std::size_t total = 0;
    char* cursor = padTo(width, bodyLength, out, total);
    if (negative) *cursor++ = '-';
    if (wide) {
        writeDigitsBackward(cursor + 17, rounded.digits, 17);
        std::memset(cursor + 17, '0', static_cast<std::size_t>(kept - 19));
        cursor += kept - 2;
        std::memcpy(cursor, ".00", 3);
    } else {
        char* end = out + total;
        writeDigitsBackward(end, hundredths % 100, 2);
        end[-3] = '.';
        writeDigitsBackward(end - 3, hundredths / 100, digitCount - 2);
    }
    return total;
}

std::size_t formatExp4(double value, int width, char* out) {
    if (!std::isfinite(value)) return formatNonFinite(value, width, out);
    const bool negative = std::signbit(value);
    const Decimal17 rounded = roundTo17Digits(magnitudeOf(value));

    std::uint64_t mantissa = 0;  // five digits: d.dddd
    int exponent = 0;
    if (rounded.digits != 0) {
        mantissa = roundOffLast<12>(rounded.digits);
        exponent = rounded.exponent;
        if (mantissa == 100'000) {  // 9.99995 -> 10.0000 -> 1.0000e+1
            mantissa = 10'000;
            ++exponent;
        }
    }

    // [-]d.dddde+XXX
    const std::size_t bodyLength = (negative ? 1U : 0U) + 11;
    std::size_t total = 0;
    char* cursor = padTo(width, bodyLength, out, total);
    if (negative) *cursor++ = '-';
    cursor[0] = static_cast<char>('0' + mantissa / 10'000);
    cursor[1] = '.';
    writeDigitsBackward(cursor + 6, mantissa % 10'000, 4);
    cursor[6] = 'e';
    cursor[7] = exponent < 0 ? '-' : '+';
    writeDigitsBackward(cursor + 11, static_cast<std::uint64_t>(exponent < 0 ? -exponent : exponent), 3);
    return total;
}

}  // namespace corvalen
