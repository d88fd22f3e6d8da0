// Checks that reading, gridding, summing and reporting allocate nothing: the tables are made once, before the run.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "numtext/byte_sink.h"
#include "numtext/byte_source.h"
#include "rebin/band_grid.h"
#include "rebin/band_report.h"
#include "rebin/spectrum_reader.h"

namespace {
std::atomic<long> gAllocations{0};
}  // namespace

// Every allocation of the test binary passes through here and is counted.
void* operator new(std::size_t size) {
    ++gAllocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace corvalen {
namespace {

TEST(NoAllocation, TheWholeConversionAllocatesNothing) {
    // Numbers of every kind: short, long enough for the slow conversion,
    // and amplitudes that take the formatter's slow path.
    std::string text = "header line\n";
    for (int i = 1; i <= 20000; ++i) {
        text += std::to_string(i * 0.25) + " " + std::to_string(i % 7) + "e-" +
                std::to_string(i % 300) + "\n";
    }
    text += "20000.5 1." + std::string(900, '3') + "\nEND\n";
    auto spectrum = std::make_unique<InputSpectrum>();
    auto bands = std::make_unique<BandTable>();
    const int sinkFd = memfd_create("report", 0);
    char fileBuffer[4096], consoleBuffer[4096];

    const long before = gAllocations.load();
    ByteSource in = ByteSource::fromMemory(text.data(), text.size());
    skipHeaderLines(in, 1);
    const ReadOutcome outcome = readSpectrum(in, AmplitudeFormat::Peak, *spectrum);
    buildBandGrid(0.5, *bands);
    sumBandEnergy(*spectrum, *bands);
    ByteSink file(sinkFd, fileBuffer, sizeof fileBuffer);
    ByteSink console(sinkFd, consoleBuffer, sizeof consoleBuffer);
    writeBandReport(*spectrum, *bands, file, console);
    file.flush();
    console.flush();
    const long after = gAllocations.load();

    EXPECT_EQ(after - before, 0);
    // The run really did the work it was meant to measure.
    EXPECT_EQ(spectrum->count, 20001);
    EXPECT_EQ(outcome.end, ReadEnd::NotANumber);
    EXPECT_GT(lseek(sinkFd, 0, SEEK_END), 0);
    close(sinkFd);
}

}  // namespace
}  // namespace corvalen
