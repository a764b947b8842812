#pragma once

#include "link/PortWatcher.h"

// std
#include <atomic>
#include <functional>
#include <thread>

// Linux hot-plug: watches udev for serial devices coming and going and reports them from its
// own thread, which sleeps in poll() on the udev socket and a stop eventfd.
//
// Threads: Start and Stop from the owner's thread; the callback runs on the monitor's thread
// and must not wait for the owner's thread if the owner may be inside Stop (post, don't send).
class CUdevMonitor final : public IPortWatcher
{
public:
    CUdevMonitor() = default;
    ~CUdevMonitor() override;
    CUdevMonitor(const CUdevMonitor&) = delete;
    CUdevMonitor& operator=(const CUdevMonitor&) = delete;

    // False when udev cannot be watched here (no netlink socket, as in some containers).
    bool Start(Callback callback) override;
    // Ends the thread and joins it; the callback is not called after Stop returns.
    void Stop() override;
    [[nodiscard]] bool IsRunning() const { return m_thread.joinable(); }

private:
    void Run();

    Callback m_callback;
    struct udev* m_udev = nullptr;
    struct udev_monitor* m_monitor = nullptr;
    int m_stopFd = -1;
    std::thread m_thread;
};
