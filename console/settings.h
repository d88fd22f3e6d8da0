// The answers of the dialogue and the two open files: what the run needs from the user.
//
// The dialogue fills one RunSettings; every later stage only reads it. The
// start values are what a question keeps when its answer cannot be read.
#pragma once

#include <cstdint>
#include <string>

namespace corvalen {

enum class AmplitudeFormat : std::int32_t {
    Peak = 1,
    Rms = 2,
};

struct RunSettings {
    std::string inputName;
    std::string outputName;
    std::int32_t headerLines = 0;
    AmplitudeFormat amplitudeFormat = AmplitudeFormat::Rms;
    double resolution = 0.0;
    int inputFd = -1;   // open for reading
    int outputFd = -1;  // open for writing, created or truncated
};

}  // namespace corvalen
