// Linux: udev's hot-plug events, on the monitor's thread.
#include "PortWatcher.h"

#include "link/UdevMonitor.h"

std::unique_ptr<IPortWatcher> CreatePortWatcher(QWidget& /*window*/)
{
    return std::make_unique<CUdevMonitor>();
}
