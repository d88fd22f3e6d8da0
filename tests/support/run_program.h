// Runs the real corvalen binary as a user would without a terminal: answers on standard input, no controlling terminal.
#pragma once

#include <string>

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

// The dialogue's console text up to the input file name's question.
std::string dialogueBanner();

// The dialogue's console text up to the echo of the output name, before the
// output file is opened (or refused).
std::string dialogueBeforeOutputOpen(const std::string& inputName, const std::string& outputName);

// The console text of a dialogue that opened both files, as the program prints it.
std::string openedDialogue(const std::string& inputName, const std::string& outputName);

// The progress markers and the count line, up to and including marker 6.
std::string progressMarkers(long points, long lastBand);

// The note on the output format and the completion text that end every finished run.
std::string closingText();

}  // namespace corvalen::testing
