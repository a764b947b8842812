#pragma once

#include "link/ICommPort.h"

// std
#include <string>
#include <vector>

// system
#include <sys/types.h>

// The lock files terminal programs (minicom, screen, cu) and other serial tools create, so
// that no two programs share a serial line: "LCK..<name>" holding the owner's process id as
// "%10d\n". A lock whose owner is gone is stale and taken over.
class CSerialLock
{
public:
    // The folders looked in, in order; a new lock goes into the first one that takes it.
    static std::vector<std::string> DefaultFolders() { return {"/var/lock", "/run/lock"}; }

    explicit CSerialLock(std::vector<std::string> folders = DefaultFolders());
    ~CSerialLock() { Release(); }
    CSerialLock(const CSerialLock&) = delete;
    CSerialLock& operator=(const CSerialLock&) = delete;

    // Locks `device` for this process: Busy when a live process holds its lock, None
    // otherwise. Where no folder can hold a lock (none exists or none is writable) the port
    // is still ours to try: the device's own exclusive open then guards it.
    PortOpenError Acquire(const std::string& device);
    // Removes the lock this object made, if any.
    void Release();

    // "ttyUSB0" for /dev/ttyUSB0, "pts_3" for /dev/pts/3: the device's path under /dev with
    // '/' made '_', after following symbolic links.
    static std::string LockName(const std::string& device);

private:
    std::vector<std::string> m_folders;
    std::string m_held; // the lock file this object created
};

// True when the character device `rdev` is the kernel console or some process's controlling
// terminal (a login line, a shell's terminal): such a port is never the radio's to take.
// The roots are parameters so that tests can point them at a made-up tree.
bool IsSystemTerminal(dev_t rdev, const std::string& procRoot = "/proc",
                      const std::string& sysRoot = "/sys", const std::string& devRoot = "/dev");
