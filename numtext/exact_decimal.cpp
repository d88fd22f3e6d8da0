// Expands a double into every one of its decimal digits with schoolbook big-integer arithmetic.
//
// A finite double is m * 2^q with m < 2^53. For q >= 0 it is the integer
// m * 2^q; for q < 0 it is m * 5^-q / 10^-q, that is the integer m * 5^-q with
// the decimal point moved -q places to the left. Either way one big integer
// multiplied up from m by small factors is all that is needed.
//
// The big integer is held in base 10^9 limbs so that turning it into text
// needs no big division: each limb is exactly nine digits. The factors are
// taken in chunks (5^13, 2^29) small enough that limb * factor + carry stays
// below 2^64. Only the limbs in use are touched, so small values are cheap.
#include "numtext/exact_decimal.h"

#include <bit>
#include <cstdint>

namespace corvalen {
namespace {

constexpr std::uint32_t kLimbBase = 1'000'000'000;
constexpr int kLimbDigits = 9;
// 767 significant digits at most, and the big integer has no others: its
// leading limb is non-zero and the point is placed by counting, not stored.
constexpr std::size_t kMaxLimbs = (kMaxExactDigits + kLimbDigits - 1) / kLimbDigits;

constexpr std::uint32_t kFiveToThe13 = 1'220'703'125;
constexpr int kFivesPerStep = 13;
constexpr int kTwosPerStep = 29;

// Little-endian limbs: limb[0] holds the lowest nine digits.
struct BigDecimal {
    std::uint32_t limb[kMaxLimbs];
    std::size_t size;
};

void multiplyBy(BigDecimal& n, std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < n.size; ++i) {
        const std::uint64_t product = std::uint64_t{n.limb[i]} * factor + carry;
        n.limb[i] = static_cast<std::uint32_t>(product % kLimbBase);
        carry = product / kLimbBase;
    }
    // The carry is below 2^31, so it may still need two limbs.
    while (carry != 0) {
        n.limb[n.size++] = static_cast<std::uint32_t>(carry % kLimbBase);
        carry /= kLimbBase;
    }
}

void multiplyByPowerOfFive(BigDecimal& n, int exponent) {
    for (; exponent >= kFivesPerStep; exponent -= kFivesPerStep) multiplyBy(n, kFiveToThe13);
    std::uint32_t rest = 1;
    for (; exponent > 0; --exponent) rest *= 5;
    if (rest != 1) multiplyBy(n, rest);
}

void multiplyByPowerOfTwo(BigDecimal& n, int exponent) {
    for (; exponent >= kTwosPerStep; exponent -= kTwosPerStep) {
        multiplyBy(n, std::uint32_t{1} << kTwosPerStep);
    }
    if (exponent > 0) multiplyBy(n, std::uint32_t{1} << exponent);
}

// Writes count digits of value, leading zeros included, ending just before end.
void writeDigits(char* end, std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
        *--end = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

int digitCount(std::uint32_t value) {
    int count = 1;
    while (value >= 10) {
        value /= 10;
        ++count;
    }
    return count;
}

}  // namespace

void exactDecimal(double value, ExactDecimal& out) {
    out.count = 0;
    out.pointPosition = 0;

    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    const int biasedExponent = static_cast<int>((bits >> 52) & 0x7FF);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    // Infinities and NaNs have no expansion; leaving them empty keeps a
    // misuse harmless instead of reading past the limbs.
    if (biasedExponent == 0x7FF) return;
    int binaryExponent = -1074;
    if (biasedExponent != 0) {
        mantissa |= std::uint64_t{1} << 52;
        binaryExponent = biasedExponent - 1075;
    }
    if (mantissa == 0) return;

    // Trailing zero bits only make the power of five longer than it needs to be.
    const int trailingZeros = std::countr_zero(mantissa);
    mantissa >>= trailingZeros;
    binaryExponent += trailingZeros;

    BigDecimal n;
    n.size = 0;
    while (mantissa != 0) {
        n.limb[n.size++] = static_cast<std::uint32_t>(mantissa % kLimbBase);
        mantissa /= kLimbBase;
    }
    int fractionDigits = 0;
    if (binaryExponent >= 0) {
        multiplyByPowerOfTwo(n, binaryExponent);
    } else {
        fractionDigits = -binaryExponent;
        multiplyByPowerOfFive(n, fractionDigits);
    }

    const std::uint32_t top = n.limb[n.size - 1];
    const int topDigits = digitCount(top);
    char* cursor = out.digits + topDigits;
    writeDigits(cursor, top, topDigits);
    for (std::size_t i = n.size - 1; i-- > 0;) {
        cursor += kLimbDigits;
        writeDigits(cursor, n.limb[i], kLimbDigits);
    }
    std::size_t count = static_cast<std::size_t>(cursor - out.digits);
    out.pointPosition = static_cast<int>(count) - fractionDigits;
    while (out.digits[count - 1] == '0') --count;
    out.count = count;
}

}  // namespace corvalen
