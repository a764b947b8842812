#pragma once

// Qt
#include <QString>

// Numbers, the clock and month names follow the user's settings from here on: the C and C++
// locales and the model's decimal separator.
void AdoptUserLocale();

// The current local time formatted with strftime in the user's locale ("%c", "%b_%d"), at
// most `maxChars` characters; empty when it does not fit.
[[nodiscard]] QString FormatLocalTime(const char* format, int maxChars = 40);
