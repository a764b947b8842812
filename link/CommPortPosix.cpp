// POSIX backend of CCommPort: termios, poll() on the device and an eventfd; lock files, flock
// and TIOCEXCL keep other programs off the line.

#include "link/CommPort.h"
#include "link/SerialLockPosix.h"

// std
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

// system
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kReceiveBufferSize = 1024;

PortOpenError ErrorFromErrno(int error)
{
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return PortOpenError::NotFound;
    case EBUSY:
    case EWOULDBLOCK:
        return PortOpenError::Busy;
    case EACCES:
    case EPERM:
        return PortOpenError::PermissionDenied;
    default:
        return PortOpenError::Other;
    }
}

timespec ToTimespec(Clock::duration d)
{
    if (d < Clock::duration::zero())
        d = Clock::duration::zero();
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ns / 1000000000);
    ts.tv_nsec = static_cast<long>(ns % 1000000000);
    return ts;
}

bool IsWakeSignalled(const pollfd& wake)
{
    return (wake.revents & POLLIN) != 0;
}

} // namespace

struct CCommPort::Backend
{
    int fd = -1;
    // Lives as long as the port so that WakeReader never writes to a closed descriptor.
    int wakeFd = -1;
    termios savedTermios{};
    bool haveSavedTermios = false;
    CSerialLock lock;

    Backend() { wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK); }
    ~Backend()
    {
        if (fd >= 0)
            close(fd);
        if (wakeFd >= 0)
            close(wakeFd);
    }

    void DrainWake() const
    {
        std::uint64_t value = 0;
        if (wakeFd >= 0) [[maybe_unused]]
            const auto r = read(wakeFd, &value, sizeof value);
    }
};

CCommPort::Backend* CCommPort::NewBackend()
{
    return new Backend;
}

void CCommPort::BackendDeleter::operator()(Backend* backend) const
{
    delete backend;
}

PortOpenError CCommPort::OpenDevice(const std::string& name)
{
    Backend& b = *m_backend;
    if (b.wakeFd < 0 || name.empty())
        return name.empty() ? PortOpenError::NotFound : PortOpenError::Other;
    b.DrainWake();

    // The kernel console and login lines are not ours, even when nothing else holds them.
    struct stat st
    {};
    if (stat(name.c_str(), &st) == 0 && S_ISCHR(st.st_mode) && IsSystemTerminal(st.st_rdev))
        return PortOpenError::Busy;
    if (b.lock.Acquire(name) != PortOpenError::None)
        return PortOpenError::Busy;

    const int fd = open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        b.lock.Release();
        return ErrorFromErrno(error);
    }

    auto fail = [fd, &b](PortOpenError error) {
        close(fd);
        b.lock.Release();
        return error;
    };
    // TIOCEXCL does not stop root, so an advisory lock keeps a second opener out as well.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail(errno == EWOULDBLOCK ? PortOpenError::Busy : ErrorFromErrno(errno));
    termios original{};
    if (tcgetattr(fd, &original) != 0)
        return fail(PortOpenError::Other); // not a terminal
    if (ioctl(fd, TIOCEXCL) != 0)
        return fail(ErrorFromErrno(errno));

    termios raw = original;
    cfmakeraw(&raw);
    raw.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    raw.c_cflag |= CS8 | CREAD | CLOCAL;
    raw.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    if (cfsetispeed(&raw, B9600) != 0 || cfsetospeed(&raw, B9600) != 0 ||
        tcsetattr(fd, TCSANOW, &raw) != 0) {
        ioctl(fd, TIOCNXCL);
        return fail(PortOpenError::Other);
    }
    // Adapters want DTR and RTS raised; a pseudo-terminal refuses with ENOTTY, which is fine.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd, TIOCMBIS, &lines);
    tcflush(fd, TCIOFLUSH);

    b.fd = fd;
    b.savedTermios = original;
    b.haveSavedTermios = true;
    return PortOpenError::None;
}

void CCommPort::WakeReader()
{
    const std::uint64_t one = 1;
    if (m_backend->wakeFd >= 0) [[maybe_unused]]
        const auto r = write(m_backend->wakeFd, &one, sizeof one);
}

void CCommPort::CloseDevice()
{
    Backend& b = *m_backend;
    if (b.fd < 0)
        return;
    if (b.haveSavedTermios)
        tcsetattr(b.fd, TCSANOW, &b.savedTermios);
    b.haveSavedTermios = false;
    ioctl(b.fd, TIOCNXCL);
    close(b.fd); // also releases the flock
    b.fd = -1;
    b.lock.Release();
}

