// Fuzzes the dialogue on arbitrary standard input, with a fake file system, against a plain retelling of its rules.
//
// Input layout: the low three bits of the first byte say whether the input
// file opens (1), whether the output file opens (2) and whether the output
// name names the input file (4); the rest is standard input. Seeds start
// with a digit, so that '3' means both files open.
//
// The fake hands out made-up descriptors and keeps count, so random names
// never reach the real file system, and a descriptor left open on a failure
// path, closed twice or never opened shows up at once. The expected answers
// come from the reference scanners of tests/support, and the whole console
// text is compared, so the order and wording of every question and message
// are checked along with the settings and what is left unread.
// Built with clang's libFuzzer: cmake -DCORVALEN_FUZZ=ON with clang++.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "console/dialogue.h"
#include "fuzz/memory_file.h"
#include "support/dialogue_texts.h"
#include "support/reference_scan.h"

namespace {

using namespace corvalen;
using fuzz::fail;

constexpr int kInputFd = 1000;
constexpr int kOutputFd = 1001;

struct FakeFiles {
    unsigned behaviour = 0;
    int inputOpens = 0;
    int outputOpens = 0;
    int sameFileChecks = 0;
    bool inputOpen = false;
    bool outputOpen = false;
};
FakeFiles gFake;

bool& openFlag(int fd) {
    if (fd == kInputFd) return gFake.inputOpen;
    if (fd == kOutputFd) return gFake.outputOpen;
    char text[64];
    std::snprintf(text, sizeof text, "descriptor %d", fd);
    fail("a descriptor the fake never handed out", text);
}

int fakeOpenInput(const std::string&) {
    ++gFake.inputOpens;
    if ((gFake.behaviour & 1u) == 0) return -1;
    gFake.inputOpen = true;
    return kInputFd;
}

bool fakeIsSameFile(const std::string&, int fd) {
    ++gFake.sameFileChecks;
    if (!openFlag(fd)) fail("same-file check on a closed descriptor");
    return (gFake.behaviour & 4u) != 0;
}

int fakeOpenOutput(const std::string&) {
    ++gFake.outputOpens;
    if ((gFake.behaviour & 2u) == 0) return -1;
    gFake.outputOpen = true;
    return kOutputFd;
}

void fakeClose(int fd) {
    bool& open = openFlag(fd);
    if (!open) fail("close of a descriptor that is not open");
    open = false;
}

constexpr FileAccess kFakeFiles{fakeOpenInput, fakeIsSameFile, fakeOpenOutput, fakeClose};

// What the dialogue must do with these answers and this fake.
struct Expected {
    bool filesOpen = false;
    RunSettings settings;
    std::string console;
    std::size_t consumed = 0;
    int outputOpens = 0;
    int sameFileChecks = 0;
};

Expected expectedDialogue(std::string_view answers, unsigned behaviour) {
    Expected e;
    RunSettings& s = e.settings;
    const reference::Word input = reference::scanWord(answers, 0);
    s.inputName = input.word;
    e.consumed = input.end;
    if ((behaviour & 1u) == 0) {
        e.console = testing::dialogueBanner() + " Failed to open file: " + s.inputName + " \n";
        return e;
    }
    const reference::Integer header = reference::scanInteger(answers, input.end);
    s.headerLines = header.reason == ScanReason::Ok ? header.value : 0;
    const reference::Integer format = reference::scanInteger(answers, header.end);
    s.amplitudeFormat = format.reason == ScanReason::Ok && format.value == 1 ? AmplitudeFormat::Peak
                                                                              : AmplitudeFormat::Rms;
    const reference::Number resolution = reference::scanNumber(answers, format.end);
    s.resolution = resolution.reason == ScanReason::Ok ? resolution.value : 0.0;
    const reference::Word output = reference::scanWord(answers, resolution.end);
    s.outputName = output.word;
    e.consumed = output.end;

    e.console = testing::dialogueBeforeOutputOpen(s.inputName, s.outputName);
    e.sameFileChecks = 1;
    if ((behaviour & 4u) != 0) {
        e.console += " Output file is the input file: " + s.outputName + " \n";
        return e;
    }
    e.outputOpens = 1;
    if ((behaviour & 2u) == 0) {
        e.console += " Failed to open file: " + s.outputName + " \n";
        return e;
    }
    e.console += " File: " + s.outputName + " opened. \n";
    e.filesOpen = true;
    s.inputFd = kInputFd;
    s.outputFd = kOutputFd;
    return e;
}

std::string leftUnread(ByteSource& in) {
    std::string rest;
    for (int c = in.peek(); c >= 0; c = in.peek()) {
        rest += static_cast<char>(c);
        in.advance();
    }
    return rest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const unsigned behaviour = data[0] & 7u;
    const std::string_view answers(reinterpret_cast<const char*>(data + 1), size - 1);

    gFake = FakeFiles{};
    gFake.behaviour = behaviour;
    static fuzz::MemoryFile consoleFile;
    consoleFile.reset();
    static char consoleBuffer[1 << 12];
    ByteSink console(consoleFile.fd(), consoleBuffer, sizeof consoleBuffer);
    ByteSource in = ByteSource::fromMemory(answers.data(), answers.size());

    const DialogueResult got = askSettings(in, console, kFakeFiles);
    console.flush();
    const Expected want = expectedDialogue(answers, behaviour);

    if (consoleFile.contents() != want.console) fail("console text", consoleFile.contents());
    if (got.filesOpen != want.filesOpen) fail("files open");
    const RunSettings& g = got.settings;
    const RunSettings& w = want.settings;
    if (g.inputName != w.inputName) fail("input name", g.inputName);
    if (gFake.inputOpens != 1) fail("input opened other than once");
    if (gFake.outputOpens != want.outputOpens) fail("output opens");
    if (gFake.sameFileChecks != want.sameFileChecks) fail("same-file checks");
    // Either both files are open and handed over, or none is left open.
    if (gFake.inputOpen != want.filesOpen || gFake.outputOpen != want.filesOpen) fail("descriptor left open");
    if (leftUnread(in) != answers.substr(want.consumed)) fail("what stays unread");
    if ((behaviour & 1u) == 0) return 0;  // no further question was asked

    if (g.headerLines != w.headerLines) fail("header line count");
    if (g.amplitudeFormat != w.amplitudeFormat) fail("amplitude format");
    if (std::memcmp(&g.resolution, &w.resolution, sizeof g.resolution) != 0) fail("resolution");
    if (g.outputName != w.outputName) fail("output name", g.outputName);
    if (want.filesOpen && (g.inputFd != kInputFd || g.outputFd != kOutputFd)) fail("descriptors handed over");
    return 0;
}
