// Slow, plain references for the number, integer and word scanners, shared by the unit tests and the fuzz targets.
//
// Each reference works on a whole text and a start index, one character at
// a time, straight from the token rules, with none of the scanner's
// streaming, digit packing or fast paths, so that the two can disagree only
// when one of them is wrong. A number's value is the C library's strtod on
// the exact characters taken: in the "C" locale it rounds correctly, and on
// these characters (sign, digits, point, exponent) it accepts nothing the
// rules do not, so it settles the value and nothing else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "numtext/number_scan.h"

namespace corvalen::reference {

inline bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
inline bool isDigitChar(char c) { return c >= '0' && c <= '9'; }

inline std::size_t skipSpaces(std::string_view text, std::size_t at) {
    while (at < text.size() && isSpace(text[at])) ++at;
    return at;
}

struct Number {
    ScanReason reason;
    std::size_t start;  // where the token begins, after the white space
    std::size_t end;    // the first character not taken, also on failure
    double value;       // with Ok only
};

// "%lf": optional sign; digits with an optional point; then, after at least
// one digit, e or E, an optional sign and digits, where a letter without
// digits is taken and ignored. Every character that fits belongs to the
// number, however many there are.
inline Number scanNumber(std::string_view text, std::size_t at) {
    std::size_t i = skipSpaces(text, at);
    if (i == text.size()) return {ScanReason::EndOfInput, i, i, 0.0};
    const std::size_t start = i;
    if (text[i] == '+' || text[i] == '-') ++i;

    int digits = 0;
    while (i < text.size() && isDigitChar(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigitChar(text[i])) ++i, ++digits;
    }
    if (digits == 0) return {ScanReason::NotANumber, start, i, 0.0};
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        while (i < text.size() && isDigitChar(text[i])) ++i;
    }
    const std::string token(text.substr(start, i - start));
    return {ScanReason::Ok, start, i, std::strtod(token.c_str(), nullptr)};
}

struct Integer {
    ScanReason reason;
    std::size_t end;
    std::int32_t value;  // 0 unless Ok
};

// "%ld": optional sign and digits, accumulated modulo 2^32 as the 32-bit
// accumulator wraps; a failure takes only the sign.
inline Integer scanInteger(std::string_view text, std::size_t at) {
    std::size_t i = skipSpaces(text, at);
    if (i == text.size()) return {ScanReason::EndOfInput, i, 0};
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    if (i == text.size() || !isDigitChar(text[i])) return {ScanReason::NotANumber, i, 0};
    std::uint64_t value = 0;
    for (; i < text.size() && isDigitChar(text[i]); ++i) {
        value = (value * 10 + static_cast<std::uint64_t>(text[i] - '0')) % (std::uint64_t{1} << 32);
    }
    if (negative) value = ((std::uint64_t{1} << 32) - value) % (std::uint64_t{1} << 32);
    const std::int64_t wrapped =
        value >= (std::uint64_t{1} << 31) ? static_cast<std::int64_t>(value) - (std::int64_t{1} << 32)
                                          : static_cast<std::int64_t>(value);
    return {ScanReason::Ok, i, static_cast<std::int32_t>(wrapped)};
}

struct Word {
    ScanReason reason;
    std::size_t end;
    std::string word;  // empty unless Ok
};

// "%s": the run of characters up to the next white space.
inline Word scanWord(std::string_view text, std::size_t at) {
    const std::size_t start = skipSpaces(text, at);
    if (start == text.size()) return {ScanReason::EndOfInput, start, {}};
    std::size_t i = start;
    while (i < text.size() && !isSpace(text[i])) ++i;
    return {ScanReason::Ok, i, std::string(text.substr(start, i - start))};
}

}  // namespace corvalen::reference
