// Tests the number, integer and word scanners: the header's examples, a stream split across refills, and strtod as an oracle.
#include "numtext/number_scan.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>

#include "numtext/byte_source.h"

namespace corvalen {
namespace {

struct NumberResult {
    ScanReason reason;
    double value;
    std::size_t consumed;
};

NumberResult scanText(const std::string& text) {
    ByteSource in = ByteSource::fromMemory(text.data(), text.size());
    ScannedNumber number;
    scanNumber(in, number);
    std::size_t consumed = text.size();
    // The rest of the text is what the source still holds.
    std::size_t left = 0;
    while (in.peek() >= 0) {
        in.advance();
        ++left;
    }
    consumed -= left;
    return {number.reason, number.reason == ScanReason::Ok ? toDouble(number) : 0.0, consumed};
}

const double kInf = HUGE_VAL;

// Exactly the example lines of the scanner's header comment.
TEST(NumberScan, HeaderExamples) {
    struct Case {
        const char* text;
        ScanReason reason;
        double value;
        std::size_t consumed;
    } cases[] = {
        {"12.5x",   ScanReason::Ok,         12.5,  4}, {".5",      ScanReason::Ok,         0.5,   2},
        {"-7",      ScanReason::Ok,         -7,    2}, {"5.",      ScanReason::Ok,         5,     2},
        {"1e5",     ScanReason::Ok,         1e5,   3}, {"2E-3",    ScanReason::Ok,         0.002, 4},
        {"1e",      ScanReason::Ok,         1,     2}, {"1e-",     ScanReason::Ok,         1,     3},
        {"1e+x",    ScanReason::Ok,         1,     3}, {"1d5",     ScanReason::Ok,         1,     1},
        {"1,5",     ScanReason::Ok,         1,     1}, {"0x1A",    ScanReason::Ok,         0,     1},
        {"1e400",   ScanReason::Ok,         kInf,  5}, {"-1e-400", ScanReason::Ok,         -0.0,  7},
        {"inf",     ScanReason::NotANumber, 0,     0}, {"-.x",     ScanReason::NotANumber, 0,     2},
        {"+",       ScanReason::NotANumber, 0,     1}, {".",       ScanReason::NotANumber, 0,     1},
        {"",        ScanReason::EndOfInput, 0,     0},
    };
    for (const Case& c : cases) {
        const NumberResult r = scanText(c.text);
        EXPECT_EQ(r.reason, c.reason) << c.text;
        EXPECT_EQ(r.consumed, c.consumed) << c.text;
        if (c.reason == ScanReason::Ok) {
            EXPECT_EQ(r.value, c.value) << c.text;
            EXPECT_EQ(std::signbit(r.value), std::signbit(c.value)) << c.text;
        }
    }
}

TEST(NumberScan, WordsTheCLibraryWouldTakeAreNotNumbers) {
    for (const char* text : {"nan", "NAN", "infinity", "INF", "-inf", "+nan", ",5", "e5", "D5"}) {
        const NumberResult r = scanText(text);
        EXPECT_EQ(r.reason, ScanReason::NotANumber) << text;
        EXPECT_LE(r.consumed, 1u) << text;
    }
    EXPECT_EQ(scanText("0x10").value, 0.0);
    EXPECT_EQ(scanText("0x10").consumed, 1u);
}

TEST(NumberScan, SkipsEveryWhiteSpaceCharacterFirst) {
    const NumberResult r = scanText(" \t\n\v\f\r42 ");
    EXPECT_EQ(r.reason, ScanReason::Ok);
    EXPECT_EQ(r.value, 42.0);
    EXPECT_EQ(r.consumed, 8u);
    EXPECT_EQ(scanText(" \n\t ").reason, ScanReason::EndOfInput);
}

// A number is every character that fits, however long: a fixed-size token
// buffer would split it in two and shift every later pair.
TEST(NumberScan, LongNumbersAreOneNumber) {
    const std::string zeros(5000, '0');
    struct Case {
        std::string text;
        double value;
    } cases[] = {
        {zeros + "1.5", 1.5},
        {"0." + zeros + "1e5006", 1e5},
        {"1" + zeros + "e-5000", 1.0},
        {"3." + zeros + "1", 3.0},
        {"1" + std::string(400, '0'), kInf},
        {"-1" + std::string(400, '0'), -kInf},
        {"1e" + std::string(30, '9'), kInf},
        {"1e-" + std::string(30, '9'), 0.0},
    };
    for (const Case& c : cases) {
        const NumberResult r = scanText(c.text + " 7");
        EXPECT_EQ(r.reason, ScanReason::Ok) << c.text.substr(0, 40);
        EXPECT_EQ(r.value, c.value) << c.text.substr(0, 40);
        EXPECT_EQ(r.consumed, c.text.size()) << c.text.substr(0, 40);
    }
}

TEST(NumberScan, RangeEndsGiveInfinitiesSubnormalsAndSignedZeros) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"1.7976931348623157e308",  1.7976931348623157e308},
        {"1.7976931348623159e308",  kInf},  // rounds past the largest double
        {"-2e308",                  -kInf},
        {"4.9406564584124654e-324", 4.9406564584124654e-324},
        {"2.2250738585072011e-308", 2.2250738585072011e-308},
        {"2e-324",                  0.0},   // below half the smallest subnormal
        {"-2e-324",                 -0.0},
        {"3e-324",                  4.9406564584124654e-324},
        {"0e999999",                0.0},
        {"-0.000",                  -0.0},
    };
    for (const Case& c : cases) {
        const NumberResult r = scanText(c.text);
        EXPECT_EQ(r.value, c.value) << c.text;
        EXPECT_EQ(std::signbit(r.value), std::signbit(c.value)) << c.text;
    }
}

