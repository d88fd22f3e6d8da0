// Runs the committed example the way its README does and checks the result against what the example is known to hold.
//
// The example's spectrum is generated with tones of known RMS amplitude on a
// low noise floor, and the generator writes those facts to tones.txt. So the
// output is checked twice: byte for byte against the committed expected
// output (which catches any change at all), and band by band against the
// tones (which says whether the committed output is right in the first place).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_program.h"

namespace corvalen::testing {
namespace {

const std::string kExamples = CORVALEN_EXAMPLES_DIR;

std::string readExampleFile(const std::string& name) {
    std::ifstream in(kExamples + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

struct Answers {
    std::string text;  // fed to the program as it stands
    std::string inputName;
    long headerLines = 0;
    double resolution = 0.0;
    std::string outputName;
};

Answers readAnswers() {
    Answers answers;
    answers.text = readExampleFile("answers.txt");
    int format = 0;
    std::istringstream(answers.text) >> answers.inputName >> answers.headerLines >> format >>
        answers.resolution >> answers.outputName;
    return answers;
}

struct Tone {
    double frequency = 0.0;
    double rms = 0.0;
    std::string source;
};

struct KnownContent {
    double lineWidth = 0.0;
    double noiseMax = 0.0;  // no line's noise is above this, EU RMS
    std::vector<Tone> tones;
};

KnownContent readKnownContent() {
    KnownContent known;
    std::istringstream table(readExampleFile("tones.txt"));
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "line_width") {
            words >> known.lineWidth;
        } else if (key == "noise_max") {
            words >> known.noiseMax;
        } else if (key == "tone") {
            Tone tone;
            words >> tone.frequency >> tone.rms >> std::ws;
            std::getline(words, tone.source);
            known.tones.push_back(tone);
        }
    }
    return known;
}

// Band index (centre / resolution) to amplitude, from the records of an output file.
std::map<long, double> parseRecords(const std::string& output, double resolution) {
    std::map<long, double> bands;
    std::istringstream records(output);
    double centre = 0.0, amplitude = 0.0;
    while (records >> centre >> amplitude) bands[std::lround(centre / resolution)] = amplitude;
    return bands;
}

struct ExampleRun {
    ProgramRun run;
    std::string output;
};

ExampleRun runExample(const Answers& answers) {
    TempDir dir;
    dir.write(answers.inputName, readExampleFile(answers.inputName));
    ExampleRun example;
    example.run = runProgram(dir.path(), answers.text);
    example.output = dir.read(answers.outputName);
    return example;
}

TEST(Example, RunsAsTheReadmeShowsAndWritesTheCommittedOutput) {
    const Answers answers = readAnswers();
    ASSERT_EQ(answers.outputName, "machine_spectrum_10hz.txt") << "answers.txt could not be read";
    const std::string expected = readExampleFile("expected_machine_spectrum_10hz.txt");
    ASSERT_FALSE(expected.empty());

    const ExampleRun example = runExample(answers);
    EXPECT_EQ(example.output, expected);

    const std::string spectrum = readExampleFile(answers.inputName);
    const long dataLines =
        static_cast<long>(std::count(spectrum.begin(), spectrum.end(), '\n')) - answers.headerLines;
    const long lastBand = 1201;  // the first 10 Hz centre above 12,000 Hz
    EXPECT_EQ(example.run.console, openedDialogue(answers.inputName, answers.outputName) +
                                       progressMarkers(dataLines, lastBand) + expected +
                                       closingText());
    EXPECT_TRUE(example.run.exited);
    EXPECT_EQ(example.run.exitStatus, 0);
}

// Noise and tones were added in energy, so a tone's band holds the tone's
// energy plus the noise of its lines, at most linesPerBand * noiseMax^2, and
// a band without a tone holds at most that much noise. The printed amplitude
// has five significant digits (half a unit in the last is at most 5e-5 of the
// value) and the input six, hence the relative margin of 1e-4. A tone that lost
// a side line to a neighbour band would come out at 0.91 of its amplitude,
// and a peak value left unconverted at 1.41 times it.
TEST(Example, EveryToneComesOutInItsOwnBandAtItsKnownAmplitude) {
    const Answers answers = readAnswers();
    const KnownContent known = readKnownContent();
    ASSERT_FALSE(known.tones.empty()) << "tones.txt could not be read";
    ASSERT_GT(known.noiseMax, 0.0);
    ASSERT_GT(known.lineWidth, 0.0);

    const ExampleRun example = runExample(answers);
    const std::map<long, double> bands = parseRecords(example.output, answers.resolution);
    ASSERT_EQ(bands.size(), 1000u);  // 10 Hz to 10,000 Hz: every band holds noise

    const double linesPerBand = answers.resolution / known.lineWidth;
    const double noiseEnergy = linesPerBand * known.noiseMax * known.noiseMax;
    const double margin = 1e-4;
    std::map<long, const Tone*> toneBands;
    for (const Tone& tone : known.tones) {
        toneBands[std::lround(tone.frequency / answers.resolution)] = &tone;
    }
    ASSERT_EQ(toneBands.size(), known.tones.size()) << "two tones share a band";

    for (const auto& [band, amplitude] : bands) {
        const auto tone = toneBands.find(band);
        if (tone == toneBands.end()) {
            EXPECT_LE(amplitude, std::sqrt(noiseEnergy) * (1.0 + margin))
                << static_cast<double>(band) * answers.resolution << " Hz holds only noise";
            continue;
        }
        const double rms = tone->second->rms;
        EXPECT_GE(amplitude, rms * (1.0 - margin)) << tone->second->source;
        EXPECT_LE(amplitude, std::sqrt(rms * rms + noiseEnergy) * (1.0 + margin))
            << tone->second->source;
    }
    for (const auto& [band, tone] : toneBands) {
        EXPECT_TRUE(bands.count(band)) << tone->source << " has no band";
    }
}

}  // namespace
}  // namespace corvalen::testing
