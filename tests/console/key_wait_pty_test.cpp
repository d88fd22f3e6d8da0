// Tests the final key wait on a pseudo-terminal, with the wait alone and with the whole program.
//
// A person at a console is played by writing to the terminal's keyboard side:
// keys arrive as the bytes a terminal sends, typed-ahead text sits in the
// terminal's line buffer, and signals come from outside. What is checked is
// only what that person would notice: whether the program waits, which key
// ended it, whether any bytes of the key are left for the shell, and whether
// the terminal behaves as before once the program is gone.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "console/pty_session.h"

namespace corvalen {
namespace {

using pty::PtySession;
using std::chrono::milliseconds;

constexpr milliseconds kStartLimit{5000};
constexpr milliseconds kEndLimit{5000};
// How long a wait must last without a key to count as waiting.
constexpr milliseconds kPatience{300};

void expectSettingsRestored(const PtySession& session) {
    const std::optional<termios> after = session.settings();
    ASSERT_TRUE(after.has_value()) << "terminal settings unreadable";
    EXPECT_TRUE(pty::sameSettings(session.initialSettings(), *after))
        << "terminal left changed: c_lflag " << std::hex << session.initialSettings().c_lflag
        << " -> " << after->c_lflag << ", c_iflag " << session.initialSettings().c_iflag << " -> "
        << after->c_iflag;
}

// Starts the driver and returns once it is waiting in raw mode.
void startWaitingDriver(PtySession& session) {
    ASSERT_TRUE(session.start({KEY_WAIT_DRIVER})) << "could not start " << KEY_WAIT_DRIVER;
    ASSERT_TRUE(session.waitForOutput("ready", kStartLimit)) << pty::visible(session.output());
    ASSERT_TRUE(session.waitForRawMode(kStartLimit)) << "the wait never switched to raw mode";
}

TEST(KeyWaitDriver, WaitsForAKeyWithoutEchoingIt) {
    PtySession session;
    ASSERT_NO_FATAL_FAILURE(startWaitingDriver(session));

    EXPECT_FALSE(session.waitForExit(kPatience)) << "the wait ended without a key";
    ASSERT_TRUE(session.type("x"));
    const std::optional<int> status = session.waitForExit(kEndLimit);
    ASSERT_TRUE(status) << "a key did not end the wait";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << pty::describeStatus(*status);
    EXPECT_EQ(session.output(), "ready\r\nkey 120\r\n") << "the key was echoed or misreported";
    expectSettingsRestored(session);
}

// Standard input is the dialogue's, not the wait's: even when it is not the
// terminal at all, the wait reads the keyboard.
TEST(KeyWaitDriver, ReadsTheTerminalNotStandardInput) {
    PtySession session;
    ASSERT_TRUE(session.start({KEY_WAIT_DRIVER}, "/dev/null"));
    ASSERT_TRUE(session.waitForOutput("ready", kStartLimit)) << pty::visible(session.output());
    ASSERT_TRUE(session.waitForRawMode(kStartLimit)) << pty::visible(session.output());

    EXPECT_FALSE(session.waitForExit(kPatience)) << pty::visible(session.output());
    ASSERT_TRUE(session.type("t"));
    const std::optional<int> status = session.waitForExit(kEndLimit);
    ASSERT_TRUE(status) << "a key did not end the wait";
    EXPECT_NE(session.output().find("key 116\r\n"), std::string::npos) << pty::visible(session.output());
}

struct KeyCase {
    const char* name;
    std::string bytes;
    int code;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const KeyCase& key, std::ostream* out) { *out << key.name; }

class KeyWaitKeys : public testing::TestWithParam<KeyCase> {};

// Each key must end the wait by itself, be reported by its first byte, and
// leave nothing of its byte sequence behind on the terminal.
TEST_P(KeyWaitKeys, OneKeyEndsTheWaitAndIsConsumedWhole) {
    const KeyCase& key = GetParam();
    PtySession session;
    ASSERT_NO_FATAL_FAILURE(startWaitingDriver(session));

    ASSERT_TRUE(session.type(key.bytes));
    const std::optional<int> status = session.waitForExit(kEndLimit);
    ASSERT_TRUE(status) << "the key did not end the wait";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << pty::describeStatus(*status);
    EXPECT_NE(session.output().find("key " + std::to_string(key.code) + "\r\n"), std::string::npos)
        << pty::visible(session.output());
    expectSettingsRestored(session);
    EXPECT_EQ(pty::visible(session.unreadInput()), "") << "left for the shell to read";
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyWaitKeys,
    testing::Values(KeyCase{"Letter", "x", 'x'},
                    // Enter sends CR; it must neither be turned into NL nor wait for a line.
                    KeyCase{"Enter", "\r", 13},
                    KeyCase{"LoneEscape", "\x1b", 27},
                    // Control keys that the terminal would otherwise turn into
                    // signals or flow control.
                    KeyCase{"CtrlC", "\x03", 3},
                    KeyCase{"CtrlBackslash", "\x1c", 28},
                    KeyCase{"CtrlS", "\x13", 19},
                    KeyCase{"ArrowUp", "\x1b[A", 27},
                    KeyCase{"CtrlArrowUp", "\x1b[1;5A", 27},
                    KeyCase{"F1", "\x1bOP", 27},
                    KeyCase{"F5", "\x1b[15~", 27},
                    KeyCase{"LinuxConsoleF1", "\x1b[[A", 27},
                    KeyCase{"PageUp", "\x1b[5~", 27},
                    KeyCase{"AltX", "\x1bx", 27},
                    KeyCase{"AltArrowUp", "\x1b\x1b[A", 27},
                    KeyCase{"EAcute", "\xc3\xa9", 0xC3},
                    KeyCase{"Euro", "\xe2\x82\xac", 0xE2}),
    [](const testing::TestParamInfo<KeyCase>& key) { return std::string(key.param.name); });

// A key typed while the program was still busy is already queued on the
// terminal when the wait starts, and must end it at once.
TEST(KeyWaitDriver, KeyTypedBeforeTheWaitEndsItAtOnce) {
    PtySession session;
    ASSERT_TRUE(session.open());
    ASSERT_TRUE(session.type("k"));
    ASSERT_TRUE(session.start({KEY_WAIT_DRIVER})) << "could not start " << KEY_WAIT_DRIVER;

    const std::optional<int> status = session.waitForExit(kEndLimit);
    ASSERT_TRUE(status) << "a key typed ahead was discarded or ignored";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << pty::describeStatus(*status);
    EXPECT_NE(session.output().find("key 107\r\n"), std::string::npos) << pty::visible(session.output());
    expectSettingsRestored(session);
}

class KeyWaitSignals : public testing::TestWithParam<int> {};

// A signal during the wait ends the program just as it would have ended
// without the wait, and the terminal is usable again afterwards.
TEST_P(KeyWaitSignals, SignalEndsTheProgramAndRestoresTheTerminal) {
    const int signalNumber = GetParam();
    PtySession session;
    ASSERT_NO_FATAL_FAILURE(startWaitingDriver(session));

    ASSERT_EQ(kill(session.pid(), signalNumber), 0);
    const std::optional<int> status = session.waitForExit(kEndLimit);
    ASSERT_TRUE(status) << "the signal did not end the wait";
    EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == signalNumber)
        << pty::describeStatus(*status);
    expectSettingsRestored(session);
}

INSTANTIATE_TEST_SUITE_P(EndingSignals, KeyWaitSignals,
                         testing::Values(SIGTERM, SIGINT, SIGHUP, SIGQUIT),
                         [](const testing::TestParamInfo<int>& signal) {
                             return std::string(sigabbrev_np(signal.param));
                         });

// Under a service or CI there is no terminal: the wait must not block.
TEST(KeyWaitDriver, WithoutATerminalReturnsAtOnce) {
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const auto started = pty::Clock::now();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setsid();
        const int nothing = open("/dev/null", O_RDONLY);
        dup2(nothing, STDIN_FILENO);
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        pty::resetChildSignals();
        execl(KEY_WAIT_DRIVER, KEY_WAIT_DRIVER, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);

    std::string printed;
    const auto deadline = started + kEndLimit;
    pollfd ready{pipeEnds[0], POLLIN, 0};
    while (pty::Clock::now() < deadline && poll(&ready, 1, 50) >= 0) {
        if (ready.revents == 0) continue;
        char chunk[256];
        const ssize_t got = read(pipeEnds[0], chunk, sizeof chunk);
        if (got <= 0) break;
        printed.append(chunk, static_cast<std::size_t>(got));
    }
    close(pipeEnds[0]);
    int status = 0;
    pid_t reaped = 0;
    while ((reaped = waitpid(child, &status, WNOHANG)) == 0 && pty::Clock::now() < deadline) {
        poll(nullptr, 0, 5);
    }
    if (reaped != child) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the wait blocked without a terminal; printed: " << pty::visible(printed);
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << pty::describeStatus(status);
    EXPECT_EQ(printed, "ready\nkey -1\n");
}

// The whole program, answered as a person would type the answers.
class CorvalenAtConsole : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/corvalen-keywait-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        input_ = dir_ / "spectrum.txt";
        output_ = dir_ / "bands.txt";
        std::ofstream(input_) << "100 1\n200 2\n";
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    // Answers: input file, 0 header lines, RMS amplitudes, 100 Hz bands, output file.
    std::string answers(const std::string& lastLine) const {
        return input_.string() + "\n0\n2\n100\n" + lastLine;
    }

