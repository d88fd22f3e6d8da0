// Scans numbers, integers and words from a byte stream the way the dialogue and the spectrum reader read them.
//
// Scanning only finds a token's extent and returns a plain record; converting
// the digits to a double is a separate step (toDouble). The scanner works on
// any Source with `int peek()` (next byte 0..255, or -1 at the end),
// `void advance()` and `void countLineFeed()`, so the same code reads a
// memory buffer in the tests, the input file and standard input, and a token
// may span any buffer refill.
//
// A number is: optional sign, digits with an optional full stop, then — only
// when at least one digit was taken — an optional exponent: e or E, an
// optional sign, digits. An exponent letter without digits is taken and
// ignored. Every character that fits belongs to the number, whatever its
// length. A failed scan consumes the sign and decimal point in front of the
// failing character and leaves that character unread. Examples (input ->
// value, characters consumed, reason):
//
//   "12.5x"     -> 12.5,  4, Ok          ".5"      -> 0.5,   2, Ok
//   "-7"        -> -7,    2, Ok          "5."      -> 5,     2, Ok
//   "1e5"       -> 1e5,   3, Ok          "2E-3"    -> 0.002, 4, Ok
//   "1e"        -> 1,     2, Ok          "1e-"     -> 1,     3, Ok
//   "1e+x"      -> 1,     3, Ok          "1d5"     -> 1,     1, Ok
//   "1,5"       -> 1,     1, Ok          "0x1A"    -> 0,     1, Ok
//   "1e400"     -> inf,   5, Ok          "-1e-400" -> -0.0,  7, Ok
//   "inf"       -> none,  0, NotANumber  "-.x"     -> none,  2, NotANumber
//   "+"         -> none,  1, NotANumber  "."       -> none,  1, NotANumber
//   ""          -> none,  0, EndOfInput
//
// Integers ("%ld"): optional sign and decimal digits, accumulated in 32 bits
// with wrap-around: "4294967297" -> 1, "2147483648" -> -2147483648; a failed
// integer scan consumes only the sign ("12.5" -> 12, leaving ".5").
// Words ("%s"): the run of characters up to the next white space.
// Every scan first skips white space: space, \t, \n, \v, \f, \r.
#pragma once

#include <cstdint>
#include <string>

