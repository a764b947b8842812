#include "link/UdevMonitor.h"

#include "link/UdevDevice.h"

// std
#include <cerrno>

// system
#include <poll.h>
#include <unistd.h>
#include <sys/eventfd.h>

CUdevMonitor::~CUdevMonitor()
{
    Stop();
}

bool CUdevMonitor::Start(Callback callback)
{
    if (m_thread.joinable())
        return true;
    m_callback = std::move(callback);
    m_udev = udev_new();
    if (m_udev)
        m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (m_monitor &&
        (udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "tty", nullptr) < 0 ||
         udev_monitor_enable_receiving(m_monitor) < 0)) {
        udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
    }
    m_stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (!m_monitor || m_stopFd < 0) {
        Stop();
        return false;
    }
    m_thread = std::thread(&CUdevMonitor::Run, this);
    return true;
}

void CUdevMonitor::Stop()
{
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto r = write(m_stopFd, &one, sizeof one);
        m_thread.join();
    }
    if (m_stopFd >= 0)
        close(m_stopFd);
    m_stopFd = -1;
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    m_monitor = nullptr;
    if (m_udev)
        udev_unref(m_udev);
    m_udev = nullptr;
}

void CUdevMonitor::Run()
{
    const int monitorFd = udev_monitor_get_fd(m_monitor);
    for (;;) {
        pollfd fds[2] = {{m_stopFd, POLLIN, 0}, {monitorFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[0].revents & POLLIN)
            return;
        if ((fds[1].revents & POLLIN) == 0)
            continue;
        udev_device* device = udev_monitor_receive_device(m_monitor);
        if (!device)
            continue;
        const char* action = udev_device_get_action(device);
        const auto change = PortChangeFromUdev(action ? action : "", DescribeUdevDevice(device));
        udev_device_unref(device);
        if (change && m_callback)
            m_callback(change->first, change->second);
    }
}
