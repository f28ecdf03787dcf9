#include "support/files/ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

// Why a failed system call stopped the replacing of `path`, naming the file.
std::string WriteFailure(const std::string& path, int error)
{
    if (error == ENOSPC || error == EDQUOT)
        return "the disk is full (" + std::string(std::strerror(error)) + "): " + path + " cannot be written";
    return "cannot write " + path + ": " + std::strerror(error);
}

// Writes all of `text` to `fd`; the errno that stopped it, or 0.
int WriteAll(int fd, const std::string& text)
{
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t wrote = write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return wrote < 0 ? errno : ENOSPC;
        done += static_cast<std::size_t>(wrote);
    }
    return 0;
}

} // namespace

std::string TemporaryFilePrefix(const std::string& name) { return "." + name + ".saving-"; }

mode_t DefaultFileMode()
{
    // /proc tells the umask without changing it; umask() reads it only by setting it, and a file another thread
    // makes in between would get mode 0666 (Mesa's threads, Qt's).
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("Umask:", 0) == 0)
            return 0666 & ~static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    const mode_t mask = umask(0); // a kernel older than 4.7, or no /proc: the only other way there is
    umask(mask);
    return 0666 & ~mask;
}

std::string ReplaceFile(const std::string& directory, const std::string& name, const std::string& text, mode_t mode)
{
    const std::string path = directory + "/" + name;
    std::string temporary = directory + "/" + TemporaryFilePrefix(name) + "XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return WriteFailure(path, errno);
    int error = WriteAll(fd, text);
    if (error == 0 && fchmod(fd, mode) != 0)
        error = errno;
    if (error == 0 && fsync(fd) != 0) // where a file system only finds out now that the disk is full
        error = errno;
    if (close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && rename(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        unlink(temporary.c_str());
        return WriteFailure(path, error);
    }
    // The rename itself reaches the disk with the folder.
    if (const int folder = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return {};
}
