// The serial port contract, run against the real port on a pseudo-terminal and against the
// in-memory port that other tests may use in its place.

#include "link/CommPort.h"
#include "tests/support/FakeCommPort.h"
#include "tests/support/PtyPeer.h"

#include <gtest/gtest.h>

// std
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

// system
#include <unistd.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Records what the port's reader thread reports.
class CRecordingReceiver : public ICommPortProcess
{
public:
    virtual ~CRecordingReceiver() = default;
    void OnReceive(const std::uint8_t* data, std::uint32_t count) override
    {
        std::lock_guard lock(m_mutex);
        deliveries.emplace_back(data, data + count);
        if (!started)
            receivedBeforeStart = true;
    }
    void OnClosed() override
    {
        std::lock_guard lock(m_mutex);
        ++closed;
    }
    void OnStarted() override
    {
        std::lock_guard lock(m_mutex);
        ++startedCount;
        started = true;
    }
    template <typename F>
    auto Get(F f)
    {
        std::lock_guard lock(m_mutex);
        return f(*this);
    }
    Bytes AllBytes()
    {
        return Get([](CRecordingReceiver& r) {
            Bytes all;
            for (const Bytes& d : r.deliveries)
                all.insert(all.end(), d.begin(), d.end());
            return all;
        });
    }
    // Waits until `n` bytes have been delivered in all.
    bool WaitForBytes(std::size_t n, int maxMs = 2000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
        while (std::chrono::steady_clock::now() < end) {
            if (AllBytes().size() >= n)
                return true;
            std::this_thread::sleep_for(2ms);
        }
        return false;
    }

    std::vector<Bytes> deliveries;
    int closed = 0;
    int startedCount = 0;
    bool started = false;
    bool receivedBeforeStart = false;

private:
    std::mutex m_mutex;
};

// The far end of a line, whatever the port kind.
class IPeer
{
public:
    virtual ~IPeer() = default;
    virtual std::string Name() const = 0;
    virtual void Send(const Bytes& bytes) = 0;
    virtual Bytes Receive() = 0;
    virtual void HangUp() = 0;
};

class CPtyLinePeer : public IPeer
{
public:
    std::string Name() const override { return m_pty.SlavePath(); }
    void Send(const Bytes& bytes) override { m_pty.Send(bytes); }
    Bytes Receive() override { return m_pty.Receive(); }
    void HangUp() override { m_pty.HangUp(); }

private:
    CPtyPeer m_pty;
};

class CMemoryLinePeer : public IPeer
{
public:
    explicit CMemoryLinePeer(int n) : m_line("mem:line" + std::to_string(n)) {}
    std::string Name() const override { return m_line.Name(); }
    void Send(const Bytes& bytes) override { m_line.Send(bytes); }
    Bytes Receive() override { return m_line.Receive(); }
    void HangUp() override { m_line.HangUp(); }

private:
    CFakeLine m_line;
};

struct PortKind
{
    const char* name;
    std::function<std::unique_ptr<ICommPort>(ICommPortProcess*)> makePort;
    std::function<std::unique_ptr<IPeer>(int)> makePeer;
};

class CommPortContract : public ::testing::TestWithParam<PortKind>
{
protected:
    void SetUp() override
    {
        peerA = GetParam().makePeer(1);
        peerB = GetParam().makePeer(2);
        port = GetParam().makePort(&receiver);
    }
    void TearDown() override { port.reset(); }

    CRecordingReceiver receiver;
    std::unique_ptr<IPeer> peerA;
    std::unique_ptr<IPeer> peerB;
    std::unique_ptr<ICommPort> port;
};

TEST_P(CommPortContract, OpenTheSameNameKeepsTheReader)
{
    ASSERT_TRUE(port->Open(peerA->Name()));
    EXPECT_TRUE(port->IsOpen());
    EXPECT_EQ(port->PortName(), peerA->Name());
    ASSERT_TRUE(port->Open(peerA->Name()));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(receiver.Get([](auto& r) { return r.startedCount; }), 1);
    EXPECT_EQ(receiver.Get([](auto& r) { return r.closed; }), 0);
}

TEST_P(CommPortContract, OpenAnotherNameClosesFirst)
{
    ASSERT_TRUE(port->Open(peerA->Name()));
    ASSERT_TRUE(port->Open(peerB->Name()));
    EXPECT_EQ(port->PortName(), peerB->Name());
    EXPECT_EQ(receiver.Get([](auto& r) { return r.closed; }), 1);
    // A failed Open of a third name leaves no port open.
    EXPECT_FALSE(port->Open("/dev/vorlend-no-such-port"));
    EXPECT_FALSE(port->IsOpen());
    EXPECT_EQ(port->PortName(), "");
    EXPECT_EQ(receiver.Get([](auto& r) { return r.closed; }), 2);
    // The first line is free again.
    EXPECT_TRUE(port->Open(peerA->Name()));
}

