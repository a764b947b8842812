#include "app/SingleInstanceWin32.h"

// system
#include <windows.h>

namespace {

// The first copy may still be starting or closing: then there is no window to show.
void ShowFirstCopy(const wchar_t* windowTitle)
{
    if (HWND window = FindWindowW(nullptr, windowTitle)) {
        ShowWindow(window, SW_SHOWNORMAL);
        SetForegroundWindow(window);
    }
}

} // namespace

bool ClaimSingleInstance(const wchar_t* mutexName, const wchar_t* windowTitle)
{
    if (HANDLE existing = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, mutexName)) {
        CloseHandle(existing);
        ShowFirstCopy(windowTitle);
        return false;
    }
    // Kept open for the life of the process; the system releases it when the process ends.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, mutexName);
    // Two copies started together may both miss the mutex above; the later create sees it.
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        ShowFirstCopy(windowTitle);
        return false;
    }
    return true;
}
