#include "link/SerialPortsWin32.h"

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

} // namespace

std::string PortNameFromFriendlyName(std::string_view friendlyName)
{
    std::string_view inside = friendlyName;
    if (const auto open = inside.find('('); open != std::string_view::npos)
        inside.remove_prefix(open + 1);
    const auto close = inside.find(')');
    if (close == std::string_view::npos)
        return {};
    inside = inside.substr(0, close);
    const auto end = inside.find_first_not_of("COM0123456789");
    if (end != std::string_view::npos)
        inside = inside.substr(0, end);
    if (inside.size() <= 3)
        return {};
    return std::string(inside);
}

bool EnumerateSerialPortsWin32(std::vector<std::string>& names)
{
    names.clear();
    HDEVINFO devices = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE)
        return false;

    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    DWORD index = 0;
    while (SetupDiEnumDeviceInfo(devices, index++, &device)) {
        std::string name = PortNameFromFriendlyName(ToUtf8(FriendlyName(devices, device)));
        if (!name.empty())
            names.push_back(std::move(name));
    }
    const DWORD error = GetLastError();
    SetupDiDestroyDeviceInfoList(devices);
    return error == ERROR_SUCCESS || error == ERROR_NO_MORE_ITEMS;
}