TEST_P(CommPortContract, CloseOfAClosedPortDoesNothing)
{
    EXPECT_TRUE(port->Close());
    ASSERT_TRUE(port->Open(peerA->Name()));
    EXPECT_TRUE(port->Close());
    EXPECT_TRUE(port->Close());
    EXPECT_FALSE(port->IsOpen());
    EXPECT_EQ(receiver.Get([](auto& r) { return r.closed; }), 1);
}

TEST_P(CommPortContract, WriteReachesTheLineAndFailsWhenClosed)
{
    ASSERT_TRUE(port->Open(peerA->Name()));
    const Bytes data = {'P', 'R', 'O', 'G', 'R', 'A', 'M', 0x00, 0xFF, 0x06};
    std::uint32_t written = 0;
    EXPECT_NE(port->Write(data.data(), static_cast<std::uint32_t>(data.size()), &written), 0);
    EXPECT_EQ(written, data.size());
    EXPECT_EQ(peerA->Receive(), data);
    port->Close();
    EXPECT_THROW(port->Write(data.data(), 1, &written), CErrorSetOutput);
}

TEST_P(CommPortContract, ReadChunkLimitsEachDelivery)
{
    port->SetReadChunk(10);
    ASSERT_TRUE(port->Open(peerA->Name()));
    Bytes data(35);
    std::iota(data.begin(), data.end(), std::uint8_t{1});
    peerA->Send(data);
    ASSERT_TRUE(receiver.WaitForBytes(data.size()));
    EXPECT_EQ(receiver.AllBytes(), data);
    receiver.Get([](auto& r) {
        EXPECT_FALSE(r.receivedBeforeStart);
        for (const Bytes& d : r.deliveries)
            EXPECT_LE(d.size(), 10u);
        EXPECT_GE(r.deliveries.size(), 4u);
        return 0;
    });
}

TEST_P(CommPortContract, ReadChunkZeroDeliversWhatIsQueued)
{
    port->SetReadChunk(0);
    ASSERT_TRUE(port->Open(peerA->Name()));
    Bytes data(300);
    std::iota(data.begin(), data.end(), std::uint8_t{0});
    peerA->Send(data);
    ASSERT_TRUE(receiver.WaitForBytes(data.size()));
    EXPECT_EQ(receiver.AllBytes(), data);
    // Bytes that arrive together are handed over together, not one at a time.
    EXPECT_LT(receiver.Get([](auto& r) { return r.deliveries.size(); }), 10u);
}

TEST_P(CommPortContract, OneBurstIsOneDelivery)
{
    port->SetReadChunk(50);
    ASSERT_TRUE(port->Open(peerA->Name()));
    Bytes frame(34, 0x57);
    peerA->Send(frame);
    ASSERT_TRUE(receiver.WaitForBytes(frame.size()));
    std::this_thread::sleep_for(80ms);
    receiver.Get([&](auto& r) {
        EXPECT_EQ(r.deliveries.size(), 1u);
        return 0;
    });
}

TEST_P(CommPortContract, HangUpEndsTheReaderOnce)
{
    ASSERT_TRUE(port->Open(peerA->Name()));
    peerA->HangUp();
    for (int i = 0; i < 200 && port->IsOpen(); ++i)
        std::this_thread::sleep_for(5ms);
    EXPECT_FALSE(port->IsOpen());
    EXPECT_EQ(port->PortName(), "");
    EXPECT_EQ(receiver.Get([](auto& r) { return r.closed; }), 1);
    std::uint32_t written = 0;
    const std::uint8_t b = 0x06;
    EXPECT_THROW(port->Write(&b, 1, &written), CErrorSetOutput);
    EXPECT_TRUE(port->Close());
    EXPECT_EQ(receiver.Get([](auto& r) { return r.closed; }), 1);
}

TEST_P(CommPortContract, ReopenAfterCloseWorks)
{
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(port->Open(peerA->Name())) << i;
        peerA->Send({static_cast<std::uint8_t>(i)});
        ASSERT_TRUE(receiver.WaitForBytes(static_cast<std::size_t>(i) + 1));
        ASSERT_TRUE(port->Close());
    }
    EXPECT_EQ(receiver.Get([](auto& r) { return r.startedCount; }), 3);
    EXPECT_EQ(receiver.Get([](auto& r) { return r.closed; }), 3);
}

TEST_P(CommPortContract, SecondOpenerIsRefused)
{
    ASSERT_TRUE(port->Open(peerA->Name()));
    CRecordingReceiver other;
    auto second = GetParam().makePort(&other);
    EXPECT_FALSE(second->Open(peerA->Name()));
    EXPECT_FALSE(second->IsOpen());
    port->Close();
    EXPECT_TRUE(second->Open(peerA->Name()));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, CommPortContract,
    ::testing::Values(PortKind{"Pty",
                               [](ICommPortProcess* r) -> std::unique_ptr<ICommPort> {
                                   return std::make_unique<CCommPort>(r);
                               },
                               [](int) -> std::unique_ptr<IPeer> {
                                   return std::make_unique<CPtyLinePeer>();
                               }},
                      PortKind{"Memory",
                               [](ICommPortProcess* r) -> std::unique_ptr<ICommPort> {
                                   return std::make_unique<CFakeCommPort>(r);
                               },
                               [](int n) -> std::unique_ptr<IPeer> {
                                   return std::make_unique<CMemoryLinePeer>(n);
                               }}),
    [](const auto& p) { return std::string(p.param.name); });

