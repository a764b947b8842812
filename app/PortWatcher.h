#pragma once

#include "link/PortWatcher.h"

// std
#include <memory>

class QWidget;

// The platform's source of serial device changes for the main window `window` (CMake builds
// one of PortWatcherUdev.cpp, PortWatcherWin32.cpp, PortWatcherNone.cpp).
[[nodiscard]] std::unique_ptr<IPortWatcher> CreatePortWatcher(QWidget& window);
