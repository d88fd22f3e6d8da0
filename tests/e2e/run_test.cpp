// Runs the real program end to end without a terminal and compares the whole console text and output file byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/run_program.h"

namespace corvalen::testing {
namespace {

const std::string kClosing = closingText();

TEST(Run, OnePointThroughTheWholeProgram) {
    TempDir dir;
    dir.write("in.txt", "Hz EU\n12.3 0.5\n");
    const ProgramRun run = runProgram(dir.path(), "in.txt\n1\n1\n10\nout.txt\n");
    const std::string record = "\n \t      10.00 \t  3.5355e-001";
    EXPECT_EQ(run.console, openedDialogue("in.txt", "out.txt") + progressMarkers(1, 1201) + record + kClosing);
    EXPECT_EQ(dir.read("out.txt"), record);
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.exitStatus, 0);
}

TEST(Run, ASpectrumOfSeveralBands) {
    TempDir dir;
    dir.write("spectrum.dat",
              "Spectrum\r\nfreq amp\r\n"
              "0.0 9\r\n50 3\r\n99 4\r\n149.99 0\r\n150 1e-3\r\n200 2.5e-21\r\n250 1\r\n"
              "10000 1\r\n10050 5\r\n");
    const ProgramRun run = runProgram(dir.path(), "spectrum.dat 2 2 100 result.txt");
    const std::string records = "\n \t     100.00 \t  5.0000e+000"
                                "\n \t     200.00 \t  1.0000e-003"
                                "\n \t     300.00 \t  1.0000e+000"
                                "\n \t   10000.00 \t  1.0000e+000";
    EXPECT_EQ(run.console,
              openedDialogue("spectrum.dat", "result.txt") + progressMarkers(9, 121) + records + kClosing);
    EXPECT_EQ(dir.read("result.txt"), records);
    EXPECT_EQ(run.exitStatus, 0);
}

TEST(Run, OnlyHeaderLinesStillReachTheEnd) {
    TempDir dir;
    dir.write("in.txt", "one\ntwo\n");
    const ProgramRun run = runProgram(dir.path(), "in.txt\n2\n2\n50\nout.txt\n");
    EXPECT_EQ(run.console, openedDialogue("in.txt", "out.txt") + progressMarkers(0, 241) + kClosing);
    EXPECT_EQ(dir.read("out.txt"), "");
    EXPECT_TRUE(dir.exists("out.txt"));
    EXPECT_EQ(run.exitStatus, 0);
}

TEST(Run, FilesThatCannotBeOpened) {
    const std::string banner = dialogueBanner();
    TempDir dir;
    dir.write("in.txt", "100 1\n");

    const ProgramRun missing = runProgram(dir.path(), "missing.txt 0 2 100 out.txt\n");
    EXPECT_EQ(missing.console, banner + " Failed to open file: missing.txt \n");
    EXPECT_EQ(missing.exitStatus, 1);

    const ProgramRun folder = runProgram(dir.path(), ". 0 2 100 out.txt\n");
    EXPECT_EQ(folder.console, banner + " Failed to open file: . \n");
    EXPECT_EQ(folder.exitStatus, 1);

    const ProgramRun nothing = runProgram(dir.path(), "");
    EXPECT_EQ(nothing.console, banner + " Failed to open file:  \n");
    EXPECT_EQ(nothing.exitStatus, 1);

    const std::string longName(5000, 'x');
    const ProgramRun tooLong = runProgram(dir.path(), longName + " 0 2 100 out.txt\n");
    EXPECT_EQ(tooLong.console, banner + " Failed to open file: " + longName + " \n");
    EXPECT_EQ(tooLong.exitStatus, 1);

    const ProgramRun outputFolder = runProgram(dir.path(), "in.txt 0 2 100 nowhere/out.txt\n");
    EXPECT_EQ(outputFolder.console, dialogueBeforeOutputOpen("in.txt", "nowhere/out.txt") +
                                        " Failed to open file: nowhere/out.txt \n");
    EXPECT_EQ(outputFolder.exitStatus, 1);
    EXPECT_FALSE(dir.exists("out.txt"));
}

// How answers are taken: the longest fitting beginning of what is left, with
// the rest left for the next question.
TEST(Run, AnswersAreTakenTheWayTheConversionsTakeThem) {
    struct Case {
        const char* name;
        const char* answers;
        const char* outputName;
        long lastBand;
        const char* records;
    } cases[] = {
        // 12.5 as the header count: count 12, the format fails on ".5" and
        // becomes RMS, the resolution takes 0.5.
        {"decimal header count", "in.txt\n12.5\n1\nout.txt\n", "1", 24001, ""},
        // A word as the header count: count 0, format RMS, resolution 0, and
        // the word becomes the output name.
        {"word as header count", "in.txt\nout.txt\n", "out.txt", 199999, ""},
        {"answers on one line", "in.txt 0 1 100 out.txt", "out.txt", 121,
         "\n \t     100.00 \t  1.4142e+000\n \t     200.00 \t  7.0711e-001"},
        {"empty lines first", "\n\n in.txt\n\n\n0\n\n2\n100\n\nout.txt\n", "out.txt", 121,
         "\n \t     100.00 \t  2.0000e+000\n \t     200.00 \t  1.0000e+000"},
        {"format 3 is rms", "in.txt 0 3 100 out.txt", "out.txt", 121,
         "\n \t     100.00 \t  2.0000e+000\n \t     200.00 \t  1.0000e+000"},
        {"format -1 is rms", "in.txt 0 -1 100 out.txt", "out.txt", 121,
         "\n \t     100.00 \t  2.0000e+000\n \t     200.00 \t  1.0000e+000"},
        {"header count wraps", "in.txt 4294967296 2 1e2 out.txt", "out.txt", 121,
         "\n \t     100.00 \t  2.0000e+000\n \t     200.00 \t  1.0000e+000"},
        {"huge resolution", "in.txt 0 2 1e999 out.txt", "out.txt", 1, ""},
        {"input ends early", "in.txt 0 2", "", 0, nullptr},
    };
    for (const Case& c : cases) {
        TempDir dir;
        dir.write("in.txt", "100 2\n200 1\n");
        const ProgramRun run = runProgram(dir.path(), c.answers);
        if (c.records == nullptr) {
            // The output name keeps its empty start value, which cannot be opened.
            EXPECT_NE(run.console.find("\n\n Enter output filename\n\n\n  \n\n Failed to open file:  \n"),
                      std::string::npos)
                << c.name;
            EXPECT_EQ(run.exitStatus, 1) << c.name;
            continue;
        }
        const long points = std::string(c.name) == "decimal header count" ? 0 : 2;
        EXPECT_EQ(run.console, openedDialogue("in.txt", c.outputName) + progressMarkers(points, c.lastBand) +
                                   c.records + kClosing)
            << c.name;
        EXPECT_EQ(dir.read(c.outputName), c.records) << c.name;
        EXPECT_EQ(run.exitStatus, 0) << c.name;
    }
}

// The heaviest input the program accepts, generated: every band of the
// finest full grid is reported, and the energy in the file balances the input.
TEST(Run, TheLargestSpectrumKeepsItsEnergy) {
    TempDir dir;
    std::string text = "generated\npeak\n";
    double inputEnergy = 0.0;
    char line[64];
    for (long i = 1; i <= 199999; ++i) {
        const double amplitude = 1.0 + static_cast<double>(i % 97) / 10.0;
        const double frequency = static_cast<double>(i) * 0.05;
        std::snprintf(line, sizeof line, "%.2f %.1f\n", frequency, amplitude);
        text += line;
        const double rms = amplitude * (std::sqrt(2.0) / 2.0);
        if (frequency <= 10000.0) inputEnergy += rms * rms;
    }
    dir.write("in.txt", text);
    const ProgramRun run = runProgram(dir.path(), "in.txt 2 1 0.05 out.txt");
    ASSERT_EQ(run.exitStatus, 0);
    const std::string file = dir.read("out.txt");
    EXPECT_NE(run.console.find(file), std::string::npos);
    EXPECT_NE(run.console.find(" j=199999  imax=199999\n"), std::string::npos);

    long records = 0;
    double outputEnergy = 0.0;
    for (std::size_t at = 0; (at = file.find("\n \t ", at)) != std::string::npos; at += 4) {
        const double amplitude = std::stod(file.substr(at + 4 + 10 + 3, 12));
        outputEnergy += amplitude * amplitude;
        ++records;
    }
    EXPECT_EQ(records, 199999);
    // Five significant digits per printed amplitude bound the difference.
    EXPECT_NEAR(outputEnergy, inputEnergy, inputEnergy * 1e-4);
}

}  // namespace
}  // namespace corvalen::testing
