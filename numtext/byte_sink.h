// A buffered byte sink over a file descriptor, for the console and the output file.
//
// The report writes up to 199,999 records to both; one large buffer per sink
// keeps that to a few system calls. A sink remembers its first failed write:
// the output file must never report success after losing data, while the
// console's failures are simply not acted on. After a failure it stops
// writing, so a full disk is not asked again for every record.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace corvalen {

class ByteSink {
public:
    ByteSink(int fd, char* storage, std::size_t capacity)
        : fd_(fd), storage_(storage), capacity_(capacity) {}

    void write(std::string_view bytes) {
        if (bytes.size() <= capacity_ - used_) {
            std::memcpy(storage_ + used_, bytes.data(), bytes.size());
            used_ += bytes.size();
            return;
        }
        writeSlow(bytes);
    }
    // Hands everything buffered to the operating system.
    void flush();
    // Flushes and closes the descriptor; false if anything was ever lost.
    bool close();

    bool failed() const { return failed_; }

private:
    void writeSlow(std::string_view bytes);
    void writeAll(const char* data, std::size_t size);

    int fd_;
    char* storage_;
    std::size_t capacity_;
    std::size_t used_ = 0;
    bool failed_ = false;
};

}  // namespace corvalen
