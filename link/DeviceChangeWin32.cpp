#include "link/DeviceChangeWin32.h"

// std
#include <cstddef>
#include <cwchar>
#include <string>

// clang-format off
#include <windows.h> // first: the other Windows headers need its types
#include <dbt.h>
// clang-format on

namespace {

std::string ToUtf8(const wchar_t* text, std::size_t length)
{
    if (length == 0)
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), result.data(), size, nullptr,
                        nullptr);
    return result;
}

} // namespace

std::optional<std::pair<PortChange, SerialPortInfo>>
PortChangeFromDeviceBroadcast(std::uintptr_t eventCode, const void* header)
{
    PortChange change;
    if (eventCode == DBT_DEVICEARRIVAL)
        change = PortChange::Arrival;
    else if (eventCode == DBT_DEVICEREMOVECOMPLETE)
        change = PortChange::Removal;
    else
        return std::nullopt;

    if (!header)
        return std::nullopt;
    const auto* common = static_cast<const DEV_BROADCAST_HDR*>(header);
    if (common->dbch_devicetype != DBT_DEVTYP_PORT)
        return std::nullopt;

    const std::size_t nameOffset = offsetof(DEV_BROADCAST_PORT_W, dbcp_name);
    if (common->dbch_size <= nameOffset)
        return std::nullopt;
    const auto* port = static_cast<const DEV_BROADCAST_PORT_W*>(header);
    // The name ends at its terminator or at the end of the header, whichever comes first.
    const std::size_t capacity = (common->dbch_size - nameOffset) / sizeof(wchar_t);
    std::string name = ToUtf8(port->dbcp_name, wcsnlen(port->dbcp_name, capacity));
    if (name.empty())
        return std::nullopt;
    return std::make_pair(change, SerialPortInfo{std::move(name), {}});
}
