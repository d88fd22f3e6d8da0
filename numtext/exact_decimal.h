// The exact decimal expansion of a double: the slow path that is always right.
//
// Every finite double is m * 2^q, a finite decimal fraction with at most 767
// significant digits. Producing all of them with schoolbook big-integer
// arithmetic is slow but cannot be wrong, so the formatter falls back to it
// where its fast path cannot decide, and the tests use it as their oracle.
// Fixed-size storage: nothing is allocated.
#pragma once

#include <cstddef>

namespace corvalen {

// 1074 fractional binary digits give at most 1074 fractional decimal digits and
// 309 integer digits; the significant ones never exceed 767.
constexpr std::size_t kMaxExactDigits = 800;

// The magnitude's significant digits as ASCII ('1'..'9' first, no trailing
// zeros), with value = 0.d1d2d3... * 10^pointPosition. Zero has count 0.
struct ExactDecimal {
    char digits[kMaxExactDigits];
    std::size_t count;
    int pointPosition;
};

// Exact expansion of |value| for a finite value.
void exactDecimal(double value, ExactDecimal& out);

}  // namespace corvalen