    // Starts the program, types the answers and waits until the calculation
    // is reported complete and the key wait has begun.
    void startAndAnswer(PtySession& session, const std::string& typed) {
        ASSERT_TRUE(session.start({CORVALEN_BINARY})) << "could not start " << CORVALEN_BINARY;
        ASSERT_TRUE(session.type(typed));
        ASSERT_TRUE(session.waitForOutput("Press any key to exit.", milliseconds(10000)))
            << pty::visible(session.output());
    }

    void expectEndsWithStatusZero(PtySession& session) {
        const std::optional<int> status = session.waitForExit(kEndLimit);
        ASSERT_TRUE(status) << "the key wait did not end";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << pty::describeStatus(*status);
        expectSettingsRestored(session);
    }

    std::filesystem::path dir_;
    std::filesystem::path input_;
    std::filesystem::path output_;
};

TEST_F(CorvalenAtConsole, WaitsAfterTheCalculationUntilAKey) {
    PtySession session;
    ASSERT_NO_FATAL_FAILURE(startAndAnswer(session, answers(output_.string() + "\n")));
    ASSERT_TRUE(session.waitForRawMode(kStartLimit));

    EXPECT_FALSE(session.waitForExit(kPatience)) << "the program ended without a key";
    ASSERT_TRUE(session.type("x"));
    ASSERT_NO_FATAL_FAILURE(expectEndsWithStatusZero(session));
    EXPECT_EQ(pty::visible(session.unreadInput()), "");
}

