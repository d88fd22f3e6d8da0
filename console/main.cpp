// The corvalen program: converts a fine Fourier spectrum to a wider resolution.
//
// Arguments are ignored; everything is asked on the console.
#include <csignal>

#include "console/key_wait.h"
#include "console/run_sequence.h"

int main() {
    // A console that went away must not end the run before the output file is
    // complete; console write failures are simply not acted on.
    std::signal(SIGPIPE, SIG_IGN);
    return corvalen::runCorvalen(corvalen::waitForKey);
}
