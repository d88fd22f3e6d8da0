// Process, pipe and temporary-folder plumbing for the end-to-end tests.
#include "support/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace corvalen::testing {

ProgramRun runProgram(const std::string& workDir, const std::string& answers) {
    int toChild[2], fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        setsid();
        dup2(toChild[0], STDIN_FILENO);
        dup2(fromChild[1], STDOUT_FILENO);
        close(toChild[0]);
        close(toChild[1]);
        close(fromChild[0]);
        close(fromChild[1]);
        if (chdir(workDir.c_str()) != 0) _exit(127);
        execl(CORVALEN_BINARY, "corvalen", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    signal(SIGPIPE, SIG_IGN);
    fcntl(toChild[1], F_SETFL, O_NONBLOCK);

    ProgramRun run;
    std::size_t sent = 0;
    int input = toChild[1];
    if (answers.empty()) {
        close(input);
        input = -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    char chunk[65536];
    for (;;) {
        pollfd fds[2] = {{fromChild[0], POLLIN, 0}, {input, POLLOUT, 0}};
        const int waitMs = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                deadline - std::chrono::steady_clock::now())
                                                .count());
        if (waitMs <= 0) {
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, input >= 0 ? 2 : 1, waitMs) < 0) continue;
        if (input >= 0 && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t put = write(input, answers.data() + sent, answers.size() - sent);
            if (put > 0) sent += static_cast<std::size_t>(put);
            if (put < 0 || sent == answers.size()) {
                close(input);
                input = -1;
            }
        }
        if (fds[0].revents & (POLLIN | POLLHUP)) {
            const ssize_t got = read(fromChild[0], chunk, sizeof chunk);
            if (got <= 0) break;
            run.console.append(chunk, static_cast<std::size_t>(got));
        }
    }
    if (input >= 0) close(input);
    close(fromChild[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.exited = WIFEXITED(status);
    run.exitStatus = run.exited ? WEXITSTATUS(status) : -1;
    return run;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvalen-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void TempDir::write(const std::string& name, const std::string& bytes) const {
    std::ofstream(file(name), std::ios::binary) << bytes;
}

std::string TempDir::read(const std::string& name) const {
    std::ifstream in(file(name), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool TempDir::exists(const std::string& name) const {
    struct stat info {};
    return lstat(file(name).c_str(), &info) == 0;
}

}  // namespace corvalen::testing
