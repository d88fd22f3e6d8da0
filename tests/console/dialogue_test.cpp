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
        const std::string answers = "in.txt 2 1 0.5 out.txt\n";
        ByteSource in = ByteSource::fromMemory(answers.data(), answers.size());
        std::FILE* capture = std::tmpfile();
        ASSERT_NE(capture, nullptr);
        char buffer[256];
        ByteSink console(fileno(capture), buffer, sizeof buffer);

        const DialogueResult result = askSettings(in, console, kFake);

        EXPECT_EQ(result.filesOpen, c.filesOpen) << c.name;
        EXPECT_EQ(gFake.calls, c.calls) << c.name;
        const std::vector<int> stillOpen =
            c.filesOpen ? std::vector<int>{kInputFd, kOutputFd} : std::vector<int>{};
        EXPECT_EQ(gFake.open, stillOpen) << c.name;
        if (c.filesOpen) {
            EXPECT_EQ(result.settings.inputFd, kInputFd);
            EXPECT_EQ(result.settings.outputFd, kOutputFd);
            EXPECT_EQ(result.settings.headerLines, 2);
            EXPECT_EQ(result.settings.amplitudeFormat, AmplitudeFormat::Peak);
            EXPECT_EQ(result.settings.resolution, 0.5);
        }
        std::string text(4096, '\0');
        const ssize_t got = pread(fileno(capture), text.data(), text.size(), 0);
        ASSERT_GE(got, 0);
        text.resize(static_cast<std::size_t>(got));
        EXPECT_EQ(text, c.console) << c.name;
        std::fclose(capture);
    }
}

}  // namespace
}  // namespace corvalen
