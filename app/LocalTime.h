#pragma once

#include "model/DecimalSeparator.h" // AdoptUserLocale

// Qt
#include <QString>

// The current local time formatted with strftime in the user's locale ("%c", "%b_%d"), at
// most `maxChars` characters; empty when it does not fit.
[[nodiscard]] QString FormatLocalTime(const char* format, int maxChars = 40);
