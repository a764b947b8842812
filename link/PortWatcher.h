#pragma once

#include "link/PortDiscovery.h"

// std
#include <functional>

// Serial devices coming and going, as a platform reports them (udev on Linux, the window's
// WM_DEVICECHANGE broadcasts on Windows; nothing elsewhere).
//
// Threads: Start and Stop from the owner's thread; the callback may run on a thread of the
// watcher's own and must then not wait for the owner's thread (post, don't send).
class IPortWatcher
{
public:
    using Callback = std::function<void(PortChange, const SerialPortInfo&)>;

    virtual ~IPortWatcher() = default;
    // False when changes cannot be watched here (no udev socket, as in some containers): the
    // port list then stays as found.
    virtual bool Start(Callback callback) = 0;
    // The callback is not called after Stop returns.
    virtual void Stop() = 0;
};

// A platform without a source of changes.
class CNoPortWatcher final : public IPortWatcher
{
public:
    bool Start(Callback /*callback*/) override { return false; }
    void Stop() override {}
};
