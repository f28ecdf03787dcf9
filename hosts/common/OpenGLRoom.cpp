#include "hosts/common/OpenGLRoom.h"

#include <sys/resource.h>

#include <cstddef>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <new>
#include <string>

namespace {

// The address space this process has mapped already, in bytes (VmSize); 0 when it cannot be read.
std::size_t AddressSpaceInUse()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmSize:", 0) == 0)
            return std::strtoull(line.c_str() + 7, nullptr, 10) << 10;
    return 0;
}

// Whether `bytes` of address space can be had now; otherwise false, with the line that says what is missing.
bool Room(std::size_t bytes, const std::string& what, const std::string& needs, std::string* error)
{
    const std::unique_ptr<char[]> probe(new (std::nothrow) char[bytes]); // never touched: it costs no memory
    if (probe != nullptr)
        return true;
    rlimit limit{};
    getrlimit(RLIMIT_AS, &limit);
    // What is needed on top of what the process has mapped already: the limit counts both.
    *error = "out of memory for " + what + ": " + needs + " need about " + std::to_string(bytes >> 20)
        + " MB of address space beside the " + std::to_string(AddressSpaceInUse() >> 20) + " MB in use"
        + (limit.rlim_cur == RLIM_INFINITY ? std::string()
                                           : ", and ulimit -v allows " + std::to_string(limit.rlim_cur >> 20) + " MB");
    return false;
}

// The drawable's colour and depth (which Mesa allocates without telling anyone when it cannot) and a readback:
// 4 colour + 4 depth + 4 RGBA readback + 3 RGB + a quarter to spare.
constexpr std::size_t kBytesPerPixel = 20;

} // namespace

bool RoomForOpenGL(long pixels, const std::string& what, std::string* error)
{
    // Mesa's driver and LLVM take about 600 MB of address space whatever the size (docs/RELIABILITY.md has the
    // measurements).
    constexpr std::size_t kDriverBytes = std::size_t(640) << 20; // with room to spare
    return Room(kDriverBytes + static_cast<std::size_t>(pixels) * kBytesPerPixel, what,
                "OpenGL's driver and the pictures", error);
}

bool RoomForAnotherContext(long pixels, const std::string& what, std::string* error)
{
    // Each context takes LLVM's code for its shaders and its threads' stacks beside its drawable (measured as the
    // growth of the address space per output added while the saver runs).
    constexpr std::size_t kContextBytes = std::size_t(64) << 20;
    return Room(kContextBytes + static_cast<std::size_t>(pixels) * kBytesPerPixel, what,
                "its OpenGL context and picture", error);
}
