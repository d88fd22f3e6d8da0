// Converts a scanned number's digits to the nearest double.
//
// Most numbers in a spectrum file have few digits and a small exponent; they
// are converted exactly by one multiplication or division of two exactly
// representable doubles, which IEEE arithmetic rounds correctly. Everything
// else goes to the C library's strtod, which rounds correctly in the "C"
// locale this program never leaves, and which already gives infinities,
// subnormals and signed zeros at the ends of the range.
#include "numtext/number_scan.h"

#include <cstdio>
#include <cstdlib>

namespace corvalen {
namespace {

constexpr double kExactPowersOfTen[] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22,
};
constexpr std::uint64_t kExactIntegerLimit = std::uint64_t{1} << 53;

// Digits, point position and sticky digit written as "0.DDDD1e+P" for strtod.
double convertWithLibrary(const ScannedNumber& number) {
    char text[kMaxSignificantDigits + 48];
    int length = 0;
    if (number.negative) text[length++] = '-';
    text[length++] = '0';
    text[length++] = '.';
    const int leading = number.significantCount < kLeadingDigits
                            ? static_cast<int>(number.significantCount)
                            : kLeadingDigits;
    std::uint64_t value = number.leadingValue;
    for (int i = leading - 1; i >= 0; --i, value /= 10) {
        text[length + i] = static_cast<char>('0' + value % 10);
    }
    length += leading;
    for (std::int64_t i = kLeadingDigits; i < number.significantCount && i < kMaxSignificantDigits; ++i) {
        text[length++] = number.digits[i];
    }
    if (number.truncated) text[length++] = '1';
    std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), "e%lld",
                  static_cast<long long>(number.pointPosition));
    return std::strtod(text, nullptr);
}

}  // namespace

double toDouble(const ScannedNumber& number) {
    if (number.significantCount == 0) return number.negative ? -0.0 : 0.0;
    if (number.significantCount <= kLeadingDigits) {
        const std::uint64_t mantissa = number.leadingValue;
        const std::int64_t power = number.pointPosition - number.significantCount;
        if (mantissa <= kExactIntegerLimit && power >= -22 && power <= 22) {
            double value = static_cast<double>(mantissa);
            value = power < 0 ? value / kExactPowersOfTen[-power] : value * kExactPowersOfTen[power];
            return number.negative ? -value : value;
        }
    }
    return convertWithLibrary(number);
}

}  // namespace corvalen
