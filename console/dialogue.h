// The dialogue: banner, the five questions, and the opening of both files.
//
// Answers are read from standard input with scanf-like rules: each question
// takes the longest fitting beginning of what is left, so one line may hold
// several answers and a failed answer leaves its text for the next question,
// while the setting keeps its start value. The dialogue is the only stage
// that can end the run: when a file cannot be opened, or when the output
// name names the input file, which opening it for writing would destroy.
#pragma once

#include <string>

#include "console/settings.h"
#include "numtext/byte_sink.h"
#include "numtext/byte_source.h"

namespace corvalen {

struct DialogueResult {
    bool filesOpen;  // false: the message is printed and the run ends with status 1
    RunSettings settings;
};

// Every file operation of the dialogue, so that a test can answer the
// questions with any names without any real file being created or emptied.
struct FileAccess {
    int (*openInput)(const std::string& name);            // open for reading, or -1
    bool (*isSameFile)(const std::string& name, int fd);  // the name names the open file
    int (*openOutput)(const std::string& name);           // created or truncated, or -1
    void (*closeFile)(int fd);
};

// The real file system.
extern const FileAccess kSystemFiles;

DialogueResult askSettings(ByteSource& answers, ByteSink& console,
                           const FileAccess& files = kSystemFiles);

}  // namespace corvalen