TEST_F(CorvalenAtConsole, RestOfTheLastAnswerLineIsNotAKey) {
    PtySession session;
    ASSERT_NO_FATAL_FAILURE(startAndAnswer(session, answers(output_.string() + " extra words\n")));
    ASSERT_TRUE(session.waitForRawMode(kStartLimit));

    EXPECT_FALSE(session.waitForExit(kPatience)) << "the rest of the answer line ended the wait";
    ASSERT_TRUE(session.type("\r"));
    ASSERT_NO_FATAL_FAILURE(expectEndsWithStatusZero(session));
}

TEST_F(CorvalenAtConsole, KeyTypedRightAfterTheLastAnswerEndsTheWait) {
    PtySession session;
    ASSERT_NO_FATAL_FAILURE(startAndAnswer(session, answers(output_.string() + "\nx")));
    ASSERT_NO_FATAL_FAILURE(expectEndsWithStatusZero(session));
    EXPECT_EQ(pty::visible(session.unreadInput()), "");
}

TEST_F(CorvalenAtConsole, TerminationDuringTheWaitRestoresTheTerminal) {
    PtySession session;
    ASSERT_NO_FATAL_FAILURE(startAndAnswer(session, answers(output_.string() + "\n")));
    ASSERT_TRUE(session.waitForRawMode(kStartLimit));

    ASSERT_EQ(kill(session.pid(), SIGTERM), 0);
    const std::optional<int> status = session.waitForExit(kEndLimit);
    ASSERT_TRUE(status) << "SIGTERM did not end the program";
    EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGTERM) << pty::describeStatus(*status);
    expectSettingsRestored(session);
}

}  // namespace
}  // namespace corvalen