// What only the real port can show.

TEST(CommPortPosix, OpenErrorsSayWhy)
{
    CRecordingReceiver receiver;
    CCommPort port(&receiver);
    EXPECT_FALSE(port.Open("/dev/vorlend-no-such-port"));
    EXPECT_EQ(port.LastOpenError(), PortOpenError::NotFound);
    EXPECT_FALSE(port.Open("/etc/hostname")); // not a terminal
    EXPECT_EQ(port.LastOpenError(), PortOpenError::Other);

    CPtyPeer pty;
    ASSERT_TRUE(pty.Valid());
    CCommPort holder(&receiver);
    ASSERT_TRUE(holder.Open(pty.SlavePath()));
    EXPECT_FALSE(port.Open(pty.SlavePath()));
    EXPECT_EQ(port.LastOpenError(), PortOpenError::Busy);
    holder.Close();
    EXPECT_TRUE(port.Open(pty.SlavePath()));
    EXPECT_EQ(port.LastOpenError(), PortOpenError::None);
}

// A port the user may not open: as root the check runs in a child that gives up root.
TEST(CommPortPosix, PortWithoutPermissionSaysSo)
{
    CPtyPeer pty;
    ASSERT_TRUE(pty.Valid());
    ASSERT_EQ(chmod(pty.SlavePath().c_str(), 0), 0);
    auto openAsUser = [&] {
        CRecordingReceiver receiver;
        CCommPort port(&receiver);
        return !port.Open(pty.SlavePath()) &&
               port.LastOpenError() == PortOpenError::PermissionDenied;
    };
    if (geteuid() != 0) {
        EXPECT_TRUE(openAsUser());
        return;
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool dropped = setgid(65534) == 0 && setuid(65534) == 0; // nobody
        _exit(dropped && openAsUser() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(CommPortPosix, LineIsRaw9600AndRestoredOnClose)
{
    CPtyPeer pty;
    ASSERT_TRUE(pty.Valid());
    const int fd = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios before{};
    tcgetattr(fd, &before);
    before.c_lflag |= ECHO | ICANON; // a cooked line the port must change and restore
    tcsetattr(fd, TCSANOW, &before);

    CRecordingReceiver receiver;
    CCommPort port(&receiver);
    ASSERT_TRUE(port.Open(pty.SlavePath()));
    termios during{};
    tcgetattr(fd, &during);
    EXPECT_EQ(cfgetospeed(&during), B9600);
    EXPECT_EQ(during.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(during.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(during.c_lflag & (ECHO | ICANON), 0u);
    port.Close();
    termios after{};
    tcgetattr(fd, &after);
    EXPECT_EQ(after.c_lflag & (ECHO | ICANON), static_cast<tcflag_t>(ECHO | ICANON));
    close(fd);
}

TEST(CommPortPosix, PacedBurstIsOneDeliveryOfTheWholeFrame)
{
    CPtyPeer pty;
    ASSERT_TRUE(pty.Valid());
    CRecordingReceiver receiver;
    CCommPort port(&receiver);
    port.SetReadChunk(50);
    ASSERT_TRUE(port.Open(pty.SlavePath()));
    Bytes frame(34);
    std::iota(frame.begin(), frame.end(), std::uint8_t{0x40});
    pty.Send(frame, 1042us);
    ASSERT_TRUE(receiver.WaitForBytes(frame.size()));
    std::this_thread::sleep_for(80ms);
    receiver.Get([&](auto& r) {
        EXPECT_EQ(r.deliveries.size(), 1u);
        if (!r.deliveries.empty()) {
            EXPECT_EQ(r.deliveries[0], frame);
        }
        return 0;
    });
}

TEST(CommPortPosix, CloseFromTheReaderThreadDoesNotDeadlock)
{
    CPtyPeer pty;
    ASSERT_TRUE(pty.Valid());
    struct CClosingReceiver : ICommPortProcess
    {
        virtual ~CClosingReceiver() = default;
        void OnReceive(const std::uint8_t*, std::uint32_t) override { port->Close(); }
        void OnClosed() override { ++closed; }
        CCommPort* port = nullptr;
        std::atomic<int> closed{0};
    } receiver;
    CCommPort port(&receiver);
    receiver.port = &port;
    ASSERT_TRUE(port.Open(pty.SlavePath()));
    pty.Send({1});
    for (int i = 0; i < 200 && port.IsOpen(); ++i)
        std::this_thread::sleep_for(5ms);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(receiver.closed.load(), 1);
    EXPECT_TRUE(port.Open(pty.SlavePath()));
}

} // namespace
