// Fuzzes the number, integer and word scanners on arbitrary bytes against the plain references of tests/support.
//
// The bytes are scanned token after token, the way the reader and the
// dialogue scan them, and every step must agree with the reference on the
// reason, on exactly how far the scan went (failures included), on the line
// count, and for numbers on the double, bit for bit: signed zeros,
// subnormals and infinities too. After a failed scan the failing character
// is stepped over, so one input exercises every position. Each pass runs
// twice: over the bytes in memory and through a descriptor read with a tiny
// buffer, so that tokens are split across refills everywhere.
// Built with clang's libFuzzer: cmake -DCORVALEN_FUZZ=ON with clang++.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz/memory_file.h"
#include "numtext/byte_source.h"
#include "numtext/number_scan.h"
#include "support/reference_scan.h"

namespace {

using namespace corvalen;
using fuzz::fail;

// Counts what the scanner consumes, which ByteSource does not tell.
template <class Inner>
class Counting {
public:
    explicit Counting(Inner& in) : in_(in) {}
    int peek() { return in_.peek(); }
    void advance() {
        in_.advance();
        ++taken_;
    }
    void countLineFeed() { in_.countLineFeed(); }
    std::size_t taken() const { return taken_; }
    long line() const { return in_.line(); }

private:
    Inner& in_;
    std::size_t taken_ = 0;
};

std::string describe(std::string_view text, std::size_t at, std::size_t expectedEnd, std::size_t gotEnd) {
    char head[160];
    std::snprintf(head, sizeof head, "at %zu: expected end %zu, got %zu; text from there (escaped): ", at,
                  expectedEnd, gotEnd);
    std::string out = head;
    for (std::size_t i = at; i < text.size() && i < at + 400; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        }
    }
    return out;
}

// Tracks the line feeds in the text before `end`, to check the source's line count.
class LineCheck {
public:
    explicit LineCheck(std::string_view text) : text_(text) {}
    void expect(long line, std::size_t end) {
        for (; seen_ < end; ++seen_) {
            if (text_[seen_] == '\n') ++lineFeeds_;
        }
        if (line != lineFeeds_ + 1) fail("line count", describe(text_, end, end, end));
    }

private:
    std::string_view text_;
    std::size_t seen_ = 0;
    long lineFeeds_ = 0;
};

// Steps over the character a failed scan left, as a caller that goes on would.
template <class Source>
void stepOver(Counting<Source>& in, std::size_t& at) {
    const int c = in.peek();
    if (c < 0) return;
    if (c == '\n') in.countLineFeed();
    in.advance();
    ++at;
}

template <class Source>
void checkNumbers(Source& source, std::string_view text) {
    Counting<Source> in(source);
    LineCheck lines(text);
    ScannedNumber number;
    for (std::size_t at = 0;;) {
        const reference::Number expected = reference::scanNumber(text, at);
        scanNumber(in, number);
        if (number.reason != expected.reason || in.taken() != expected.end) {
            fail(number.reason != expected.reason ? "number: reason" : "number: extent",
                 describe(text, at, expected.end, in.taken()));
        }
        if (number.reason == ScanReason::Ok) {
            const double got = toDouble(number);
            if (std::memcmp(&got, &expected.value, sizeof got) != 0) {
                char values[96];
                std::snprintf(values, sizeof values, "expected %a, got %a; ", expected.value, got);
                fail("number: value", values + describe(text, expected.start, expected.end, in.taken()));
            }
        }
        lines.expect(in.line(), expected.end);
        at = expected.end;
        if (number.reason == ScanReason::EndOfInput) return;
        if (number.reason == ScanReason::NotANumber) stepOver(in, at);
    }
}

template <class Source>
void checkIntegers(Source& source, std::string_view text) {
    Counting<Source> in(source);
    LineCheck lines(text);
    for (std::size_t at = 0;;) {
        const reference::Integer expected = reference::scanInteger(text, at);
        const ScannedInteger got = scanInteger(in);
        if (got.reason != expected.reason || in.taken() != expected.end || got.value != expected.value) {
            char values[96];
            std::snprintf(values, sizeof values, "expected %" PRId32 ", got %" PRId32 "; ", expected.value,
                          got.value);
            fail("integer", values + describe(text, at, expected.end, in.taken()));
        }
        lines.expect(in.line(), expected.end);
        at = expected.end;
        if (got.reason == ScanReason::EndOfInput) return;
        if (got.reason == ScanReason::NotANumber) stepOver(in, at);
    }
}

template <class Source>
void checkWords(Source& source, std::string_view text) {
    Counting<Source> in(source);
    LineCheck lines(text);
    std::string word = "start";
    for (std::size_t at = 0;;) {
        const reference::Word expected = reference::scanWord(text, at);
        const std::string before = word;
        const ScanReason reason = scanWord(in, word);
        const std::string& expectedWord = expected.reason == ScanReason::Ok ? expected.word : before;
        if (reason != expected.reason || in.taken() != expected.end || word != expectedWord) {
            fail("word", describe(text, at, expected.end, in.taken()));
        }
        lines.expect(in.line(), expected.end);
        at = expected.end;
        if (reason == ScanReason::EndOfInput) return;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    ByteSource numbers = ByteSource::fromMemory(text.data(), text.size());
    checkNumbers(numbers, text);
    ByteSource integers = ByteSource::fromMemory(text.data(), text.size());
    checkIntegers(integers, text);
    ByteSource words = ByteSource::fromMemory(text.data(), text.size());
    checkWords(words, text);

    // The same through a descriptor, refilled every few bytes.
    static fuzz::MemoryFile file;
    char storage[16];
    const std::size_t capacity = 1 + size % sizeof storage;
    file.fill(text);
    ByteSource numbersFromFile(file.fd(), storage, capacity);
    checkNumbers(numbersFromFile, text);
    file.fill(text);
    ByteSource integersFromFile(file.fd(), storage, capacity);
    checkIntegers(integersFromFile, text);
    return 0;
}
