#include "hosts/headless/PngWriter.h"

#include "support/files/ReplaceFile.h"

#include <png.h>

#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

// What went wrong inside libpng: its message, and errno at that moment (a failed write's reason, ENOSPC say).
struct PngFailure {
    char message[128] = "";
    int error = 0;
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp message)
{
    auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
    failure->error = errno;
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {} // nothing a frame's writer could act on; never printed

// The temporary file being written, for the signal handler (which may only read it, and unlink).
char gTemporary[4096];
volatile std::sig_atomic_t gWriting = 0;

void RemoveTemporaryAndEnd(int signal)
{
    if (gWriting)
        unlink(gTemporary); // after the rename it names nothing any more: harmless
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Holds back SIGTERM, SIGINT and SIGHUP for its lifetime, so that the handler never sees a temporary file that
// exists but is not announced yet (a signal right after mkstemp left one behind). Whatever arrives meanwhile is
// handled when it ends.
class EndingSignalsHeld {
public:
    EndingSignalsHeld()
    {
        sigset_t ending;
        sigemptyset(&ending);
        for (int signal : {SIGTERM, SIGINT, SIGHUP})
            sigaddset(&ending, signal);
        pthread_sigmask(SIG_BLOCK, &ending, &previous_);
    }
    ~EndingSignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

private:
    sigset_t previous_;
};

// Read once, not at every frame.
mode_t NewFileMode()
{
    static const mode_t mode = DefaultFileMode();
    return mode;
}

// Writes the image into `file`; false with the reason in `failure`.
bool Encode(std::FILE* file, int width, int height, const std::vector<std::uint8_t>& rgb, PngFailure* failure)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, failure, OnPngError, OnPngWarning);
    png_infop info = png == nullptr ? nullptr : png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        std::snprintf(failure->message, sizeof failure->message, "out of memory");
        return false;
    }
    // libpng reports failures by longjmp; nothing with a destructor lives between here and the calls below.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 3); // frames are many; favour speed over the last few percent of size
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, rgb.data() + static_cast<std::size_t>(y) * width * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb, std::string* error)
{
    const std::filesystem::path target(path);
    std::string name = "."; // appended, not "." + ...: GCC 12 warns falsely (-Wrestrict) about that operator+
    name += target.filename().string();
    name += ".XXXXXX";
    std::string temporary = (target.parent_path() / name).string();
    int descriptor = -1;
    {
        const EndingSignalsHeld held; // the file and its announcement come into being together
        descriptor = mkstemp(temporary.data());
        if (descriptor >= 0 && temporary.size() < sizeof gTemporary) {
            std::memcpy(gTemporary, temporary.c_str(), temporary.size() + 1);
            gWriting = 1;
        }
    }
    std::FILE* file = descriptor < 0 ? nullptr : fdopen(descriptor, "wb");
    if (file == nullptr) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        if (descriptor >= 0) {
            close(descriptor);
            unlink(temporary.c_str());
            gWriting = 0;
        }
        return false;
    }
    PngFailure failure;
    bool written = Encode(file, width, height, rgb, &failure);
    auto check = [&](bool ok) {
        if (written && !ok) {
            written = false;
            failure.error = errno;
        }
    };
    check(std::fflush(file) == 0 && std::ferror(file) == 0); // buffered bytes meet a full disk only here
    check(fchmod(descriptor, NewFileMode()) == 0);
    check(std::fclose(file) == 0);
    check(!written || std::rename(temporary.c_str(), path.c_str()) == 0);
    if (!written)
        unlink(temporary.c_str());
    gWriting = 0; // a signal before this removes a name that no longer exists: harmless
    if (!written) {
        *error = "cannot write " + path + ": "
            + (failure.error != 0 ? std::string(std::strerror(failure.error)) : std::string(failure.message));
    }
    return written;
}

void PngWriterRemoveTemporaryOnSignals()
{
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryAndEnd;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
}
