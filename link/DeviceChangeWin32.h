#pragma once

#include "link/PortDiscovery.h"

// std
#include <cstdint>
#include <optional>
#include <utility>

// Turns a WM_DEVICECHANGE broadcast (event code = wParam, header = lParam) into a port change:
// DBT_DEVICEARRIVAL and DBT_DEVICEREMOVECOMPLETE of a port header (DBT_DEVTYP_PORT) carry the
// port's name, for example COM5. Other events, other device types, a null header, or a name
// that is empty within the header's own size give nothing; the name is never read past
// the size the header states.
[[nodiscard]] std::optional<std::pair<PortChange, SerialPortInfo>>
PortChangeFromDeviceBroadcast(std::uintptr_t eventCode, const void* header);
