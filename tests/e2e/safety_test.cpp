// Runs the real program on inputs that could destroy or silently lose data: the same file twice, unwritable output, text, marks, too many points, falling frequencies.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/run_program.h"

namespace corvalen::testing {
namespace {

const std::string kInputBytes = "header\n100 1\n200 2\n";

TEST(Safety, AnOutputNameThatNamesTheInputIsRefused) {
    struct Case {
        const char* name;
        const char* outputName;
    } cases[] = {
        {"same name", "in.txt"},
        {"relative path", "./in.txt"},
        {"through a folder", "sub/../in.txt"},
        {"symbolic link", "link.txt"},
        {"hard link", "hard.txt"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        dir.write("in.txt", kInputBytes);
        mkdir(dir.file("sub").c_str(), 0755);
        ASSERT_EQ(symlink("in.txt", dir.file("link.txt").c_str()), 0);
        ASSERT_EQ(link(dir.file("in.txt").c_str(), dir.file("hard.txt").c_str()), 0);
        const ProgramRun run =
            runProgram(dir.path(), std::string("in.txt 1 2 100 ") + c.outputName + "\n");
        EXPECT_EQ(run.console, dialogueBeforeOutputOpen("in.txt", c.outputName) +
                                   " Output file is the input file: " + c.outputName + " \n")
            << c.name;
        EXPECT_EQ(run.exitStatus, 1) << c.name;
        EXPECT_EQ(dir.read("in.txt"), kInputBytes) << c.name;
    }
}

TEST(Safety, ALostOutputIsReportedNotCalledComplete) {
    TempDir dir;
    dir.write("in.txt", kInputBytes);
    const ProgramRun run = runProgram(dir.path(), "in.txt 1 2 100 /dev/full\n");
    const std::string records = "\n \t     100.00 \t  1.0000e+000\n \t     200.00 \t  2.0000e+000";
    EXPECT_EQ(run.console, openedDialogue("in.txt", "/dev/full") + progressMarkers(2, 121) + records +
                               "\n\n Failed to write file: /dev/full \n");
    EXPECT_EQ(run.exitStatus, 1);
}

std::string readingPart(const std::string& console) {
    const std::size_t from = console.find("\n Reference 1 ");
    const std::size_t to = console.find("\n Reference 2 ");
    return console.substr(from, to - from);
}

std::string pairs(long count) {
    std::string text;
    for (long i = 1; i <= count; ++i) text += std::to_string(i) + " 1\n";
    return text;
}

TEST(Safety, DataThatCannotBeReadIsNeverDroppedInSilence) {
    const std::string notANumber = " holds text that is not a number; the rest of the file is not read. ";
    struct Case {
        const char* name;
        std::string input;
        std::string warnings;
        long points;
    } cases[] = {
        {"footer", "h\n100 1\n200 2\nEND\n", "\n Warning: line 4" + notANumber, 2},
        {"column labels", "h\nHz EU\n100 1\n", "\n Warning: line 2" + notANumber, 0},
        {"commas", "h\n100,1\n200,2\n", "\n Warning: line 2" + notANumber, 1},
        {"lone frequency before text", "h\n100 1\n200\n# end\n", "\n Warning: line 4" + notANumber, 2},
        {"inf and nan words", "h\n100 inf\n", "\n Warning: line 2" + notANumber, 1},
        {"nul byte", std::string("h\n100 1\n\0\n", 10), "\n Warning: line 3" + notANumber, 1},
        {"mark after crlf lines", "h\r\n100 1\r\n200 2\r\n\x1a garbage", "", 2},
        {"lone frequency before mark", "h\n100 1\n200\x1a", "", 2},
        {"exactly the cap and blank lines", "h\n" + pairs(199999) + "\n\n\n", "", 199999},
        {"over the cap", "h\n" + pairs(200000),
         "\n Warning: more than 199999 points; the rest of the file is not read. ", 199999},
        {"falling frequencies", "h\n100 1\n300 1\n200 1\n50 1\n",
         "\n Warning: frequencies fall at line 4; some bands may be left out. ", 4},
        {"falling then text", "h\n300 1\n200 1\nx",
         "\n Warning: frequencies fall at line 3; some bands may be left out. "
         "\n Warning: line 4" + notANumber, 2},
    };
    for (const Case& c : cases) {
        TempDir dir;
        dir.write("in.txt", c.input);
        const ProgramRun run = runProgram(dir.path(), "in.txt 1 2 100 out.txt\n");
        EXPECT_EQ(readingPart(run.console), "\n Reference 1 " + c.warnings) << c.name;
        EXPECT_NE(run.console.find(" j=" + std::to_string(c.points) + "  imax=121\n"),
                  std::string::npos)
            << c.name;
        EXPECT_EQ(run.exitStatus, 0) << c.name;
    }
}

}  // namespace
}  // namespace corvalen::testing
