#include "link/CommPort.h"

#include <gtest/gtest.h>

// std
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The Win32 serial port against a real device under Wine: a COM port that Wine maps to a
// pseudo-terminal whose far end (tools/wine/PtyPeer.cpp) echoes what it reads and hangs up
// on ESC "HUP". The port's name comes from VORLEND_WINE_ECHO_PORT; without it the tests skip.

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

std::string EchoPort()
{
    const char* name = std::getenv("VORLEND_WINE_ECHO_PORT");
    return name ? name : "";
}

#define REQUIRE_ECHO_PORT()                                                                        \
    do {                                                                                           \
        if (EchoPort().empty())                                                                    \
            GTEST_SKIP() << "VORLEND_WINE_ECHO_PORT is not set (run tools/windows-test.sh)";       \
    } while (false)

// Records what the reader thread reports, with the time of each delivery.
class CRecorder : public ICommPortProcess
{
public:
    virtual ~CRecorder() = default;

    struct Delivery
    {
        Bytes bytes;
        Clock::time_point at;
    };

    void OnReceive(const std::uint8_t* data, std::uint32_t count) override
    {
        std::lock_guard lock(m_mutex);
        m_deliveries.push_back({Bytes(data, data + count), Clock::now()});
        m_received += count;
        m_changed.notify_all();
    }
    void OnClosed() override
    {
        std::lock_guard lock(m_mutex);
        ++m_closed;
        m_changed.notify_all();
    }
    void OnStarted() override
    {
        std::lock_guard lock(m_mutex);
        ++m_started;
    }

    // Waits until `bytes` bytes have been delivered in all; false after `timeout`.
    bool WaitForBytes(std::size_t bytes,
                      std::chrono::milliseconds timeout = std::chrono::seconds(3))
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return m_received >= bytes; });
    }
    bool WaitForClosed(std::chrono::milliseconds timeout = std::chrono::seconds(5))
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return m_closed > 0; });
    }
    std::vector<Delivery> Deliveries()
    {
        std::lock_guard lock(m_mutex);
        return m_deliveries;
    }
    Bytes AllBytes()
    {
        std::lock_guard lock(m_mutex);
        Bytes all;
        for (const Delivery& d : m_deliveries)
            all.insert(all.end(), d.bytes.begin(), d.bytes.end());
        return all;
    }
    int Started()
    {
        std::lock_guard lock(m_mutex);
        return m_started;
    }
    int Closed()
    {
        std::lock_guard lock(m_mutex);
        return m_closed;
    }
    void Forget()
    {
        std::lock_guard lock(m_mutex);
        m_deliveries.clear();
        m_received = 0;
    }

private:
    std::mutex m_mutex; // guards every field below
    std::condition_variable m_changed;
    std::vector<Delivery> m_deliveries;
    std::size_t m_received = 0;
    int m_started = 0;
    int m_closed = 0;
};

// Opening may race with the peer republishing its pty after a hang-up: retry briefly.
bool OpenWithRetry(CCommPort& port, const std::string& name)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (port.Open(name))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

Bytes Pattern(std::size_t size, std::uint8_t seed)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7); // never ESC "HUP" in a row
    return bytes;
}

void HangUp(CCommPort& port)
{
    const Bytes command = {0x1B, 'H', 'U', 'P'};
    std::uint32_t written = 0;
    ASSERT_NE(port.Write(command.data(), static_cast<std::uint32_t>(command.size()), &written), 0);
}

TEST(CommPortWin32, OpensWritesAndReadsTheEcho)
{
    REQUIRE_ECHO_PORT();
    CRecorder recorder;
    CCommPort port(&recorder);
    ASSERT_TRUE(OpenWithRetry(port, EchoPort()));
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.PortName(), EchoPort());
    EXPECT_EQ(port.LastOpenError(), PortOpenError::None);

    const Bytes sent = {'P', 'R', 'O', 'G', 'R', 'A', 'M'};
    std::uint32_t written = 0;
    const auto start = Clock::now();
    ASSERT_NE(port.Write(sent.data(), static_cast<std::uint32_t>(sent.size()), &written), 0);
    EXPECT_EQ(written, sent.size());
    ASSERT_TRUE(recorder.WaitForBytes(sent.size()));
    EXPECT_EQ(recorder.AllBytes(), sent);
    const auto roundTrip = std::chrono::duration_cast<std::chrono::microseconds>(
        recorder.Deliveries().back().at - start);
    std::printf("figure: 7-byte write and its echo delivered in %.1f ms (read chunk 0)\n",
                static_cast<double>(roundTrip.count()) / 1000.0);
    EXPECT_EQ(recorder.Started(), 1);
    EXPECT_EQ(recorder.Closed(), 0);
}

