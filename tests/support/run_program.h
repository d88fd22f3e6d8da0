// Runs the real corvalen binary as a user would without a terminal: answers on standard input, no controlling terminal.
#pragma once

#include <string>

#include "support/dialogue_texts.h"

namespace corvalen::testing {

struct ProgramRun {
    bool exited = false;  // false: killed by a signal or by the time limit
    int exitStatus = -1;
    std::string console;  // everything written to standard output
};

// Starts the program in `workDir` in a new session (so it has no controlling
// terminal), feeds `answers` to its standard input and closes it, and
// collects standard output until the program ends.
ProgramRun runProgram(const std::string& workDir, const std::string& answers);

// A temporary folder, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

private:
    std::string path_;
};

}  // namespace corvalen::testing
