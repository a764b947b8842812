#include "link/SerialLockPosix.h"

// std
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>

// system
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

std::string ReadSmallFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The owner's process id in a lock file: ASCII with blanks around it, as every tool of the
// kind writes it. 0 when there is none (empty, binary or torn).
pid_t LockOwner(const std::string& path)
{
    const std::string text = ReadSmallFile(path);
    char* end = nullptr;
    const long pid = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || pid <= 0 || pid > 0x3fffffff)
        return 0;
    return static_cast<pid_t>(pid);
}

bool IsAlive(pid_t pid)
{
    return pid == getpid() || kill(pid, 0) == 0 || errno == EPERM;
}

} // namespace

CSerialLock::CSerialLock(std::vector<std::string> folders) : m_folders(std::move(folders)) {}

std::string CSerialLock::LockName(const std::string& device)
{
    std::string path = device;
    if (char* resolved = realpath(device.c_str(), nullptr)) {
        path = resolved;
        std::free(resolved);
    }
    if (path.rfind("/dev/", 0) == 0)
        path.erase(0, 5);
    while (!path.empty() && path.front() == '/')
        path.erase(0, 1);
    for (char& c : path) {
        if (c == '/')
            c = '_';
    }
    return path;
}

PortOpenError CSerialLock::Acquire(const std::string& device)
{
    Release();
    const std::string file = "LCK.." + LockName(device);
    // A live owner in any folder keeps the port; a dead one's lock goes.
    for (const std::string& folder : m_folders) {
        const std::string path = folder + '/' + file;
        if (access(path.c_str(), F_OK) != 0)
            continue;
        const pid_t owner = LockOwner(path);
        if (owner != 0 && IsAlive(owner))
            return PortOpenError::Busy;
        unlink(path.c_str());
    }
    for (const std::string& folder : m_folders) {
        const std::string path = folder + '/' + file;
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EEXIST)
                return PortOpenError::Busy; // another program took it just now
            continue;                       // no such folder, or not ours to write
        }
        char text[16];
        const int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(getpid()));
        const bool written = write(fd, text, static_cast<size_t>(length)) == length;
        close(fd);
        if (!written) {
            unlink(path.c_str());
            continue;
        }
        m_held = path;
        return PortOpenError::None;
    }
    return PortOpenError::None;
}

void CSerialLock::Release()
{
    if (!m_held.empty())
        unlink(std::exchange(m_held, {}).c_str());
}

bool IsSystemTerminal(dev_t rdev, const std::string& procRoot, const std::string& sysRoot,
                      const std::string& devRoot)
{
    const unsigned wantMajor = major(rdev);
    const unsigned wantMinor = minor(rdev);

    // The consoles the kernel writes to: "ttyS0 -W- (EC p a) 4:64".
    {
        std::istringstream consoles(ReadSmallFile(procRoot + "/consoles"));
        std::string line;
        while (std::getline(consoles, line)) {
            unsigned maj = 0;
            unsigned min = 0;
            const auto colon = line.rfind(':');
            const auto space = line.rfind(' ', colon);
            if (colon == std::string::npos || space == std::string::npos)
                continue;
            if (std::sscanf(line.c_str() + space + 1, "%u:%u", &maj, &min) == 2 &&
                maj == wantMajor && min == wantMinor)
                return true;
        }
    }
    {
        std::istringstream active(ReadSmallFile(sysRoot + "/class/tty/console/active"));
        std::string name;
        while (active >> name) {
            struct stat st
            {};
            if (stat((devRoot + '/' + name).c_str(), &st) == 0 && S_ISCHR(st.st_mode) &&
                st.st_rdev == rdev)
                return true;
        }
    }

    // A process's controlling terminal: the seventh field of /proc/PID/stat, after the
    // command name in parentheses (which may itself hold blanks and parentheses).
    DIR* proc = opendir(procRoot.c_str());
    if (proc == nullptr)
        return false;
    bool found = false;
    while (const dirent* entry = readdir(proc)) {
        if (entry->d_name[0] < '1' || entry->d_name[0] > '9')
            continue;
        const std::string stat = ReadSmallFile(procRoot + '/' + entry->d_name + "/stat");
        const auto paren = stat.rfind(')');
        if (paren == std::string::npos)
            continue;
        std::istringstream fields(stat.substr(paren + 1));
        std::string state;
        long ppid = 0;
        long group = 0;
        long session = 0;
        long ttyNumber = 0;
        if (!(fields >> state >> ppid >> group >> session >> ttyNumber) || ttyNumber == 0)
            continue;
        const auto tty = static_cast<unsigned long>(ttyNumber);
        const unsigned ttyMajor = static_cast<unsigned>((tty >> 8) & 0xfff);
        const unsigned ttyMinor = static_cast<unsigned>((tty & 0xff) | ((tty >> 12) & 0xfff00));
        if (ttyMajor == wantMajor && ttyMinor == wantMinor) {
            found = true;
            break;
        }
    }
    closedir(proc);
    return found;
}
