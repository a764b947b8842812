// Systems without a hot-plug source the program knows: the port list stays as found.
#include "PortWatcher.h"

std::unique_ptr<IPortWatcher> CreatePortWatcher(QWidget& /*window*/)
{
    return std::make_unique<CNoPortWatcher>();
}
