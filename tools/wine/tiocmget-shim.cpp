// Answers the modem-status ioctl (TIOCMGET) on pseudo-terminals for Wine.
// Wine's WaitCommEvent reads the modem lines before it waits; a pty has none and rejects the
// request, so the wait would fail at once. Loaded with LD_PRELOAD into the Wine processes of
// the Windows tests only; every other request goes to the C library unchanged.

// std
#include <cerrno>
#include <cstdarg>

// system
#include <dlfcn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

using IoctlFunction = int (*)(int, unsigned long, void*);

// Unix98 pty slaves use majors 136 to 143.
bool IsPtySlave(int fd)
{
    struct stat status
    {};
    if (fstat(fd, &status) != 0 || !S_ISCHR(status.st_mode))
        return false;
    const unsigned int majorNumber = major(status.st_rdev);
    return majorNumber >= 136 && majorNumber <= 143;
}

} // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept
{
    static const IoctlFunction realIoctl =
        reinterpret_cast<IoctlFunction>(dlsym(RTLD_NEXT, "ioctl"));
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);

    const int result = realIoctl(fd, request, argument);
    // Only the pty's refusal (ENOTTY, EINVAL) is answered; a hung-up line (EIO) still fails,
    // so that the pending wait ends.
    if (result != 0 && request == TIOCMGET && argument && (errno == ENOTTY || errno == EINVAL) &&
        IsPtySlave(fd)) {
        // A cable with the radio's lines up: carrier, data set ready, clear to send.
        *static_cast<int*>(argument) = TIOCM_CAR | TIOCM_DSR | TIOCM_CTS;
        errno = 0;
        return 0;
    }
    return result;
}
