#include "hosts/common/DriverRoom.h"

#include <sys/resource.h>

#include <cstddef>
#include <memory>
#include <new>

bool RoomForOpenGL(long pixels, const std::string& what, std::string* error)
{
    // Mesa's driver and LLVM take about 600 MB of address space whatever the size (measured with `ulimit -v`: at
    // 590 MB and below a 64x64 render crashed inside them), plus the drawable's colour and depth (which Mesa allocates
    // without telling anyone when it cannot) and a readback. The probe is never touched, so it costs no memory.
    constexpr std::size_t kDriverBytes = std::size_t(640) << 20; // with room: 590 MB still crashed once
    constexpr long kBytesPerPixel = 20; // 4 colour + 4 depth + 4 RGBA readback + 3 RGB + a quarter to spare
    const std::unique_ptr<char[]> probe(
        new (std::nothrow) char[kDriverBytes + static_cast<std::size_t>(pixels) * kBytesPerPixel]);
    if (probe != nullptr)
        return true;
    rlimit limit{};
    getrlimit(RLIMIT_AS, &limit);
    *error = "out of memory for " + what + ": OpenGL's driver alone needs about 640 MB of address space"
        + (limit.rlim_cur == RLIM_INFINITY ? std::string()
                                           : ", and ulimit -v allows " + std::to_string(limit.rlim_cur >> 20) + " MB");
    return false;
}
