// Drives the stages of one run and prints the texts between them.
#include "console/run_sequence.h"

#include <sys/mman.h>
#include <unistd.h>

#include "console/console_text.h"
#include "console/dialogue.h"
#include "rebin/band_grid.h"
#include "rebin/band_report.h"
#include "rebin/spectrum_reader.h"

namespace corvalen {
namespace {

// The tables and buffers exist for the whole run and are never resized; as
// statics they cost nothing until touched, and nothing is allocated later.
// A full run touches all ten megabytes of tables, and on a virtual machine
// faulting them in 4 KiB at a time costs about as long as the whole
// conversion; aligned to 2 MiB and advised, they come in five huge pages.
constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;
struct alignas(kHugePageBytes) RunTables {
    InputSpectrum spectrum;
    BandTable bands;
};
RunTables gTables;
constexpr std::size_t kBufferBytes = 1 << 18;
char gAnswerBuffer[1 << 16];
char gInputBuffer[kBufferBytes];
char gConsoleBuffer[kBufferBytes];
char gOutputBuffer[kBufferBytes];

void warnAboutReading(const ReadOutcome& outcome, ByteSink& console) {
    if (outcome.fallingLine != 0) {
        say(console, "\n Warning: frequencies fall at line ");
        sayNumber(console, outcome.fallingLine);
        say(console, "; some bands may be left out. ");
    }
    switch (outcome.end) {
        case ReadEnd::NotANumber:
            say(console, "\n Warning: line ");
            sayNumber(console, outcome.textLine);
            say(console, " holds text that is not a number; the rest of the file is not read. ");
            break;
        case ReadEnd::TooManyPoints:
            say(console, "\n Warning: more than 199999 points; the rest of the file is not read. ");
            break;
        case ReadEnd::EndOfFile:
        case ReadEnd::EndMark: break;
    }
}

}  // namespace

int runCorvalen(KeyWait waitKey) {
    // Only advice: where the system declines, the tables work the same.
    ::madvise(&gTables, sizeof gTables, MADV_HUGEPAGE);
    ByteSink console(STDOUT_FILENO, gConsoleBuffer, sizeof gConsoleBuffer);
    ByteSource answers(STDIN_FILENO, gAnswerBuffer, sizeof gAnswerBuffer);

    const DialogueResult dialogue = askSettings(answers, console);
    if (!dialogue.filesOpen) return 1;
    const RunSettings& settings = dialogue.settings;
    ByteSource input(settings.inputFd, gInputBuffer, sizeof gInputBuffer);
    ByteSink output(settings.outputFd, gOutputBuffer, sizeof gOutputBuffer);

    say(console, "\n Reference 0 ");
    console.flush();
    skipHeaderLines(input, settings.headerLines);
    say(console, "\n Reference 1 ");
    console.flush();
    const ReadOutcome outcome = readSpectrum(input, settings.amplitudeFormat, gTables.spectrum);
    warnAboutReading(outcome, console);
    say(console, "\n Reference 2 ");
    say(console, "\n Reference 3 ");
    console.flush();
    buildBandGrid(settings.resolution, gTables.bands);
    say(console, "\n Reference 4 ");
    say(console, "\n Reference 5 ");
    say(console, " j=");
    sayNumber(console, gTables.spectrum.count);
    say(console, "  imax=");
    sayNumber(console, gTables.bands.lastBand);
    say(console, "\n");
    console.flush();
    sumBandEnergy(gTables.spectrum, gTables.bands);
    say(console, "\n Reference 6 ");
    console.flush();
    writeBandReport(gTables.spectrum, gTables.bands, output, console);

    ::close(settings.inputFd);
    const bool written = output.close();
    if (!written) {
        sayWithName(console, "\n\n Failed to write file: ", settings.outputName, " \n");
        console.flush();
        return 1;
    }
    say(console, "\n\n Note that output file format is: \n\n  freq (Hz)  amplitude (EU RMS) \n");
    say(console, "\n\n Calculation complete. \n Press any key to exit.");
    console.flush();
    waitKey();
    return 0;
}

}  // namespace corvalen