// Numbers whose correct rounding needs digits far beyond the 17th: halfway
// cases between two doubles, decided by a digit hundreds of places later.
TEST(NumberScan, HalfwayCasesNeedEveryDigit) {
    // 2^53 + 1 is halfway between 2^53 and 2^53 + 2; any later non-zero digit rounds up.
    EXPECT_EQ(scanText("9007199254740993").value, 9007199254740992.0);
    EXPECT_EQ(scanText("9007199254740993." + std::string(900, '0') + "1").value, 9007199254740994.0);
    EXPECT_EQ(scanText("9007199254740993" + std::string(900, '0') + "1e-901").value,
              9007199254740994.0);
}

struct IntegerCase {
    const char* text;
    ScanReason reason;
    std::int32_t value;
    std::size_t consumed;
};

TEST(IntegerScan, SignDigitsAndWrapAround) {
    const IntegerCase cases[] = {
        {"12",          ScanReason::Ok,         12,          2},
        {"  -3 ",       ScanReason::Ok,         -3,          4},
        {"+8",          ScanReason::Ok,         8,           2},
        {"12.5",        ScanReason::Ok,         12,          2},
        {"2147483647",  ScanReason::Ok,         2147483647,  10},
        {"2147483648",  ScanReason::Ok,         INT32_MIN,   10},
        {"4294967297",  ScanReason::Ok,         1,           10},
        {"-2147483649", ScanReason::Ok,         2147483647,  11},
        {"99999999999", ScanReason::Ok,         1215752191,  11},
        {".5",          ScanReason::NotANumber, 0,           0},
        {"-x",          ScanReason::NotANumber, 0,           1},
        {" word",       ScanReason::NotANumber, 0,           1},
        {"   ",         ScanReason::EndOfInput, 0,           3},
    };
    for (const IntegerCase& c : cases) {
        const std::string text = c.text;
        ByteSource in = ByteSource::fromMemory(text.data(), text.size());
        const ScannedInteger r = scanInteger(in);
        std::size_t left = 0;
        for (; in.peek() >= 0; in.advance()) ++left;
        EXPECT_EQ(r.reason, c.reason) << c.text;
        EXPECT_EQ(r.value, c.value) << c.text;
        EXPECT_EQ(text.size() - left, c.consumed) << c.text;
    }
}

