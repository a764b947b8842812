#include "tools/simradio/SimRadio.h"

#include "file/KtFile.h"

// std
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <vector>

// system
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>
#include <sys/eventfd.h>

namespace {

void CloseFd(int& fd)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}

void Signal(int fd)
{
    const std::uint64_t one = 1;
    if (fd >= 0) [[maybe_unused]]
        const auto r = write(fd, &one, sizeof one);
}

} // namespace

CSimRadio::CSimRadio(const RadioImage& image) : m_core(image) {}

CSimRadio::~CSimRadio()
{
    Stop();
}

bool CSimRadio::Start()
{
    if (m_thread.joinable())
        return true;
    m_masterFd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_masterFd < 0 || grantpt(m_masterFd) != 0 || unlockpt(m_masterFd) != 0) {
        m_error = std::string("no pseudo-terminal: ") + std::strerror(errno);
        CloseFd(m_masterFd);
        return false;
    }
    char name[128] = {};
    if (ptsname_r(m_masterFd, name, sizeof name) != 0) {
        m_error = std::string("ptsname: ") + std::strerror(errno);
        CloseFd(m_masterFd);
        return false;
    }
    m_slavePath = name;
    m_slaveFd = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (m_slaveFd < 0) {
        m_error = std::string("open ") + name + ": " + std::strerror(errno);
        CloseFd(m_masterFd);
        return false;
    }
    termios raw{};
    tcgetattr(m_slaveFd, &raw);
    cfmakeraw(&raw);
    cfsetispeed(&raw, B9600);
    cfsetospeed(&raw, B9600);
    tcsetattr(m_slaveFd, TCSANOW, &raw);
    const int flags = fcntl(m_masterFd, F_GETFL);
    fcntl(m_masterFd, F_SETFL, flags | O_NONBLOCK);

    m_stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_hangupFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_stopFd < 0 || m_hangupFd < 0) {
        m_error = std::string("eventfd: ") + std::strerror(errno);
        CloseFd(m_stopFd);
        CloseFd(m_hangupFd);
        CloseFd(m_slaveFd);
        CloseFd(m_masterFd);
        return false;
    }
    m_hungUp = false;
    m_thread = std::thread(&CSimRadio::Run, this);
    return true;
}

void CSimRadio::Stop()
{
    if (m_thread.joinable()) {
        Signal(m_stopFd);
        m_thread.join();
    }
    CloseLine();
    CloseFd(m_stopFd);
    CloseFd(m_hangupFd);
}