namespace corvalen {

enum class ScanReason {
    Ok,          // a token was taken
    NotANumber,  // the next character cannot begin or continue the token
    EndOfInput,  // the input ended before a token began
};

// Enough significant digits to round any decimal correctly to a double: the
// digits beyond them only matter through whether any of them is non-zero.
constexpr int kMaxSignificantDigits = 800;

// Significant digits that fit in 64 bits, accumulated as an integer while
// scanning: most numbers have no more, and convert without a second pass.
constexpr int kLeadingDigits = 19;

// value = (-1)^negative * 0.d1d2...dn * 10^pointPosition with d1 != 0, where
// n = significantCount (trailing zeros included); zero has n = 0. The first
// min(n, 19) digits are the integer leadingValue; digits 20 to 800 stand in
// digits[19..799] as characters; `truncated` says a later digit was non-zero.
struct ScannedNumber {
    ScanReason reason;
    bool negative;
    bool truncated;
    std::int64_t significantCount;
    std::uint64_t leadingValue;
    std::int64_t pointPosition;
    char digits[kMaxSignificantDigits];
};

constexpr bool isScanSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
constexpr bool isDigit(int c) { return c >= '0' && c <= '9'; }

template <class Source>
void skipSpace(Source& in) {
    for (int c = in.peek(); isScanSpace(c); c = in.peek()) {
        if (c == '\n') in.countLineFeed();
        in.advance();
    }
}

namespace detail {

// Exponent digits beyond this bound cannot change the result, which is then
// zero or infinity anyway; saturating keeps the arithmetic in range.
constexpr std::int64_t kExponentBound = 100'000'000'000LL;

// Character stores may alias the source's own pointers, so the digit loop
// keeps its state in locals and writes characters only past the 19th digit.
struct MantissaScan {
    std::uint64_t leadingValue = 0;
    std::int64_t significantCount = 0;
};

inline void takeMantissaDigit(MantissaScan& mantissa, ScannedNumber& out, int c) {
    if (mantissa.significantCount == 0 && c == '0') return;
    if (mantissa.significantCount < kLeadingDigits) {
        mantissa.leadingValue = mantissa.leadingValue * 10 + static_cast<unsigned>(c - '0');
    } else if (mantissa.significantCount < kMaxSignificantDigits) {
        out.digits[mantissa.significantCount] = static_cast<char>(c);
    } else if (c != '0') {
        out.truncated = true;
    }
    ++mantissa.significantCount;
}

}  // namespace detail

// Scans one number after white space. The record is filled even on failure
// (reason says why); the source stands on the first character not taken.
template <class Source>
void scanNumber(Source& in, ScannedNumber& out) {
    out.negative = false;
    out.truncated = false;
    out.significantCount = 0;
    out.leadingValue = 0;
    out.pointPosition = 0;

    skipSpace(in);
    int c = in.peek();
    if (c < 0) {
        out.reason = ScanReason::EndOfInput;
        return;
    }
    if (c == '+' || c == '-') {
        out.negative = (c == '-');
        in.advance();
        c = in.peek();
    }

    detail::MantissaScan mantissa;
    bool sawDigit = false;
    for (; isDigit(c); in.advance(), c = in.peek()) {
        sawDigit = true;
        detail::takeMantissaDigit(mantissa, out, c);
    }
    // Digits before the point place it; zeros right after it move it left
    // until the first significant digit.
    std::int64_t point = mantissa.significantCount;
    if (c == '.') {
        in.advance();
        c = in.peek();
        for (; isDigit(c); in.advance(), c = in.peek()) {
            sawDigit = true;
            if (mantissa.significantCount == 0 && c == '0') --point;
            detail::takeMantissaDigit(mantissa, out, c);
        }
    }
    if (!sawDigit) {
        out.reason = ScanReason::NotANumber;
        return;
    }

    std::int64_t exponent = 0;
    if (c == 'e' || c == 'E') {
        in.advance();
        c = in.peek();
        bool negativeExponent = false;
        if (c == '+' || c == '-') {
            negativeExponent = (c == '-');
            in.advance();
            c = in.peek();
        }
        for (; isDigit(c); in.advance(), c = in.peek()) {
            if (exponent < detail::kExponentBound) exponent = exponent * 10 + (c - '0');
        }
        if (negativeExponent) exponent = -exponent;
    }

    out.significantCount = mantissa.significantCount;
    out.leadingValue = mantissa.leadingValue;
    out.pointPosition = mantissa.significantCount == 0 ? 0 : point + exponent;
    out.reason = ScanReason::Ok;
}

// The correctly rounded double of a scanned number (Ok reason only): beyond
// the range of a double an infinity of its sign, subnormals kept, below them
// a zero of its sign.
double toDouble(const ScannedNumber& number);

struct ScannedInteger {
    ScanReason reason;
    std::int32_t value;
};

// "%ld": sign and digits accumulated in 32 bits with wrap-around.
template <class Source>
ScannedInteger scanInteger(Source& in) {
    skipSpace(in);
    int c = in.peek();
    if (c < 0) return {ScanReason::EndOfInput, 0};
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = (c == '-');
        in.advance();
        c = in.peek();
    }
    if (!isDigit(c)) return {ScanReason::NotANumber, 0};
    std::uint32_t magnitude = 0;
    for (; isDigit(c); in.advance(), c = in.peek()) {
        magnitude = magnitude * 10u + static_cast<std::uint32_t>(c - '0');
    }
    if (negative) magnitude = 0u - magnitude;
    return {ScanReason::Ok, static_cast<std::int32_t>(magnitude)};
}

// "%s": one word of any length into `word`; EndOfInput leaves it untouched.
template <class Source>
ScanReason scanWord(Source& in, std::string& word) {
    skipSpace(in);
    int c = in.peek();
    if (c < 0) return ScanReason::EndOfInput;
    word.clear();
    for (; c >= 0 && !isScanSpace(c); in.advance(), c = in.peek()) {
        word.push_back(static_cast<char>(c));
    }
    return ScanReason::Ok;
}

}  // namespace corvalen
