/* Answers the modem-status ioctl (TIOCMGET) on pseudo-terminals for Wine.
 * Wine's WaitCommEvent reads the modem lines before it waits; a pty has none and rejects
 * the request, so the wait would fail at once. Loaded with LD_PRELOAD into the Wine
 * processes of the tests only; every other request goes to the C library unchanged. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

/* Unix98 pty slaves use majors 136 to 143. */
static int is_pty_slave(int fd)
{
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return 0;
    unsigned int major_number = major(st.st_rdev);
    return major_number >= 136 && major_number <= 143;
}

int ioctl(int fd, unsigned long request, ...)
{
    static int (*real_ioctl)(int, unsigned long, void*);
    va_list args;
    va_start(args, request);
    void* argument = va_arg(args, void*);
    va_end(args);

    if (!real_ioctl)
        real_ioctl = (int (*)(int, unsigned long, void*))dlsym(RTLD_NEXT, "ioctl");

    int result = real_ioctl(fd, request, argument);
    /* Only the pty's refusal is answered (ENOTTY or EINVAL); a hung-up line (EIO) must
     * still fail, so that the pending wait ends. */
    if (result != 0 && request == TIOCMGET && argument && (errno == ENOTTY || errno == EINVAL) &&
        is_pty_slave(fd)) {
        /* A cable with the radio's lines up: carrier, data set ready, clear to send. */
        *(int*)argument = TIOCM_CAR | TIOCM_DSR | TIOCM_CTS;
        errno = 0;
        return 0;
    }
    return result;
}
