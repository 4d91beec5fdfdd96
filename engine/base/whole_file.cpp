// Whole files through one descriptor: the size from fstat, then reads until that many bytes came.
#include "base/whole_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

// Every byte of the buffer from the descriptor; false on an error or an early end.
static bool readAll(int fd, std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += static_cast<size_t>(got);
    }
    return true;
}

std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path, size_t maxBytes)
{
    // Not blocking: a pipe left in the file's place is refused below instead of waited on.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    // A folder opens too, and its size means nothing: only a regular file is read.
    struct stat status {};
    std::optional<std::vector<uint8_t>> result;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        try {
            std::vector<uint8_t> bytes(std::min(static_cast<size_t>(status.st_size), maxBytes));
            if (readAll(fd, bytes)) result = std::move(bytes);
        } catch (const std::bad_alloc&) {
            // A size no memory holds: not one of our files.
        }
    }
    ::close(fd);
    return result;
}
