// Refills and line skipping for the buffered byte stream.
#include "numtext/byte_source.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace corvalen {

bool ByteSource::refill() {
    if (ended_) return false;
    for (;;) {
        const ssize_t got = ::read(fd_, storage_, capacity_);
        if (got > 0) {
            pos_ = storage_;
            end_ = storage_ + got;
            return true;
        }
        if (got < 0 && errno == EINTR) continue;
        // End of file, or an error, which the reader treats the same way.
        ended_ = true;
        pos_ = end_ = storage_;
        return false;
    }
}

bool ByteSource::skipLine() {
    for (;;) {
        if (pos_ == end_ && !refill()) return false;
        const void* lineFeed = std::memchr(pos_, '\n', static_cast<std::size_t>(end_ - pos_));
        if (lineFeed != nullptr) {
            pos_ = static_cast<const char*>(lineFeed) + 1;
            ++lineFeeds_;
            return true;
        }
        pos_ = end_;
    }
}

}  // namespace corvalen