TEST(CommPortWin32, OpenWithTheSameNameKeepsTheReader)
{
    REQUIRE_ECHO_PORT();
    CRecorder recorder;
    CCommPort port(&recorder);
    ASSERT_TRUE(OpenWithRetry(port, EchoPort()));
    ASSERT_TRUE(port.Open(EchoPort()));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(recorder.Started(), 1);
    EXPECT_EQ(recorder.Closed(), 0);
    EXPECT_TRUE(port.IsOpen());
}

TEST(CommPortWin32, CloseEndsTheReaderOnceAndClosingAgainDoesNothing)
{
    REQUIRE_ECHO_PORT();
    CRecorder recorder;
    CCommPort port(&recorder);
    ASSERT_TRUE(OpenWithRetry(port, EchoPort()));
    EXPECT_TRUE(port.Close());
    EXPECT_EQ(recorder.Closed(), 1);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.PortName(), "");
    EXPECT_TRUE(port.Close());
    EXPECT_EQ(recorder.Closed(), 1);
    // The port can be opened again, exclusively: a second port object cannot share it.
    ASSERT_TRUE(OpenWithRetry(port, EchoPort()));
    CRecorder otherRecorder;
    CCommPort other(&otherRecorder);
    EXPECT_FALSE(other.Open(EchoPort()));
    EXPECT_EQ(other.LastOpenError(), PortOpenError::Busy);
    EXPECT_EQ(otherRecorder.Started(), 0);
}

TEST(CommPortWin32, MissingPortsDoNotOpen)
{
    REQUIRE_ECHO_PORT();
    CRecorder recorder;
    CCommPort port(&recorder);
    // Not mapped at all.
    EXPECT_FALSE(port.Open("COM43"));
    EXPECT_FALSE(port.IsOpen());
    // Mapped to a device file that does not exist: Wine creates the handle, configuring fails.
    if (const char* missing = std::getenv("VORLEND_WINE_MISSING_PORT")) {
        EXPECT_FALSE(port.Open(missing));
        EXPECT_FALSE(port.IsOpen());
    }
    EXPECT_FALSE(port.Open(""));
    EXPECT_EQ(recorder.Started(), 0);
    EXPECT_EQ(recorder.Closed(), 0);
}

TEST(CommPortWin32, FailedOpenOfAnotherNameLeavesNoPortOpen)
{
    REQUIRE_ECHO_PORT();
    CRecorder recorder;
    CCommPort port(&recorder);
    ASSERT_TRUE(OpenWithRetry(port, EchoPort()));
    EXPECT_FALSE(port.Open("COM43"));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(recorder.Closed(), 1);
}

TEST(CommPortWin32, WriteOnAClosedPortRaisesTheOutputError)
{
    REQUIRE_ECHO_PORT();
    CRecorder recorder;
    CCommPort port(&recorder);
    const std::uint8_t byte = 0x06;
    std::uint32_t written = 0;
    EXPECT_THROW(port.Write(&byte, 1, &written), CErrorSetOutput);
}

// A read of n bytes returns when n bytes are there or n x 1 ms + 5 ms after it was issued;
// the reader issues it when the first byte of a burst arrives, so one burst is one delivery.
struct ChunkCase
{
    std::uint32_t readChunk;
    std::size_t burst;
};

class CommPortWin32Chunk : public ::testing::TestWithParam<ChunkCase>
{};

