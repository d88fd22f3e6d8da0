// The dialogue's console texts as the user sees them, shared by the end-to-end tests and the dialogue fuzz target.
//
// Plain string building with no process or file plumbing, so that a target
// that links none of the end-to-end support can still compare whole texts.
#pragma once

#include <string>

namespace corvalen::testing {

// The dialogue's console text up to the input file name's question.
inline std::string dialogueBanner() {
    return "\n  Corvalen - version 1.1, September 14, 2003 "
           "\n This program converts a Fourier transform magnitude with constant bandwidth"
           "\n to a wider resolution.\n"
           "\n The input file must be frequency(Hz) and magnitude "
           "\n The format is free. \n"
           "\n Please enter the input filename. \n";
}

// The dialogue's console text up to the echo of the output name, before the
// output file is opened (or refused).
inline std::string dialogueBeforeOutputOpen(const std::string& inputName, const std::string& outputName) {
    return dialogueBanner() +
           "\n\n File: " + inputName + " opened. \n"
           "\n\n Enter the number of input file header lines to skip. \n"
           "\n\n Enter input amplitude format:  1=peak  2= RMS \n"
           "\n\n Enter output resolution (Hz) \n"
           "\n\n Enter output filename\n"
           "\n\n " + outputName + " \n\n";
}

// The console text of a dialogue that opened both files, as the program prints it.
inline std::string openedDialogue(const std::string& inputName, const std::string& outputName) {
    return dialogueBeforeOutputOpen(inputName, outputName) + " File: " + outputName + " opened. \n";
}

// The progress markers and the count line, up to and including marker 6.
inline std::string progressMarkers(long points, long lastBand) {
    return "\n Reference 0 \n Reference 1 \n Reference 2 \n Reference 3 \n Reference 4 "
           "\n Reference 5  j=" + std::to_string(points) + "  imax=" + std::to_string(lastBand) +
           "\n\n Reference 6 ";
}

// The note on the output format and the completion text that end every finished run.
inline std::string closingText() {
    return "\n\n Note that output file format is: \n\n  freq (Hz)  amplitude (EU RMS) \n"
           "\n\n Calculation complete. \n Press any key to exit.";
}

}  // namespace corvalen::testing
