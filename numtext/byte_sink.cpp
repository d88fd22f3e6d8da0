// Flushing and closing for the buffered byte sink.
#include "numtext/byte_sink.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace corvalen {

void ByteSink::writeAll(const char* data, std::size_t size) {
    while (size > 0 && !failed_) {
        const ssize_t put = ::write(fd_, data, size);
        if (put > 0) {
            data += put;
            size -= static_cast<std::size_t>(put);
        } else if (put < 0 && errno == EINTR) {
            continue;
        } else {
            failed_ = true;
        }
    }
}

void ByteSink::flush() {
    writeAll(storage_, used_);
    used_ = 0;
}

void ByteSink::writeSlow(std::string_view bytes) {
    flush();
    if (bytes.size() >= capacity_) {
        writeAll(bytes.data(), bytes.size());
        return;
    }
    std::memcpy(storage_, bytes.data(), bytes.size());
    used_ = bytes.size();
}

bool ByteSink::close() {
    flush();
    if (fd_ >= 0) {
        if (::close(fd_) != 0 && errno != EINTR) failed_ = true;
        fd_ = -1;
    }
    return !failed_;
}

}  // namespace corvalen
