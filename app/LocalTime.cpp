#include "LocalTime.h"
#include "model/DecimalSeparator.h"

// std
#include <clocale>
#include <ctime>
#include <cwchar>
#include <locale>
#include <stdexcept>
#include <string>

void AdoptUserLocale()
{
    std::setlocale(LC_ALL, "");
    try {
        std::locale::global(std::locale(""));
    } catch (const std::runtime_error&) {
        // A user locale the C++ library does not know: the C runtime's locale still applies.
    }
    ApplyDecimalSeparator(LocaleDecimalSeparator());
}

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
