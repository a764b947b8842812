#include "LocalTime.h"

// std
#include <ctime>
#include <cwchar>
#include <string>

QString FormatLocalTime(const char* format, int maxChars)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    // Wide formatting: the month names of the user's locale arrive whatever its code page.
    const std::wstring wideFormat(format, format + std::char_traits<char>::length(format));
    std::wstring text(static_cast<std::size_t>(maxChars), L'\0');
    const std::size_t length = std::wcsftime(text.data(), text.size(), wideFormat.c_str(), &local);
    text.resize(length);
    return QString::fromStdWString(text);
}
