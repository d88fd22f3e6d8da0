// Tests header skipping and pair reading from memory: layouts, peak conversion, and where and why reading ends.
#include "rebin/spectrum_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace corvalen {
namespace {

struct Read {
    std::unique_ptr<InputSpectrum> spectrum = std::make_unique<InputSpectrum>();
    ReadOutcome outcome;
    std::vector<double> frequencies() const {
        return {spectrum->frequency.begin(), spectrum->frequency.begin() + spectrum->count};
    }
    std::vector<double> amplitudes() const {
        return {spectrum->amplitude.begin(), spectrum->amplitude.begin() + spectrum->count};
    }
};

Read readText(const std::string& text, std::int32_t headerLines = 0,
              AmplitudeFormat format = AmplitudeFormat::Rms) {
    Read read;
    ByteSource in = ByteSource::fromMemory(text.data(), text.size());
    skipHeaderLines(in, headerLines);
    read.outcome = readSpectrum(in, format, *read.spectrum);
    return read;
}

using Values = std::vector<double>;

TEST(SpectrumReader, LineStructureDoesNotMatter) {
    const Values frequencies = {1.5, 2.5, 3.5};
    const Values amplitudes = {10, 20, 30};
    for (const char* text : {"1.5 10\n2.5 20\n3.5 30\n", "1.5 10\r\n2.5 20\r\n3.5 30\r\n",
                             "1.5 10 2.5 20 3.5 30", "1.5\n10\n2.5\t20 3.5\n\n\n30\n\n"}) {
        const Read read = readText(text);
        EXPECT_EQ(read.frequencies(), frequencies) << text;
        EXPECT_EQ(read.amplitudes(), amplitudes) << text;
        EXPECT_EQ(read.outcome.end, ReadEnd::EndOfFile) << text;
    }
}

TEST(SpectrumReader, PeakAmplitudesBecomeRms) {
    EXPECT_EQ(readText("10 2.0", 0, AmplitudeFormat::Peak).amplitudes(), Values{2.0 * (std::sqrt(2.0) / 2.0)});
    EXPECT_NEAR(readText("10 2.0", 0, AmplitudeFormat::Peak).amplitudes()[0], 1.41421356, 1e-8);
    EXPECT_EQ(readText("10 2.0", 0, AmplitudeFormat::Rms).amplitudes(), Values{2.0});
}

TEST(SpectrumReader, AnOddCountOfNumbersEndsWithAZeroAmplitude) {
    const Read read = readText("1 2 3 4 5 6 7", 0, AmplitudeFormat::Peak);
    EXPECT_EQ(read.frequencies(), (Values{1, 3, 5, 7}));
    EXPECT_EQ(read.amplitudes()[3], 0.0);
    EXPECT_EQ(read.outcome.end, ReadEnd::EndOfFile);
}

// A header line is everything up to its line feed, however long.
TEST(SpectrumReader, HeaderLinesOfAnyLength) {
    const std::string longLine(400, 'h');
    EXPECT_EQ(readText(longLine + "\nsecond header\n5 6\n", 2).frequencies(), Values{5});
    EXPECT_EQ(readText(std::string(100000, '#') + "\r\n5 6\n", 1).frequencies(), Values{5});
    // More header lines than the file has: nothing is read, quietly.
    const Read beyond = readText("a\nb\n", 5);
    EXPECT_EQ(beyond.spectrum->count, 0);
    EXPECT_EQ(beyond.outcome.end, ReadEnd::EndOfFile);
    // Zero or fewer header lines skip nothing.
    EXPECT_EQ(readText("5 6", -3).frequencies(), Values{5});
}

struct EndCase {
    const char* name;
    std::string text;
    std::int32_t headerLines;
    Values frequencies;
    Values amplitudes;
    ReadEnd end;
    long textLine;
};

TEST(SpectrumReader, WhereAndWhyReadingEnds) {
    const EndCase cases[] = {
        {"footer",           "h\n1 2\n3 4\nEND\n",       1, {1, 3},    {2, 4},    ReadEnd::NotANumber, 4},
        {"column labels",    "Hz EU\n1 2\n",             0, {},        {},        ReadEnd::NotANumber, 1},
        {"commas",           "1,2\n3,4\n",               0, {1},       {0},       ReadEnd::NotANumber, 1},
        {"lone frequency",   "1 2\n3\nfooter",           0, {1, 3},    {2, 0},    ReadEnd::NotANumber, 3},
        {"inf word",         "1 2\n3 inf\n",             0, {1, 3},    {2, 0},    ReadEnd::NotANumber, 2},
        {"nan word",         "1 2\nnan 4\n",             0, {1},       {2},       ReadEnd::NotANumber, 2},
        {"hex",              "1 0x10 3 4\n",             0, {1},       {0},       ReadEnd::NotANumber, 1},
        {"d exponent",       "1 2D3\n",                  0, {1},       {2},       ReadEnd::NotANumber, 1},
        {"nul byte",         std::string("1 2\n\0 4", 7), 0, {1},      {2},       ReadEnd::NotANumber, 2},
        {"sign then text",   "1 2\n\n - x",              0, {1},       {2},       ReadEnd::NotANumber, 3},
        {"mark after crlf",  "1 2\r\n3 4\r\n\x1a" "5 6",  0, {1, 3},   {2, 4},    ReadEnd::EndMark,    0},
        {"mark after freq",  "1 2\n3\x1a 9 9",           0, {1, 3},    {2, 0},    ReadEnd::EndMark,    0},
        {"mark in header",   "\x1a\n1 2\n",              1, {1},       {2},       ReadEnd::EndOfFile,  0},
        {"only header",      "f a\n",                    1, {},        {},        ReadEnd::EndOfFile,  0},
        {"empty",            "",                         0, {},        {},        ReadEnd::EndOfFile,  0},
    };
    for (const EndCase& c : cases) {
        const Read read = readText(c.text, c.headerLines);
        EXPECT_EQ(read.frequencies(), c.frequencies) << c.name;
        EXPECT_EQ(read.amplitudes(), c.amplitudes) << c.name;
        EXPECT_EQ(read.outcome.end, c.end) << c.name;
        EXPECT_EQ(read.outcome.textLine, c.textLine) << c.name;
    }
}

TEST(SpectrumReader, FirstFallingFrequencyIsReportedByItsLine) {
    struct Case {
        const char* text;
        long fallingLine;
    } cases[] = {
        {"header\n1 1\n2 1\n1.5 1\n0.5 1\n", 4},
        {"1 1 2 1\n3 1\n", 0},
        {"5 1 5 1 5 1", 0},  // equal frequencies do not fall
        {"1 1\n\n\n0 1", 4},
        {"1 1 -0 1", 1},
    };
    for (const Case& c : cases) {
        const std::int32_t headerLines = std::string(c.text).rfind("header", 0) == 0 ? 1 : 0;
        const Read read = readText(c.text, headerLines);
        EXPECT_EQ(read.outcome.fallingLine, c.fallingLine) << c.text;
    }
    // The points stay as read, in file order.
    EXPECT_EQ(readText("3 1 1 1 2 1").frequencies(), (Values{3, 1, 2}));
}

std::string pairs(long count) {
    std::string text;
    text.reserve(static_cast<std::size_t>(count) * 8);
    for (long i = 1; i <= count; ++i) text += std::to_string(i) + " 1\n";
    return text;
}

TEST(SpectrumReader, TheCapOf199999Points) {
    const Read exact = readText(pairs(199999) + "\n\n  \r\n");
    EXPECT_EQ(exact.spectrum->count, 199999);
    EXPECT_EQ(exact.outcome.end, ReadEnd::EndOfFile);

    const Read marked = readText(pairs(199999) + "\n\x1a more");
    EXPECT_EQ(marked.spectrum->count, 199999);
    EXPECT_EQ(marked.outcome.end, ReadEnd::EndOfFile);

    const Read over = readText(pairs(200001));
    EXPECT_EQ(over.spectrum->count, 199999);
    EXPECT_EQ(over.spectrum->frequency[199998], 199999.0);
    EXPECT_EQ(over.spectrum->frequency[199999], 0.0);  // the last slot is never filled
    EXPECT_EQ(over.outcome.end, ReadEnd::TooManyPoints);

    const Read footer = readText(pairs(199999) + "END\n");
    EXPECT_EQ(footer.outcome.end, ReadEnd::TooManyPoints);
}

}  // namespace
}  // namespace corvalen
