// Runs a program on a fresh pseudo-terminal, as if a person sat at its console.
//
// The program gets the terminal as its controlling terminal and standard
// streams, with the kernel's default settings (canonical mode, echo, signals),
// like a login console. The test keeps its own handle on the terminal side as
// well, for two reasons: it can read the settings the program left behind, and
// bytes the program did not read stay queued there after the program ended,
// instead of being thrown away when the last handle closes.
//
// Every wait has a time limit, and the destructor kills a program that is
// still running, so that a broken program fails a test instead of hanging the
// run. Failures are returned as values for the test to assert on.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace corvalen::pty {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The terminal flags and control characters a program may change.
inline bool sameSettings(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_lflag == b.c_lflag &&
           a.c_cflag == b.c_cflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

// A wait status in words, for failure messages.
inline std::string describeStatus(int status) {
    if (WIFEXITED(status)) return "exited with status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return std::string("killed by ") + strsignal(WTERMSIG(status));
    return "wait status " + std::to_string(status);
}

// Bytes with control characters made visible, for failure messages.
inline std::string visible(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string shown;
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        if (c >= 0x20 && c < 0x7F) {
            shown += static_cast<char>(c);
        } else {
            shown += "\\x";
            shown += kHex[c >> 4];
            shown += kHex[c & 0xF];
        }
    }
    return shown;
}

// Puts a child's signal state back to what a program started from a shell
// has, whatever the test runner changed, and keeps SIGQUIT from writing core
// files. Only async-signal-safe calls: it runs between fork and exec.
inline void resetChildSignals() {
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGCHLD}) {
        signal(signalNumber, SIG_DFL);
    }
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
}

class PtySession {
public:
    PtySession() = default;
    PtySession(const PtySession&) = delete;
    PtySession& operator=(const PtySession&) = delete;

    ~PtySession() {
        if (pid_ > 0 && !exitStatus_) {
            kill(pid_, SIGKILL);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
        if (master_ >= 0) close(master_);
        if (slave_ >= 0) close(slave_);
    }

    // Makes the terminal. Keys typed after this and before start() are
    // queued for the program, as text typed ahead at a console is.
    bool open() {
        if (master_ >= 0) return true;
        winsize size{};
        size.ws_row = 24;
        size.ws_col = 80;
        if (openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) return false;
        fcntl(master_, F_SETFD, FD_CLOEXEC);
        fcntl(slave_, F_SETFD, FD_CLOEXEC);
        return tcgetattr(slave_, &initialSettings_) == 0;
    }

    // Starts args[0] with the given arguments on the terminal, with standard
    // input from stdinPath instead when one is given; false when the terminal
    // or the process could not be made.
    bool start(const std::vector<std::string>& args, const char* stdinPath = nullptr) {
        if (!open() || pid_ > 0) return false;

        std::vector<char*> argv;
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);

        pid_ = fork();
        if (pid_ < 0) return false;
        if (pid_ == 0) {
            // login_tty makes the terminal the controlling one of a new
            // session and the three standard streams.
            close(master_);
            if (login_tty(slave_) != 0) _exit(126);
            if (stdinPath != nullptr) {
                const int redirected = ::open(stdinPath, O_RDONLY);
                if (redirected < 0 || dup2(redirected, STDIN_FILENO) < 0) _exit(126);
                close(redirected);
            }
            resetChildSignals();
            execv(argv[0], argv.data());
            _exit(127);
        }
        started_ = Clock::now();
        return true;
    }

    pid_t pid() const { return pid_; }
    const termios& initialSettings() const { return initialSettings_; }
    const std::string& output() const { return output_; }

    std::optional<termios> settings() const {
        termios now{};
        if (tcgetattr(slave_, &now) != 0) return std::nullopt;
        return now;
    }

    // Types the bytes at the keyboard in one go, as a terminal sends one key.
    bool type(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t written = write(master_, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return false;
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return true;
    }

    // Reads what the program shows until `text` appears; false at the limit.
    bool waitForOutput(std::string_view text, milliseconds limit) {
        const auto deadline = Clock::now() + limit;
        while (output_.find(text) == std::string::npos) {
            if (Clock::now() >= deadline) return false;
            drainOutput(milliseconds(10));
        }
        return true;
    }

    // Waits until the program has switched the terminal out of canonical mode.
    bool waitForRawMode(milliseconds limit) {
        const auto deadline = Clock::now() + limit;
        for (;;) {
            const std::optional<termios> now = settings();
            if (now && (now->c_lflag & ICANON) == 0) return true;
            if (Clock::now() >= deadline) return false;
            drainOutput(milliseconds(5));
        }
    }

    // The program's wait status once it ended within the limit, else nothing.
    // Its output is read meanwhile, so it never blocks on a full terminal.
    std::optional<int> waitForExit(milliseconds limit) {
        const auto deadline = Clock::now() + limit;
        for (;;) {
            if (exitStatus_) return exitStatus_;
            int status = 0;
            const pid_t reaped = waitpid(pid_, &status, WNOHANG);
            if (reaped == pid_) {
                exitStatus_ = status;
                ended_ = Clock::now();
                drainOutput(milliseconds(0));
                return exitStatus_;
            }
            if (reaped < 0 && errno != EINTR) return std::nullopt;
            if (Clock::now() >= deadline) return std::nullopt;
            drainOutput(milliseconds(5));
        }
    }

    // How long the program ran, once it has ended.
    milliseconds runTime() const {
        return std::chrono::duration_cast<milliseconds>(ended_ - started_);
    }

    // Input that reached the terminal but that no program read. The terminal
    // is switched out of canonical mode first, so that a partial line counts
    // too; call it after the settings were checked.
    std::string unreadInput() {
        termios direct{};
        if (tcgetattr(slave_, &direct) != 0) return "<no terminal>";
        direct.c_lflag &= ~tcflag_t{ICANON | ECHO};
        direct.c_cc[VMIN] = 1;
        direct.c_cc[VTIME] = 0;
        if (tcsetattr(slave_, TCSANOW, &direct) != 0) return "<settings refused>";
        std::string unread;
        pollfd ready{slave_, POLLIN, 0};
        // A short grace lets bytes still on their way through the terminal land.
        while (poll(&ready, 1, 50) > 0 && (ready.revents & POLLIN)) {
            char chunk[256];
            const ssize_t got = read(slave_, chunk, sizeof chunk);
            if (got <= 0) break;
            unread.append(chunk, static_cast<std::size_t>(got));
        }
        return unread;
    }

private:
    // Waits up to `limit` for output, then takes all that is there.
    void drainOutput(milliseconds limit) {
        pollfd ready{master_, POLLIN, 0};
        int timeoutMs = static_cast<int>(limit.count());
        while (poll(&ready, 1, timeoutMs) > 0) {
            char chunk[4096];
            const ssize_t got = read(master_, chunk, sizeof chunk);
            if (got <= 0) {
                // Nothing readable despite the poll: do not spin on it.
                std::this_thread::sleep_for(limit);
                return;
            }
            output_.append(chunk, static_cast<std::size_t>(got));
            timeoutMs = 0;
        }
    }

    int master_ = -1;
    int slave_ = -1;
    pid_t pid_ = -1;
    termios initialSettings_{};
    std::optional<int> exitStatus_;
    std::string output_;
    Clock::time_point started_{};
    Clock::time_point ended_{};
};

}  // namespace corvalen::pty
