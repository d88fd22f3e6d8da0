// Reads the input spectrum: skips the header lines, then takes frequency and amplitude pairs.
//
// The data section is free format: numbers separated by white space, taken two
// at a time, whatever the line structure. Reading ends at the end of the
// file, at an end-of-file mark byte (0x1A) where a number could start, at the
// first text that is not a number, or after 199,999 points. Only the first and
// the last end quietly; the others, and frequencies that fall, are reported in
// the outcome so that the run can warn the user rather than lose data without
// a word. Line numbers count from 1 and include the header lines.
#pragma once

#include <cstdint>

#include "console/settings.h"
#include "numtext/byte_source.h"
#include "rebin/tables.h"

namespace corvalen {

constexpr int kEndOfFileMark = 0x1A;

enum class ReadEnd {
    EndOfFile,     // the file ended
    EndMark,       // an end-of-file mark byte ended the data
    NotANumber,    // text that is not a number; textLine says where
    TooManyPoints, // more data after the 199,999th point
};

struct ReadOutcome {
    ReadEnd end = ReadEnd::EndOfFile;
    long textLine = 0;     // with NotANumber: the line of the first unreadable character
    long fallingLine = 0;  // the line of the first frequency below its predecessor, or 0
};

// Consumes `count` lines, each up to and including its line feed, however long.
void skipHeaderLines(ByteSource& in, std::int32_t count);

ReadOutcome readSpectrum(ByteSource& in, AmplitudeFormat format, InputSpectrum& spectrum);

}  // namespace corvalen
