#include "app/SingleInstanceWin32.h"

#include <gtest/gtest.h>

// std
#include <string>

// system
#include <windows.h>

namespace {

constexpr DWORD kFirstCopy = 0;
constexpr DWORD kSecondCopy = 3;

std::wstring ChildPath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring result = path;
    result.resize(result.find_last_of(L"\\/") + 1);
    return result + L"vorlend_single_instance_child.exe";
}

// Runs the second copy in its own process, pumping this thread's messages meanwhile (the
// child's ShowWindow on our window is delivered through them). Its exit code, or ~0u.
DWORD RunSecondCopy(const std::wstring& mutexName, const std::wstring& windowTitle)
{
    std::wstring commandLine =
        L"\"" + ChildPath() + L"\" \"" + mutexName + L"\" \"" + windowTitle + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return ~0u;
    CloseHandle(process.hThread);
    const ULONGLONG deadline = GetTickCount64() + 30000;
    while (GetTickCount64() < deadline) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0)
            break;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    DWORD exitCode = ~0u;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    return exitCode;
}

// A top-level window standing in for the first copy's main window.
class FirstCopyWindow
{
public:
    explicit FirstCopyWindow(const wchar_t* title)
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VorlendSingleInstanceTestWindow";
        RegisterClassW(&windowClass);
        m_window = CreateWindowExW(0, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW,
                                   CW_USEDEFAULT, CW_USEDEFAULT, 300, 200, nullptr, nullptr,
                                   windowClass.hInstance, nullptr);
    }
    ~FirstCopyWindow()
    {
        if (m_window)
            DestroyWindow(m_window);
    }
    FirstCopyWindow(const FirstCopyWindow&) = delete;
    FirstCopyWindow& operator=(const FirstCopyWindow&) = delete;
    [[nodiscard]] HWND Handle() const { return m_window; }

private:
    HWND m_window = nullptr;
};

std::wstring UniqueName(const wchar_t* stem)
{
    return std::wstring(stem) + L" " + std::to_wstring(GetCurrentProcessId()) + L" " +
           std::to_wstring(GetTickCount64());
}

TEST(SingleInstance, NamesAreTheProgramsOwn)
{
    EXPECT_STREQ(kInstanceMutexName, L"VORLEND RADIO SOFTWARE VER2.0");
    EXPECT_STREQ(kMainWindowTitle, L"Программное обеспечение ВОРЛЕНД");
}

// The full rule across two processes, with the program's own names: the first copy holds the
// mutex and shows its window minimised; the second finds it, restores it and ends.
TEST(SingleInstance, SecondCopyRestoresTheFirstCopysWindowAndEnds)
{
    FirstCopyWindow window(kMainWindowTitle);
    ASSERT_NE(window.Handle(), nullptr);
    ShowWindow(window.Handle(), SW_SHOWMINIMIZED);
    ASSERT_TRUE(IsIconic(window.Handle()));

    ASSERT_TRUE(ClaimSingleInstance());
    EXPECT_EQ(RunSecondCopy(kInstanceMutexName, kMainWindowTitle), kSecondCopy);
    EXPECT_FALSE(IsIconic(window.Handle()));
    EXPECT_TRUE(IsWindowVisible(window.Handle()));
}

TEST(SingleInstance, FirstCopyOfAnotherNameRuns)
{
    const std::wstring name = UniqueName(L"VORLEND test instance");
    EXPECT_EQ(RunSecondCopy(name, L"no such window"), kFirstCopy);
    // The child's mutex ended with the child, so this process is a first copy too.
    EXPECT_TRUE(ClaimSingleInstance(name.c_str(), L"no such window"));
}

TEST(SingleInstance, SecondCopyEndsWhenTheFirstHasNoWindowYet)
{
    const std::wstring name = UniqueName(L"VORLEND test starting");
    ASSERT_TRUE(ClaimSingleInstance(name.c_str(), L"no such window"));
    EXPECT_EQ(RunSecondCopy(name, L"no such window"), kSecondCopy);
    // Within one process a second claim also sees the held mutex.
    EXPECT_FALSE(ClaimSingleInstance(name.c_str(), L"no such window"));
}

} // namespace
