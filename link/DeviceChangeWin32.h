#pragma once

// std
#include <cstdint>
#include <string>

// What a WM_DEVICECHANGE broadcast means for the port list.
enum class PortChangeKind
{
    None,    // another event, another device type, or a header that cannot be trusted
    Arrival, // DBT_DEVICEARRIVAL of a port: add it to the list
    Removal  // DBT_DEVICEREMOVECOMPLETE of a port: remove it from the list
};

// One port arriving or leaving, as the window acts on it.
struct PortChange
{
    PortChangeKind kind = PortChangeKind::None;
    std::string portName; // UTF-8, for example "COM5"; empty when kind is None
};

// Reads the event code (wParam) and broadcast header (lParam) of WM_DEVICECHANGE. Only port
// headers (DBT_DEVTYP_PORT) of arrivals and completed removals count; the name is read no
// further than the header's own size says, so a short or unterminated header gives None.
[[nodiscard]] PortChange ParsePortDeviceChange(std::uintptr_t eventCode, const void* header);
