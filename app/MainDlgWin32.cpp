// Serial adapters coming and going on Windows: the WM_DEVICECHANGE broadcasts the main window
// receives. Kept apart because <windows.h> renames PostMessage and SendMessage.
#include "MainDlg.h"
#include "link/DeviceChangeWin32.h"

// system
#include <windows.h>

bool CMainDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    const auto* msg = static_cast<const MSG*>(message);
    if (eventType == "windows_generic_MSG" && msg->message == WM_DEVICECHANGE) {
        if (const auto change = PortChangeFromDeviceBroadcast(
                msg->wParam, reinterpret_cast<const void*>(msg->lParam)))
            PortDeviceChanged(change->first == PortChange::Arrival, change->second.name);
    }
    return WindowImplBase::nativeEvent(eventType, message, result);
}
