// An anonymous in-memory file for the fuzz targets: a real descriptor for the byte source and sink, but no name anywhere.
//
// The product reads and writes through descriptors; the fuzz targets feed it
// and collect what it wrote through one of these, emptied before each input,
// so that nothing on the file system is touched and no pipe can fill up.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace corvalen::fuzz {

class MemoryFile {
public:
    MemoryFile() : fd_(::memfd_create("corvalen-fuzz", MFD_CLOEXEC)) {
        if (fd_ < 0) {
            std::perror("memfd_create");
            std::abort();
        }
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    int fd() const { return fd_; }

    // Empties the file and sets the offset to its start.
    void reset() {
        if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0) std::abort();
    }

    // Replaces the content by `bytes`, offset at the start, ready to be read.
    void fill(std::string_view bytes) {
        reset();
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t put = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (put <= 0) std::abort();
            done += static_cast<std::size_t>(put);
        }
        if (::lseek(fd_, 0, SEEK_SET) != 0) std::abort();
    }

    // Everything written so far, whatever the offset.
    std::string contents() const {
        std::string bytes;
        char chunk[1 << 14];
        for (off_t at = 0;;) {
            const ssize_t got = ::pread(fd_, chunk, sizeof chunk, at);
            if (got < 0) std::abort();
            if (got == 0) return bytes;
            bytes.append(chunk, static_cast<std::size_t>(got));
            at += got;
        }
    }

private:
    int fd_;
};

// Ends the run with the reason on standard error, so that libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "\nFUZZ CHECK FAILED: %s\n%s\n", what, detail.c_str());
    std::abort();
}

}  // namespace corvalen::fuzz
