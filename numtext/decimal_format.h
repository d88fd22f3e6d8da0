// Formats band records' numbers: "%10.2lf" and "%12.4e" with this program's own rounding.
//
// Why not printf: the report's bytes are compared across machines and runs, and
// its rounding is fixed as two half-up steps on the double's exact value:
//   1. round the exact value half-up to 17 significant decimal digits,
//   2. round that digit string half-up to the printed digits.
// The exponent form always writes the exponent's sign and exactly three digits.
// The C library rounds the exact value once, half-to-even, and writes two
// exponent digits, so it disagrees on ties (0.125 -> "0.12" there, "0.13" here).
//
// Shape: roundTo17Digits() makes digits and a decimal exponent; the layout
// functions then round again, carry, and lay out sign, padding and point.
// Neither allocates. A negative value keeps its '-' even when it rounds to
// zero (and -0.0 has one), as printf does; NaN is always plain "nan".
// A field narrower than the text widens; a width beyond kMaxFormattedLength
// counts as kMaxFormattedLength.
//
// Examples, with the exact value and its 17 digits where they matter:
//
//   formatFixed2(0.125, 10)                -> "      0.13"   a tie goes up
//   formatFixed2(21 * 0.005, 10)           -> "      0.11"   0.104999999999999996... -> 0.10500000000000000
//   formatFixed2(999999.995, 10)           -> "1000000.00"   999999.994999999995... -> 999999.99500000000
//   formatFixed2(1000000000000000.25, 10)  -> "1000000000000000.30"   a tie at the 17th digit
//   formatFixed2(9.9999, 10)               -> "     10.00"   the carry adds a digit
//   formatFixed2(0.004, 10)                -> "      0.00"
//   formatFixed2(-0.001, 10)               -> "     -0.00"
//   formatFixed2(1e20, 10)                 -> "100000000000000000000.00"
//   formatExp4(0.0012345678, 12)           -> " 1.2346e-003"
//   formatExp4(4.0, 12)                    -> " 4.0000e+000"
//   formatExp4(1.03125, 12)                -> " 1.0313e+000"   a tie goes up
//   formatExp4(9.99995, 12)                -> " 1.0000e+001"   9.99995000000000011... -> 9.9999500000000001
//   formatExp4(0.0, 12)                    -> " 0.0000e+000"
//   formatExp4(-2.5e-300, 12)              -> "-2.5000e-300"
//   formatExp4(inf, 12)                    -> "         inf"
//   formatExp4(nan, 12)                    -> "         nan"
#pragma once

#include <cstddef>
#include <cstdint>

namespace corvalen {

// value = digits * 10^(exponent - 16); digits has exactly 17 decimal digits,
// or is 0 for a zero value (exponent 0 then).
struct Decimal17 {
    std::uint64_t digits;
    int exponent;
};

// The magnitude of a finite double rounded half-up to 17 significant digits.
// A fast exact integer path decides almost every value; the rest go through
// the exact decimal expansion.
Decimal17 roundTo17Digits(double magnitude);

// Long enough for any double in either format, sign and padding included.
constexpr std::size_t kMaxFormattedLength = 340;

// "%<width>.2lf": writes into out (no terminating NUL), returns the length.
std::size_t formatFixed2(double value, int width, char* out);

// "%<width>.4e" with a three-digit exponent: writes into out, returns the length.
std::size_t formatExp4(double value, int width, char* out);

}  // namespace corvalen