TEST(WordScan, TakesOneWordOfAnyLengthAndKeepsTheStartValueAtTheEnd) {
    const std::string longName(10000, 'n');
    const std::string text = "\n  first second\t" + longName + " ";
    ByteSource in = ByteSource::fromMemory(text.data(), text.size());
    std::string word = "start";
    EXPECT_EQ(scanWord(in, word), ScanReason::Ok);
    EXPECT_EQ(word, "first");
    EXPECT_EQ(scanWord(in, word), ScanReason::Ok);
    EXPECT_EQ(word, "second");
    EXPECT_EQ(scanWord(in, word), ScanReason::Ok);
    EXPECT_EQ(word, longName);
    EXPECT_EQ(scanWord(in, word), ScanReason::EndOfInput);
    EXPECT_EQ(word, longName);
}

// Random decimal texts against the C library's strtod on the same text:
// the scanner must find the same extent and the conversion the same double.
TEST(NumberScan, AgreesWithStrtodOnRandomTexts) {
    std::mt19937_64 random(20261211);
    const char* fractions[] = {"", "."};
    for (int i = 0; i < 300000; ++i) {
        std::string text;
        if (random() % 4 == 0) text += (random() % 2) ? "-" : "+";
        const int intDigits = static_cast<int>(random() % 22);
        for (int d = 0; d < intDigits; ++d) text += static_cast<char>('0' + random() % 10);
        text += fractions[random() % 2];
        const int fracDigits = static_cast<int>(random() % 22);
        for (int d = 0; d < fracDigits; ++d) text += static_cast<char>('0' + random() % 10);
        if (intDigits + fracDigits == 0) text += "0";
        if (random() % 2) {
            text += (random() % 2) ? "e" : "E";
            if (random() % 2) text += (random() % 2) ? "-" : "+";
            text += std::to_string(random() % 340);
        }
        const NumberResult r = scanText(text);
        char* end = nullptr;
        const double expected = std::strtod(text.c_str(), &end);
        ASSERT_EQ(r.reason, ScanReason::Ok) << text;
        ASSERT_EQ(r.consumed, static_cast<std::size_t>(end - text.c_str())) << text;
        ASSERT_EQ(std::memcmp(&r.value, &expected, sizeof expected), 0) << text;
    }
}

// The same scanner over a real pipe, with a buffer so small that every
// number, sign and exponent is split across refills somewhere.
TEST(NumberScan, ReadsAPipeAcrossBufferRefills) {
    const std::string text = "  -12.5e-1\n3.25\r\n1e\t.5 12345678901234567890123 -0.0078125 7e+2x";
    const double expected[] = {-1.25, 3.25, 1.0, 0.5, 12345678901234567890123.0, -0.0078125, 700.0};
    for (std::size_t capacity : {1u, 2u, 3u, 5u, 7u, 64u}) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        std::thread writer([&] {
            // Dribble the text in pieces, so reads return short.
            for (std::size_t at = 0; at < text.size(); at += 3) {
                const std::size_t piece = std::min<std::size_t>(3, text.size() - at);
                ASSERT_EQ(write(fds[1], text.data() + at, piece), static_cast<ssize_t>(piece));
            }
            close(fds[1]);
        });
        char storage[64];
        ByteSource in(fds[0], storage, capacity);
        ScannedNumber number;
        for (double value : expected) {
            scanNumber(in, number);
            ASSERT_EQ(number.reason, ScanReason::Ok) << capacity;
            EXPECT_EQ(toDouble(number), value) << capacity;
        }
        scanNumber(in, number);
        EXPECT_EQ(number.reason, ScanReason::NotANumber);
        EXPECT_EQ(in.peek(), 'x');
        EXPECT_EQ(in.line(), 3);
        writer.join();
        close(fds[0]);
    }
}

}  // namespace
}  // namespace corvalen
