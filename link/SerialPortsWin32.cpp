// Serial port discovery on Windows: the present devices of the ports class, named by the COM
// name in their friendly names, plus the names listed in VORLEND_SERIAL_PORTS.

#include "link/PortDiscovery.h"

// std
#include <cstdlib>

// clang-format off
#include <windows.h> // first: the other Windows headers need its types
#include <devguid.h>
#include <setupapi.h>
// clang-format on

namespace {

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                        nullptr, nullptr);
    return result;
}

std::wstring ToWide(const std::string& text)
{
    if (text.empty())
        return {};
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (size <= 0)
        return {};
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                        size);
    return result;
}

// The device's friendly name, or "" when it has none or it cannot be read.
std::wstring FriendlyName(HDEVINFO devices, SP_DEVINFO_DATA& device)
{
    std::vector<BYTE> buffer(256);
    for (;;) {
        DWORD required = 0;
        if (SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                              buffer.data(), static_cast<DWORD>(buffer.size()),
                                              &required))
            break;
        // Grow only while the call asks for more; any other failure means no name.
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || required <= buffer.size())
            return {};
        buffer.resize(required);
    }
    // The property is a REG_SZ whose terminator the buffer may lack: bound it by the buffer.
    const auto* text = reinterpret_cast<const wchar_t*>(buffer.data());
    const std::size_t capacity = buffer.size() / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < capacity && text[length] != L'\0')
        ++length;
    return std::wstring(text, length);
}

// A DOS device name such as COM5 that the system knows (also a port Wine maps to a file).
bool DosDeviceExists(const std::string& name)
{
    const std::wstring wide = ToWide(name);
    wchar_t target[1024];
    return !wide.empty() && QueryDosDeviceW(wide.c_str(), target, 1024) != 0;
}

} // namespace

bool EnumerateSerialPortInfos(std::vector<SerialPortInfo>& ports)
{
    ports.clear();
    bool ok = false;
    HDEVINFO devices = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (devices != INVALID_HANDLE_VALUE) {
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof(device);
        for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
            const std::string description = ToUtf8(FriendlyName(devices, device));
            std::string name = ComNameFromFriendlyName(description);
            if (!name.empty())
                ports.push_back({std::move(name), description});
        }
        const DWORD error = GetLastError();
        ok = error == ERROR_SUCCESS || error == ERROR_NO_MORE_ITEMS;
        // Released on every path, not only when the enumeration ended normally.
        SetupDiDestroyDeviceInfoList(devices);
    }

    if (const char* extra = std::getenv(kExtraPortsVariable)) {
        for (const std::string& name : ExtraPortsFromList(extra, DosDeviceExists))
            ports.push_back({name, {}});
    }
    return ok;
}
