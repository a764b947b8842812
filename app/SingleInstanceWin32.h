#pragma once

// The names by which copies of the program find each other.
inline constexpr const wchar_t* kInstanceMutexName = L"VORLEND RADIO SOFTWARE VER2.0";
inline constexpr const wchar_t* kMainWindowTitle = L"Программное обеспечение ВОРЛЕНД";

// Enforces one running copy through a named mutex. Returns true when this process is the
// first copy: it now holds the mutex until it ends. Returns false when another copy holds it;
// that copy's window (found by its title, any class) has then been restored to its normal
// size and brought to the front, and the caller should end with exit code 0.
[[nodiscard]] bool ClaimSingleInstance(const wchar_t* mutexName = kInstanceMutexName,
                                       const wchar_t* windowTitle = kMainWindowTitle);
