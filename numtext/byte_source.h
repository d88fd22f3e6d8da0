// A buffered byte stream over a file descriptor, read by the scanners.
//
// Both standard input and the spectrum file are read through this one type:
// large reads into caller-owned storage (nothing is allocated), one byte of
// look-ahead, and a count of the line feeds consumed so far, so that a
// message can name the line of the file on which it stands. Read errors end
// the stream like the end of the file.
#pragma once

#include <cstddef>

namespace corvalen {

class ByteSource {
public:
    ByteSource(int fd, char* storage, std::size_t capacity)
        : fd_(fd), storage_(storage), capacity_(capacity) {}

    // A stream over bytes already in memory, for tests and fixed texts.
    static ByteSource fromMemory(const char* data, std::size_t size) {
        ByteSource source(-1, nullptr, 0);
        source.pos_ = data;
        source.end_ = data + size;
        source.ended_ = true;
        return source;
    }

    int peek() {
        if (pos_ == end_ && !refill()) [[unlikely]] return -1;
        return static_cast<unsigned char>(*pos_);
    }
    // Only after a peek() that returned a byte.
    void advance() { ++pos_; }
    // Line feeds can only be consumed as white space, so the white-space
    // skipper counts them and nothing else pays for it.
    void countLineFeed() { ++lineFeeds_; }

    // Consumes everything up to and including the next line feed, however far
    // away; returns false when the stream ended first.
    bool skipLine();

    // The line on which the next unread byte stands, counting from 1.
    long line() const { return lineFeeds_ + 1; }

private:
    bool refill();

    int fd_;
    char* storage_;
    std::size_t capacity_;
    const char* pos_ = nullptr;
    const char* end_ = nullptr;
    bool ended_ = false;
    long lineFeeds_ = 0;
};

}  // namespace corvalen