void CCommPort::ReaderLoop()
{
    const Backend& b = *m_backend;
    std::uint8_t buffer[kReceiveBufferSize];

    for (;;) {
        pollfd fds[2] = {{b.fd, POLLIN, 0}, {b.wakeFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (m_stopRequested.load() || IsWakeSignalled(fds[1]))
            return;
        if ((fds[0].revents & POLLIN) == 0) {
            if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))
                return; // hang-up or removal
            continue;
        }

        NoteArrival();
        std::memset(buffer, 0, sizeof buffer);
        const std::uint32_t chunk = ReadChunk();
        std::uint32_t want = 0;
        if (chunk == 0) {
            int queued = 0;
            if (ioctl(b.fd, FIONREAD, &queued) != 0 || queued <= 0)
                queued = static_cast<int>(kReceiveBufferSize);
            want = std::min<std::uint32_t>(static_cast<std::uint32_t>(queued), kReceiveBufferSize);
        } else {
            want = std::min(chunk, kReceiveBufferSize);
        }

        ssize_t r = read(b.fd, buffer, want);
        if (r < 0) {
            if (errno == EAGAIN || errno == EINTR)
                continue; // a failed read is skipped
            return;       // EIO: the device went away
        }
        if (r == 0)
            return; // end of file: hung up
        std::uint32_t got = static_cast<std::uint32_t>(r);

        // Collect the rest of the chunk: until `want` bytes or want x 1 ms + 5 ms after the
        // first byte, so that one burst from the radio makes one delivery.
        bool ended = false;
        if (chunk != 0) {
            const auto deadline =
                Clock::now() + std::chrono::milliseconds(want) + std::chrono::milliseconds(5);
            while (got < want) {
                const timespec timeout = ToTimespec(deadline - Clock::now());
                pollfd more[2] = {{b.fd, POLLIN, 0}, {b.wakeFd, POLLIN, 0}};
                const int ready = ppoll(more, 2, &timeout, nullptr);
                if (ready < 0 && errno == EINTR)
                    continue;
                if (ready <= 0) {
                    // Time-out. Bytes that came in while this thread waited for the CPU
                    // arrived within the window as a driver would count it: take them too.
                    r = read(b.fd, buffer + got, want - got);
                    if (r > 0)
                        got += static_cast<std::uint32_t>(r);
                    break;
                }
                if (IsWakeSignalled(more[1])) {
                    ended = true;
                    break;
                }
                if ((more[0].revents & POLLIN) == 0) {
                    if (more[0].revents & (POLLHUP | POLLERR | POLLNVAL))
                        ended = true;
                    break;
                }
                r = read(b.fd, buffer + got, want - got);
                if (r > 0) {
                    got += static_cast<std::uint32_t>(r);
                } else if (r == 0 || (errno != EAGAIN && errno != EINTR)) {
                    ended = true;
                    break;
                }
            }
        }
        if (m_receiver)
            m_receiver->OnReceive(buffer, got);
        if (ended || m_stopRequested.load())
            return;
    }
}

int CCommPort::WriteDevice(const std::uint8_t* data, std::uint32_t count, std::uint32_t* written)
{
    const Backend& b = *m_backend;
    *written = 0;
    if (b.fd < 0)
        throw CErrorSetOutput();
    // The driver normally takes the block at once; when its queue is full, allow the line
    // time of the block (about 1.04 ms a byte at 9600 baud) twice over plus 50 ms.
    const auto deadline = Clock::now() + std::chrono::milliseconds(2 * count + 50);
    std::uint32_t done = 0;
    while (done < count) {
        const ssize_t r = write(b.fd, data + done, count - done);
        if (r > 0) {
            done += static_cast<std::uint32_t>(r);
            *written = done;
            continue;
        }
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 && errno != EAGAIN)
            throw CErrorSetOutput(); // EIO, ENXIO: the device failed or went away
        const timespec timeout = ToTimespec(deadline - Clock::now());
        pollfd fds[2] = {{b.fd, POLLOUT, 0}, {b.wakeFd, POLLIN, 0}};
        const int ready = ppoll(fds, 2, &timeout, nullptr);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || IsWakeSignalled(fds[1]))
            return 0; // timed out, or cancelled by Close
        if ((fds[0].revents & POLLOUT) == 0)
            throw CErrorSetOutput();
    }
    return 1;
}
