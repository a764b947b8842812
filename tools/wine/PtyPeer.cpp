// The far end of a serial line for the Windows port tests under Wine: a pseudo-terminal whose
// slave path is published through a fixed symbolic link (Wine maps a COM port to that link).
// It echoes every chunk it reads; a chunk holding ESC "HUP" hangs the line up instead (the
// master is closed, as when an adapter is pulled), after which a fresh pty takes the link.
//
// Each pty lives in a child process that is the leader of its own session and claims the
// pty as its controlling terminal, so the Wine server can never take it as its own.
//
// With --claim PTY it only claims someone else's pty that way (the simulated radio's) and
// holds it until the line hangs up or it is terminated.

// std
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

// system
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <sys/ioctl.h>
#include <sys/wait.h>

namespace {

constexpr std::string_view kHangUp = "\x1bHUP";

volatile std::sig_atomic_t g_stop = 0;
pid_t g_child = -1;

void OnTerminate(int)
{
    g_stop = 1;
    if (g_child > 0)
        kill(g_child, SIGTERM);
}

bool WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// One pty's life: publish it, echo until hang-up or termination. Runs in a child process.
int ServeOnePty(const std::string& link)
{
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    signal(SIGHUP, SIG_IGN);
    setsid();
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        return 2;
    const char* slavePath = ptsname(master);
    if (!slavePath)
        return 2;
    const std::string slaveName = slavePath;
    // Opened without O_NOCTTY by a session leader: the pty becomes this session's terminal.
    const int slave = open(slaveName.c_str(), O_RDWR);
    if (slave < 0 || ioctl(slave, TIOCSCTTY, 0) != 0)
        return 2;
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);

    const std::string temporary = link + ".new";
    unlink(temporary.c_str());
    if (symlink(slaveName.c_str(), temporary.c_str()) != 0 ||
        rename(temporary.c_str(), link.c_str()) != 0)
        return 2;
    std::printf("%s\n", slaveName.c_str());
    std::fflush(stdout);

    char buffer[4096];
    for (;;) {
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EIO) {
            // No slave open at the moment (Wine closed the port): wait for the next opener.
            usleep(5000);
            continue;
        }
        if (n <= 0)
            return 1;
        const std::string_view chunk(buffer, static_cast<std::size_t>(n));
        if (chunk.find(kHangUp) != std::string_view::npos) {
            close(master);
            return 0;
        }
        if (!WriteAll(master, buffer, static_cast<std::size_t>(n)))
            return 1;
    }
}

// Makes `path` the controlling terminal of a new session and waits for the end of the line.
int Claim(const char* path)
{
    if (setsid() < 0)
        return 2;
    const int slave = open(path, O_RDWR);
    if (slave < 0 || ioctl(slave, TIOCSCTTY, 0) != 0) {
        std::fprintf(stderr, "vorlend-pty-peer: cannot claim %s: %s\n", path, std::strerror(errno));
        return 2;
    }
    std::printf("%s\n", path);
    std::fflush(stdout);
    // SIGHUP (the line hung up) and SIGTERM end the process by default.
    for (;;)
        pause();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string_view(argv[1]) == "--claim")
        return Claim(argv[2]);
    if (argc != 2) {
        std::fprintf(stderr,
                     "usage: %s LINK | --claim PTY\n  echoes on a pty published as LINK; "
                     "ESC HUP hangs up and starts a fresh pty\n  --claim: holds PTY as the "
                     "controlling terminal of a new session\n",
                     argv[0]);
        return 2;
    }
    const std::string link = argv[1];
    struct sigaction action
    {};
    action.sa_handler = OnTerminate;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    while (!g_stop) {
        g_child = fork();
        if (g_child < 0)
            return 1;
        if (g_child == 0)
            std::_Exit(ServeOnePty(link));
        int status = 0;
        while (waitpid(g_child, &status, 0) < 0 && errno == EINTR) {
        }
        g_child = -1;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            break;
    }
    unlink(link.c_str());
    return 0;
}
