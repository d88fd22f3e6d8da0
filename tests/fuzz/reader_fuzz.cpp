// Fuzzes the whole conversion on arbitrary file bytes: reading, gridding, summing and formatting must never crash.
//
// The first 8 bytes choose the resolution (any double, NaN and infinities
// included) and a header count; the rest is the file. Built with clang's
// libFuzzer: cmake -DCORVALEN_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "numtext/byte_sink.h"
#include "numtext/byte_source.h"
#include "rebin/band_grid.h"
#include "rebin/band_report.h"
#include "rebin/spectrum_reader.h"

namespace {

corvalen::InputSpectrum gSpectrum;
corvalen::BandTable gBands;
char gFileBuffer[1 << 16];
char gConsoleBuffer[1 << 16];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvalen;
    if (size < 9) return 0;
    double resolution;
    std::memcpy(&resolution, data, sizeof resolution);
    const std::int32_t headerLines = data[8] % 4;
    const char* text = reinterpret_cast<const char*>(data + 9);

    gSpectrum.count = 0;
    ByteSource in = ByteSource::fromMemory(text, size - 9);
    skipHeaderLines(in, headerLines);
    readSpectrum(in, data[8] & 0x80 ? AmplitudeFormat::Peak : AmplitudeFormat::Rms, gSpectrum);
    buildBandGrid(resolution, gBands);
    sumBandEnergy(gSpectrum, gBands);

    static const int sinkFd = open("/dev/null", O_WRONLY);
    ByteSink file(sinkFd, gFileBuffer, sizeof gFileBuffer);
    ByteSink console(sinkFd, gConsoleBuffer, sizeof gConsoleBuffer);
    writeBandReport(gSpectrum, gBands, file, console);
    file.flush();
    console.flush();
    return 0;
}
