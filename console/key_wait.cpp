// Waits for one key press on the controlling terminal in raw mode and puts the terminal back.
//
// Why it is shaped so:
// - The terminal is opened by name (/dev/tty) so that the wait reads keys, not
//   the rest of an answer line that the dialogue already pulled into its
//   standard-input buffer.
// - Raw mode is entered with TCSANOW: a key typed while the calculation ran is
//   still queued on the terminal and must end the wait at once, which a flush
//   would prevent.
// - One key may send several bytes (an arrow, a function key, Alt+key, a UTF-8
//   character). All of them are read, otherwise the tail (such as "[A") would
//   land in the shell after the program ends. A terminal writes a whole
//   sequence at once, so a short silence after Escape tells a lone Escape from
//   the start of a sequence.
// - The saved settings live in globals because the signal handler needs them.
//   The ending signals are blocked while raw mode is switched on and off, so a
//   signal can never see half of that state; the handler itself only calls
//   async-signal-safe functions and then lets the signal end the process as it
//   would have without us.
#include "console/key_wait.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace corvalen {
namespace {

// How long the next byte of a key's sequence may lag behind the one before.
// Long enough for a slow remote link, short enough that a lone Escape still
// feels immediate.
constexpr int kSequenceGapMs = 100;

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int kEndingSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];

constexpr int kEscape = 0x1B;

int gTerminal = -1;
termios gSaved{};
volatile sig_atomic_t gRawModeOn = 0;

// Safe to call any number of times, and from the signal handler.
void restoreTerminal() {
    if (gRawModeOn) {
        tcsetattr(gTerminal, TCSANOW, &gSaved);
        gRawModeOn = 0;
    }
}

void onEndingSignal(int signalNumber) {
    restoreTerminal();
    struct sigaction byDefault{};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    sigaction(signalNumber, &byDefault, nullptr);
    // The signal stays blocked while this handler runs; it is delivered again,
    // now with its default action, as soon as the handler returns.
    raise(signalNumber);
}

termios rawSettings(const termios& cooked) {
    termios raw = cooked;
    // No break-to-SIGINT, no CR/NL translation, no 8th-bit stripping, no
    // XON/XOFF: Ctrl+S, Ctrl+Q and Enter must arrive as the bytes typed.
    raw.c_iflag &= ~tcflag_t{BRKINT | ICRNL | INLCR | IGNCR | ISTRIP | IXON};
    // No echo, no line editing, and Ctrl+C, Ctrl+\ or Ctrl+Z are keys rather
    // than signals; IEXTEN off leaves no system-specific input handling that
    // could swallow a key such as Ctrl+V.
    raw.c_lflag &= ~tcflag_t{ECHO | ECHONL | ICANON | ISIG | IEXTEN};
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    // Output processing stays as it was, so text written before and after the
    // wait looks the same.
    return raw;
}

// One byte from the terminal, waiting at most timeoutMs, or forever when it
// is negative. Returns -1 on timeout, end of input (hang-up) or read error.
int readByte(int fd, int timeoutMs) {
    for (;;) {
        if (timeoutMs >= 0) {
            pollfd ready{fd, POLLIN, 0};
            const int polled = poll(&ready, 1, timeoutMs);
            if (polled < 0 && errno == EINTR) continue;
            if (polled <= 0) return -1;
        }
        unsigned char byte = 0;
        const ssize_t got = read(fd, &byte, 1);
        if (got == 1) return byte;
        if (got < 0 && errno == EINTR) continue;
        return -1;
    }
}

int continuationBytes(int lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 1;
    if (lead >= 0xE0 && lead <= 0xEF) return 2;
    if (lead >= 0xF0 && lead <= 0xF4) return 3;
    return 0;
}

void consumeCharacterTail(int fd, int lead) {
    for (int left = continuationBytes(lead); left > 0; --left) {
        const int byte = readByte(fd, kSequenceGapMs);
        if (byte < 0 || (byte & 0xC0) != 0x80) return;
    }
}

// Parameter and intermediate bytes up to and including the final byte, as
// in ESC [ 1 5 ~ or ESC O 2 P.
void consumeUpToFinal(int fd, int byte) {
    while (byte >= 0x20 && byte <= 0x3F) byte = readByte(fd, kSequenceGapMs);
}

// Whatever follows an Escape byte that belongs to the same key.
void consumeEscapeTail(int fd, bool afterDoubleEscape) {
    const int byte = readByte(fd, kSequenceGapMs);
    if (byte < 0) return;  // a lone Escape
    if (byte == '[') {
        const int next = readByte(fd, kSequenceGapMs);
        // The Linux console sends F1..F5 as ESC [ [ A..E.
        if (next == '[') {
            readByte(fd, kSequenceGapMs);
            return;
        }
        consumeUpToFinal(fd, next);
        return;
    }
    if (byte == 'O') {
        consumeUpToFinal(fd, readByte(fd, kSequenceGapMs));
        return;
    }
    // Alt+Escape, and Alt+arrow on some terminals, put one more Escape first.
    if (byte == kEscape && !afterDoubleEscape) {
        consumeEscapeTail(fd, true);
        return;
    }
    consumeCharacterTail(fd, byte);  // Alt+key
}

int readKey(int fd) {
    const int first = readByte(fd, -1);
    if (first == kEscape) {
        consumeEscapeTail(fd, false);
    } else if (first >= 0) {
        consumeCharacterTail(fd, first);
    }
    return first;
}

sigset_t endingSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int signalNumber : kEndingSignals) sigaddset(&set, signalNumber);
    return set;
}

}  // namespace

int waitForKey() {
    const int fd = open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    termios saved{};
    if (tcgetattr(fd, &saved) != 0) {
        close(fd);
        return -1;
    }

    const sigset_t ending = endingSignalSet();
    sigset_t callerMask;
    sigprocmask(SIG_BLOCK, &ending, &callerMask);

    gTerminal = fd;
    gSaved = saved;
    struct sigaction previous[kEndingSignalCount];
    struct sigaction ours{};
    ours.sa_handler = onEndingSignal;
    ours.sa_mask = ending;
    for (int i = 0; i < kEndingSignalCount; ++i) {
        sigaction(kEndingSignals[i], nullptr, &previous[i]);
        // An ignored signal would not have ended the program, so it must not
        // end the wait either.
        if (previous[i].sa_handler != SIG_IGN) sigaction(kEndingSignals[i], &ours, nullptr);
    }
    const termios raw = rawSettings(saved);
    gRawModeOn = 1;
    const bool rawModeSet = tcsetattr(fd, TCSANOW, &raw) == 0;
    sigprocmask(SIG_SETMASK, &callerMask, nullptr);

    const int key = rawModeSet ? readKey(fd) : -1;

    sigprocmask(SIG_BLOCK, &ending, nullptr);
    restoreTerminal();
    for (int i = 0; i < kEndingSignalCount; ++i) sigaction(kEndingSignals[i], &previous[i], nullptr);
    gTerminal = -1;
    sigprocmask(SIG_SETMASK, &callerMask, nullptr);
    close(fd);
    return key;
}

}  // namespace corvalen
