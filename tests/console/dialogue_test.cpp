// Tests the dialogue's file handling through a fake file system: which files it opens, and that no failure leaves one open.
//
// The end-to-end tests see only the console and the files on disk; a
// descriptor left open on a failure path, or an output opened after the
// input failed, shows only here.
#include "console/dialogue.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/dialogue_texts.h"

namespace corvalen {
namespace {

constexpr int kInputFd = 100;
constexpr int kOutputFd = 101;

struct Fake {
    bool inputOpens = true;
    bool sameFile = false;
    bool outputOpens = true;
    std::vector<std::string> calls;
    std::vector<int> open;
};
Fake gFake;

void forget(int fd) {
    for (auto it = gFake.open.begin(); it != gFake.open.end(); ++it) {
        if (*it == fd) {
            gFake.open.erase(it);
            return;
        }
    }
    ADD_FAILURE() << "closed " << fd << ", which is not open";
}

const FileAccess kFake{
    [](const std::string& name) {
        gFake.calls.push_back("open input " + name);
        if (!gFake.inputOpens) return -1;
        gFake.open.push_back(kInputFd);
        return kInputFd;
    },
    [](const std::string& name, int fd) {
        gFake.calls.push_back("same " + name + " " + std::to_string(fd));
        return gFake.sameFile;
    },
    [](const std::string& name) {
        gFake.calls.push_back("open output " + name);
        if (!gFake.outputOpens) return -1;
        gFake.open.push_back(kOutputFd);
        return kOutputFd;
    },
    [](int fd) {
        gFake.calls.push_back("close " + std::to_string(fd));
        forget(fd);
    },
};

struct Dialogue {
    DialogueResult result;
    std::string console;
};

Dialogue runDialogue(const std::string& answers) {
    Dialogue run{};
    ByteSource in = ByteSource::fromMemory(answers.data(), answers.size());
    std::FILE* capture = std::tmpfile();
    if (capture == nullptr) {
        ADD_FAILURE() << "no temporary file";
        return run;
    }
    char buffer[256];
    ByteSink console(fileno(capture), buffer, sizeof buffer);
    run.result = askSettings(in, console, kFake);
    console.flush();
    run.console.resize(4096);
    const ssize_t got = pread(fileno(capture), run.console.data(), run.console.size(), 0);
    run.console.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    std::fclose(capture);
    return run;
}

TEST(Dialogue, OpensTheFilesItNamesAndLeavesNoneOpenOnFailure) {
    const std::string before = testing::dialogueBeforeOutputOpen("in.txt", "out.txt");
    struct Case {
        const char* name;
        bool inputOpens, sameFile, outputOpens;
        bool filesOpen;
        std::vector<std::string> calls;
        std::string console;
    } cases[] = {
        {"input fails", false, false, true, false,
         {"open input in.txt"},
         testing::dialogueBanner() + " Failed to open file: in.txt \n"},
        {"output names the input", true, true, true, false,
         {"open input in.txt", "same out.txt 100", "close 100"},
         before + " Output file is the input file: out.txt \n"},
        {"output fails", true, false, false, false,
         {"open input in.txt", "same out.txt 100", "open output out.txt", "close 100"},
         before + " Failed to open file: out.txt \n"},
        {"both open", true, false, true, true,
         {"open input in.txt", "same out.txt 100", "open output out.txt"},
         testing::openedDialogue("in.txt", "out.txt")},
    };
    for (const Case& c : cases) {
        gFake = Fake{c.inputOpens, c.sameFile, c.outputOpens, {}, {}};
        const Dialogue run = runDialogue("in.txt 2 1 0.5 out.txt\n");
        EXPECT_EQ(run.result.filesOpen, c.filesOpen) << c.name;
        EXPECT_EQ(gFake.calls, c.calls) << c.name;
        const std::vector<int> stillOpen =
            c.filesOpen ? std::vector<int>{kInputFd, kOutputFd} : std::vector<int>{};
        EXPECT_EQ(gFake.open, stillOpen) << c.name;
        EXPECT_EQ(run.console, c.console) << c.name;
        if (c.filesOpen) {
            const RunSettings& settings = run.result.settings;
            EXPECT_EQ(settings.inputFd, kInputFd);
            EXPECT_EQ(settings.outputFd, kOutputFd);
            EXPECT_EQ(settings.headerLines, 2);
            EXPECT_EQ(settings.amplitudeFormat, AmplitudeFormat::Peak);
            EXPECT_EQ(settings.resolution, 0.5);
        }
    }
}

// The resolution is a number of at most 349 characters after its sign; what
// follows is the next answer, here the output file name.
TEST(Dialogue, AResolutionLongerThan349CharactersLeavesTheRestForTheOutputName) {
    gFake = Fake{};
    const Dialogue run = runDialogue("in.txt 0 2 12.5" + std::string(345, '0') + "1 out.txt\n");
    EXPECT_TRUE(run.result.filesOpen);
    EXPECT_EQ(run.result.settings.resolution, 12.5);
    EXPECT_EQ(run.result.settings.outputName, "1");
    EXPECT_EQ(gFake.calls, (std::vector<std::string>{"open input in.txt", "same 1 100", "open output 1"}));
}

}  // namespace
}  // namespace corvalen
