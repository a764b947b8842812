#pragma once

// std
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

// system
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

// The far end of a pseudo-terminal: the test writes and reads raw bytes here while the port
// under test opens SlavePath(). Keeps a slave descriptor of its own so the line stays up while
// the port is closed; HangUp drops the line.
class CPtyPeer
{
public:
    CPtyPeer()
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
            return;
        char name[128] = {};
        if (ptsname_r(m_master, name, sizeof name) != 0)
            return;
        m_path = name;
        m_slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        termios raw{};
        tcgetattr(m_slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(m_slave, TCSANOW, &raw);
    }
    ~CPtyPeer() { HangUp(); }
    CPtyPeer(const CPtyPeer&) = delete;
    CPtyPeer& operator=(const CPtyPeer&) = delete;

    [[nodiscard]] bool Valid() const { return m_master >= 0 && m_slave >= 0; }
    [[nodiscard]] const std::string& SlavePath() const { return m_path; }

    // Sends the bytes at once, or one every `byteTime` as a slow line would.
    void Send(const std::vector<std::uint8_t>& bytes,
              std::chrono::microseconds byteTime = std::chrono::microseconds(0))
    {
        if (byteTime.count() == 0) {
            [[maybe_unused]] const auto r = write(m_master, bytes.data(), bytes.size());
            return;
        }
        // On a fixed schedule, so that a late wake-up does not stretch the whole burst.
        const auto start = std::chrono::steady_clock::now();
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            [[maybe_unused]] const auto r = write(m_master, &bytes[i], 1);
            std::this_thread::sleep_until(start + byteTime * static_cast<long>(i + 1));
        }
    }

    // Everything that arrives within `quietMs` of the last byte (at most `maxMs` in all).
    std::vector<std::uint8_t> Receive(int quietMs = 100, int maxMs = 2000)
    {
        std::vector<std::uint8_t> got;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{m_master, POLLIN, 0};
            if (poll(&p, 1, quietMs) <= 0 || (p.revents & POLLIN) == 0)
                break;
            std::uint8_t buffer[256];
            const ssize_t n = read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

    void HangUp()
    {
        if (m_master >= 0)
            close(m_master);
        if (m_slave >= 0)
            close(m_slave);
        m_master = m_slave = -1;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
};
