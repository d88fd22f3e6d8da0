// Asks the five questions and opens the input and output files.
#include "console/dialogue.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "console/console_text.h"
#include "numtext/number_scan.h"

namespace corvalen {
namespace {

// A folder opens for reading on this system but cannot be read as a spectrum,
// so it fails like a missing file.
int openInput(const std::string& name) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Checked before the output is opened, since opening truncates: any name of
// the same file (relative path, symbolic or hard link) is the same device and
// inode.
bool namesOpenFile(const std::string& name, int fd) {
    struct stat named {}, open {};
    if (::stat(name.c_str(), &named) != 0 || ::fstat(fd, &open) != 0) return false;
    return named.st_dev == open.st_dev && named.st_ino == open.st_ino;
}

int openOutput(const std::string& name) {
    return ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

void closeFile(int fd) { ::close(fd); }

}  // namespace

const FileAccess kSystemFiles{openInput, namesOpenFile, openOutput, closeFile};

DialogueResult askSettings(ByteSource& answers, ByteSink& console, const FileAccess& files) {
    DialogueResult result{false, {}};
    RunSettings& settings = result.settings;

    say(console, "\n  Corvalen - version 1.1, September 14, 2003 ");
    say(console, "\n This program converts a Fourier transform magnitude with constant bandwidth");
    say(console, "\n to a wider resolution.\n");
    say(console, "\n The input file must be frequency(Hz) and magnitude ");
    say(console, "\n The format is free. \n");

    say(console, "\n Please enter the input filename. \n");
    console.flush();
    scanWord(answers, settings.inputName);
    settings.inputFd = files.openInput(settings.inputName);
    if (settings.inputFd < 0) {
        sayWithName(console, " Failed to open file: ", settings.inputName, " \n");
        console.flush();
        return result;
    }
    sayWithName(console, "\n\n File: ", settings.inputName, " opened. \n");

    say(console, "\n\n Enter the number of input file header lines to skip. \n");
    console.flush();
    const ScannedInteger headerLines = scanInteger(answers);
    if (headerLines.reason == ScanReason::Ok) settings.headerLines = headerLines.value;

    say(console, "\n\n Enter input amplitude format:  1=peak  2= RMS \n");
    console.flush();
    const ScannedInteger format = scanInteger(answers);
    settings.amplitudeFormat = format.reason == ScanReason::Ok && format.value == 1
                                   ? AmplitudeFormat::Peak
                                   : AmplitudeFormat::Rms;

    say(console, "\n\n Enter output resolution (Hz) \n");
    console.flush();
    ScannedNumber resolution;
    scanNumber(answers, resolution);
    if (resolution.reason == ScanReason::Ok) settings.resolution = toDouble(resolution);

    say(console, "\n\n Enter output filename\n");
    console.flush();
    scanWord(answers, settings.outputName);
    sayWithName(console, "\n\n ", settings.outputName, " \n\n");

    if (files.isSameFile(settings.outputName, settings.inputFd)) {
        sayWithName(console, " Output file is the input file: ", settings.outputName, " \n");
        console.flush();
        files.closeFile(settings.inputFd);
        return result;
    }
    settings.outputFd = files.openOutput(settings.outputName);
    if (settings.outputFd < 0) {
        sayWithName(console, " Failed to open file: ", settings.outputName, " \n");
        console.flush();
        files.closeFile(settings.inputFd);
        return result;
    }
    sayWithName(console, " File: ", settings.outputName, " opened. \n");
    console.flush();
    result.filesOpen = true;
    return result;
}

}  // namespace corvalen