TEST_P(CommPortWin32Chunk, DeliversABurstInChunksOfAtMostTheReadSize)
{
    REQUIRE_ECHO_PORT();
    const ChunkCase& c = GetParam();
    CRecorder recorder;
    CCommPort port(&recorder);
    ASSERT_TRUE(OpenWithRetry(port, EchoPort()));
    port.SetReadChunk(c.readChunk);

    const Bytes sent = Pattern(c.burst, static_cast<std::uint8_t>(c.readChunk));
    std::uint32_t written = 0;
    const auto start = Clock::now();
    ASSERT_NE(port.Write(sent.data(), static_cast<std::uint32_t>(sent.size()), &written), 0);
    ASSERT_EQ(written, sent.size());

    const std::size_t expectFirst =
        c.readChunk == 0 ? c.burst : std::min<std::size_t>(c.burst, c.readChunk);
    ASSERT_TRUE(recorder.WaitForBytes(expectFirst));
    const auto deliveries = recorder.Deliveries();
    ASSERT_FALSE(deliveries.empty());
    const double ms =
        std::chrono::duration<double, std::milli>(deliveries.front().at - start).count();
    std::printf("figure: read chunk %u, burst %zu: first delivery of %zu bytes after %.1f ms "
                "(time-out %u ms)\n",
                c.readChunk, c.burst, deliveries.front().bytes.size(), ms, c.readChunk + 5);
    if (c.readChunk != 0) {
        // The first delivery is the start of the burst: the whole chunk, or the whole burst
        // when it is shorter (then only after the read's time-out ran out).
        EXPECT_EQ(deliveries.front().bytes, Bytes(sent.begin(), sent.begin() + expectFirst));
    }

    // What a burst longer than the chunk leaves queued comes with the next arrival, in order.
    const Bytes more = {0x55};
    ASSERT_NE(port.Write(more.data(), 1, &written), 0);
    ASSERT_TRUE(recorder.WaitForBytes(expectFirst + 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(c.readChunk + 100));
    Bytes expectAll = sent;
    expectAll.push_back(0x55);
    const Bytes all = recorder.AllBytes();
    ASSERT_LE(all.size(), expectAll.size());
    EXPECT_EQ(
        all, Bytes(expectAll.begin(), expectAll.begin() + static_cast<std::ptrdiff_t>(all.size())));
    if (c.readChunk == 0 || c.burst <= c.readChunk) {
        EXPECT_EQ(all, expectAll);
    }
    if (c.readChunk != 0) {
        for (const auto& delivery : recorder.Deliveries()) {
            EXPECT_LE(delivery.bytes.size(), c.readChunk);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ReadSizes, CommPortWin32Chunk,
                         ::testing::Values(ChunkCase{0, 7}, ChunkCase{10, 3}, ChunkCase{10, 10},
                                           ChunkCase{50, 34}, ChunkCase{50, 7}, ChunkCase{4, 10},
                                           ChunkCase{0, 300}, ChunkCase{1024, 1000}),
                         [](const ::testing::TestParamInfo<ChunkCase>& param) {
                             return "chunk" + std::to_string(param.param.readChunk) + "_burst" +
                                    std::to_string(param.param.burst);
                         });

TEST(CommPortWin32, HangUpEndsTheReaderOnceAndWritesThenFailWithoutACrash)
{
    REQUIRE_ECHO_PORT();
    CRecorder recorder;
    CCommPort port(&recorder);
    ASSERT_TRUE(OpenWithRetry(port, EchoPort()));
    HangUp(port);
    ASSERT_TRUE(recorder.WaitForClosed());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(recorder.Closed(), 1);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.PortName(), "");

    const std::uint8_t byte = 0x06;
    std::uint32_t written = 0;
    EXPECT_THROW(port.Write(&byte, 1, &written), CErrorSetOutput);
    EXPECT_TRUE(port.Close());
    EXPECT_EQ(recorder.Closed(), 1);

    // The line comes back (a fresh pty, as a replugged adapter): the same object reopens it.
    ASSERT_TRUE(OpenWithRetry(port, EchoPort()));
    const Bytes sent = {1, 2, 3};
    ASSERT_NE(port.Write(sent.data(), 3, &written), 0);
    ASSERT_TRUE(recorder.WaitForBytes(3));
    EXPECT_EQ(recorder.AllBytes(), sent);
    EXPECT_EQ(recorder.Started(), 2);
}

TEST(CommPortWin32, WritesFromSeveralThreadsAllArriveWhole)
{
    REQUIRE_ECHO_PORT();
    CRecorder recorder;
    CCommPort port(&recorder);
    ASSERT_TRUE(OpenWithRetry(port, EchoPort()));
    constexpr int kThreads = 4;
    constexpr int kWrites = 10;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&port, t] {
            const Bytes block(8, static_cast<std::uint8_t>('a' + t));
            for (int i = 0; i < kWrites; ++i) {
                std::uint32_t written = 0;
                EXPECT_NE(port.Write(block.data(), 8, &written), 0);
            }
        });
    }
    for (auto& writer : writers)
        writer.join();
    ASSERT_TRUE(recorder.WaitForBytes(kThreads * kWrites * 8));
    // One write in flight at a time: every 8-byte block arrives unbroken.
    const Bytes all = recorder.AllBytes();
    ASSERT_EQ(all.size(), static_cast<std::size_t>(kThreads * kWrites * 8));
    for (std::size_t i = 0; i < all.size(); i += 8)
        EXPECT_EQ(Bytes(all.begin() + i, all.begin() + i + 8), Bytes(8, all[i])) << i;
}

} // namespace
