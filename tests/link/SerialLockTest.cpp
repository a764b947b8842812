// Lock files and system terminals: the lines that are not the program's to take.

#include "link/CommPort.h"
#include "link/SerialLockPosix.h"
#include "tests/support/PtyPeer.h"

#include <gtest/gtest.h>

// std
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// system
#include <csignal>
#include <unistd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Put(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

std::string PidLine(pid_t pid)
{
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
    return text;
}

// A process that lives until it is ended, to own a lock.
class CLiveProcess
{
public:
    CLiveProcess() : m_pid(fork())
    {
        if (m_pid == 0) {
            pause();
            _exit(0);
        }
    }
    ~CLiveProcess() { End(); }
    CLiveProcess(const CLiveProcess&) = delete;
    CLiveProcess& operator=(const CLiveProcess&) = delete;
    [[nodiscard]] pid_t Pid() const { return m_pid; }
    // Ends and reaps it, so its id names no process.
    void End()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

private:
    pid_t m_pid;
};

class SerialLockTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char name[] = "/tmp/vorlend-lock-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        m_folder = name;
    }
    void TearDown() override { fs::remove_all(m_folder); }
    fs::path m_folder;
};

} // namespace

TEST_F(SerialLockTest, LiveOwnersKeepTheLineAndDeadOnesLoseIt)
{
    EXPECT_EQ(CSerialLock::LockName("/dev/ttyUSB10"), "ttyUSB10");
    EXPECT_EQ(CSerialLock::LockName("/dev/pts/7"), "pts_7");
    fs::create_symlink("/dev/null", m_folder / "by-id-link");
    EXPECT_EQ(CSerialLock::LockName((m_folder / "by-id-link").string()), "null");

    const fs::path file = m_folder / "LCK..ttyUSB10";
    {
        CSerialLock mine({m_folder.string()});
        ASSERT_EQ(mine.Acquire("/dev/ttyUSB10"), PortOpenError::None);
        EXPECT_EQ(Slurp(file), PidLine(getpid()));
        CSerialLock second({m_folder.string()});
        EXPECT_EQ(second.Acquire("/dev/ttyUSB10"), PortOpenError::Busy);
        EXPECT_EQ(second.Acquire("/dev/ttyUSB1"), PortOpenError::None); // another line
    }
    EXPECT_FALSE(fs::exists(file)) << "the lock goes with its owner";

    // Another program's lock, in the short form some tools write: its owner's word holds
    // while it lives, and the lock is stale once it is gone.
    CLiveProcess other;
    Put(file, std::to_string(other.Pid()) + "\nminicom\n");
    CSerialLock lock({(m_folder / "missing").string(), m_folder.string()});
    EXPECT_EQ(lock.Acquire("/dev/ttyUSB10"), PortOpenError::Busy);
    EXPECT_EQ(Slurp(file), std::to_string(other.Pid()) + "\nminicom\n");
    other.End();
    EXPECT_EQ(lock.Acquire("/dev/ttyUSB10"), PortOpenError::None);
    EXPECT_EQ(Slurp(file), PidLine(getpid()));
    lock.Release();

    // Nowhere to put a lock: the line is still tried.
    CSerialLock homeless({(m_folder / "missing").string()});
    EXPECT_EQ(homeless.Acquire("/dev/ttyUSB10"), PortOpenError::None);
}

TEST_F(SerialLockTest, ConsolesAndControllingTerminalsAreSystemTerminals)
{
    const fs::path proc = m_folder / "proc";
    const fs::path sys = m_folder / "sys";
    Put(proc / "consoles", "tty0                 -WU (EC p  )    4:7\n"
                           "ttyS0                -W- (E  p a)    4:64\n");
    // A command name with blanks and parentheses; tty_nr 34817 is 136:1 (/dev/pts/1).
    Put(proc / "123" / "stat", "123 (a (b) c) S 1 123 123 34817 123 4194560 0 0\n");
    Put(proc / "124" / "stat", "124 (daemon) S 1 124 124 0 -1 4194560 0 0\n");
    Put(sys / "class" / "tty" / "console" / "active", "null\n");

    EXPECT_TRUE(IsSystemTerminal(makedev(4, 64), proc, sys));
    EXPECT_FALSE(IsSystemTerminal(makedev(4, 65), proc, sys));
    EXPECT_TRUE(IsSystemTerminal(makedev(136, 1), proc, sys));
    EXPECT_FALSE(IsSystemTerminal(makedev(136, 2), proc, sys));
    struct stat null
    {};
    ASSERT_EQ(stat("/dev/null", &null), 0);
    EXPECT_TRUE(IsSystemTerminal(null.st_rdev, proc, sys, "/dev"));

    // On this machine a fresh pseudo-terminal is nobody's terminal.
    CPtyPeer pty;
    ASSERT_TRUE(pty.Valid());
    struct stat line
    {};
    ASSERT_EQ(stat(pty.SlavePath().c_str(), &line), 0);
    EXPECT_FALSE(IsSystemTerminal(line.st_rdev));
}

// The real port honours and makes the lock in the system's lock folder.
TEST(CommPortLock, LockedLineIsBusyAndOpenLinesAreLocked)
{
    fs::path folder;
    for (const std::string& candidate : CSerialLock::DefaultFolders()) {
        if (access(candidate.c_str(), W_OK) == 0) {
            folder = candidate;
            break;
        }
    }
    if (folder.empty())
        GTEST_SKIP() << "no writable lock folder on this machine";

    CPtyPeer pty;
    ASSERT_TRUE(pty.Valid());
    const fs::path file = folder / ("LCK.." + CSerialLock::LockName(pty.SlavePath()));
    struct CNoReceiver final : ICommPortProcess
    {
        void OnReceive(const std::uint8_t*, std::uint32_t) override {}
        void OnClosed() override {}
        void OnStarted() override {}
    } receiver;
    CCommPort port(&receiver);

    CLiveProcess terminalProgram;
    Put(file, PidLine(terminalProgram.Pid()));
    EXPECT_FALSE(port.Open(pty.SlavePath()));
    EXPECT_EQ(port.LastOpenError(), PortOpenError::Busy);
    fs::remove(file);

    ASSERT_TRUE(port.Open(pty.SlavePath()));
    EXPECT_EQ(Slurp(file), PidLine(getpid()));
    port.Close();
    EXPECT_FALSE(fs::exists(file));
}