void CSimRadio::HangUp()
{
    Signal(m_hangupFd);
    // Wait until the line is really down, so that a test can rely on it.
    for (int i = 0; i < 200 && m_thread.joinable() && !m_hungUp.load(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void CSimRadio::CloseLine()
{
    CloseFd(m_masterFd);
    CloseFd(m_slaveFd);
}

void CSimRadio::SetFault(const SimFault& fault)
{
    std::lock_guard lock(m_mutex);
    m_core.SetFault(fault);
}

void CSimRadio::SetImage(const RadioImage& image)
{
    std::lock_guard lock(m_mutex);
    m_core.SetImage(image);
}

RadioImage CSimRadio::Image() const
{
    std::lock_guard lock(m_mutex);
    return m_core.Image();
}

void CSimRadio::SetOnWriteComplete(std::function<void()> callback)
{
    std::lock_guard lock(m_mutex);
    m_onWriteComplete = std::move(callback);
}

CSimRadioCore CSimRadio::Core() const
{
    std::lock_guard lock(m_mutex);
    return m_core;
}

void CSimRadio::SetAdapter(const SimAdapter& adapter)
{
    std::lock_guard lock(m_mutex);
    m_line = CSimAdapterLine(adapter);
    m_lineOrigin = std::chrono::steady_clock::now();
}

bool CSimRadio::Pause(std::chrono::steady_clock::time_point deadline) const
{
    for (;;) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            return true;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec timeout{static_cast<time_t>(ns / 1000000000),
                               static_cast<long>(ns % 1000000000)};
        pollfd fds[2] = {{m_stopFd, POLLIN, 0}, {m_hangupFd, POLLIN, 0}};
        const int ready = ppoll(fds, 2, &timeout, nullptr);
        if (ready > 0)
            return false; // left signalled for Run to act on
        if (ready < 0 && errno != EINTR)
            return true;
    }
}

bool CSimRadio::WriteAll(const std::uint8_t* data, std::size_t count)
{
    std::size_t sent = 0;
    while (sent < count && m_masterFd >= 0) {
        const ssize_t r = write(m_masterFd, data + sent, count - sent);
        if (r < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                pollfd p{m_masterFd, POLLOUT, 0};
                poll(&p, 1, 10);
                continue;
            }
            return false;
        }
        sent += static_cast<std::size_t>(r);
        m_bytesOut += static_cast<std::size_t>(r);
    }
    return sent == count;
}

bool CSimRadio::Send(const SimOutput& answer)
{
    if (answer.delay.count() > 0 && !Pause(std::chrono::steady_clock::now() + answer.delay))
        return false;
    const std::vector<std::uint8_t>& bytes = answer.bytes;
    const auto byteTime = m_byteTime.load();
    const auto start = std::chrono::steady_clock::now();
    std::vector<SimPiece> pieces;
    {
        std::lock_guard lock(m_mutex);
        if (!m_line.Adapter().IsPlain()) {
            pieces = m_line.Plan(
                bytes.size(), answer.block, byteTime,
                std::chrono::duration_cast<std::chrono::microseconds>(start - m_lineOrigin));
        }
    }
    if (pieces.empty()) {
        // Straight onto the line: one byte per slot, as a 9600-baud line delivers them; all at
        // once without pacing.
        std::size_t sent = 0;
        while (sent < bytes.size() && m_masterFd >= 0) {
            const std::size_t n = byteTime.count() == 0 ? bytes.size() - sent : 1;
            if (!WriteAll(bytes.data() + sent, n))
                return true;
            sent += n;
            if (byteTime.count() != 0)
                std::this_thread::sleep_until(start + byteTime * static_cast<long>(sent));
        }
        return true;
    }
    std::size_t sent = 0;
    for (const SimPiece& piece : pieces) {
        if (!Pause(start + piece.at))
            return false;
        if (!WriteAll(bytes.data() + sent, piece.count))
            return true;
        sent += piece.count;
    }
    // The radio is busy until its last byte has left, whenever the adapter hands it over.
    return Pause(start + byteTime * static_cast<long>(bytes.size()));
}

void CSimRadio::Run()
{
    // A radio sends its bytes back to back. On a busy machine a starved thread would leave gaps
    // in a reply that no radio leaves, so ask for real-time scheduling where it is allowed.
    sched_param param{};
    param.sched_priority = 10;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);

    std::uint8_t buffer[512];
    for (;;) {
        pollfd fds[3] = {{m_stopFd, POLLIN, 0}, {m_hangupFd, POLLIN, 0}, {m_masterFd, POLLIN, 0}};
        const nfds_t count = m_masterFd >= 0 ? 3 : 2;
        if (poll(fds, count, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[0].revents & POLLIN)
            return;
        if (fds[1].revents & POLLIN) {
            std::uint64_t value = 0;
            [[maybe_unused]] const auto r = read(m_hangupFd, &value, sizeof value);
            CloseLine();
            m_hungUp = true;
            continue;
        }
        if (count < 3 || (fds[2].revents & (POLLIN | POLLHUP | POLLERR)) == 0)
            continue;
        const ssize_t n = read(m_masterFd, buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            // Cannot happen while the radio holds its own slave end; end the line cleanly.
            CloseLine();
            m_hungUp = true;
            continue;
        }
        m_bytesIn += static_cast<std::size_t>(n);

        std::vector<SimOutput> answers;
        int writesBefore = 0;
        int writesAfter = 0;
        std::function<void()> onWriteComplete;
        {
            std::lock_guard lock(m_mutex);
            writesBefore = m_core.writesCompleted;
            answers = m_core.Feed(buffer, static_cast<std::size_t>(n));
            writesAfter = m_core.writesCompleted;
            onWriteComplete = m_onWriteComplete;
        }
        for (const SimOutput& answer : answers) {
            if (!Send(answer))
                break; // stopping or hanging up: Run acts on it next
            if (answer.hangup) {
                // Let the last bytes reach the program before the line drops.
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                CloseLine();
                m_hungUp = true;
                break;
            }
        }
        if (writesAfter != writesBefore && onWriteComplete)
            onWriteComplete();
    }
}

bool LoadKtImage(const std::string& path, RadioImage& image, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::vector<std::uint8_t> bytes;
    char c;
    while (bytes.size() < kKtFileSize && in.get(c))
        bytes.push_back(static_cast<std::uint8_t>(c));
    switch (DecodeKtFile(bytes, image)) {
    case KtDecodeStatus::Ok:
        return true;
    case KtDecodeStatus::WrongIdentification:
        error = path + ": not a .kt file (identification)";
        return false;
    case KtDecodeStatus::WrongChecksum:
        error = path + ": checksum error";
        return false;
    }
    return false;
}

bool SaveKtImage(const std::string& path, const RadioImage& image, std::string& error)
{
    const KtFileBytes bytes = EncodeKtFile(image);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}
