#include "FreqFilter.h"

namespace {

// The box never holds more than this many characters of interest; longer texts are judged on
// their first 19 characters, as the edit's text is read into a fixed buffer.
constexpr qsizetype kJudgedLength = 19;
constexpr qsizetype kMaxLength = 9;
constexpr qsizetype kMaxDecimals = 5;
constexpr qsizetype kMaxIntegerDigits = 3;

} // namespace

bool FreqCharPasses(QChar typed, QChar separator)
{
    return (typed >= QLatin1Char('0') && typed <= QLatin1Char('9')) || typed == QLatin1Char('\b') ||
           typed == separator;
}

bool FreqKeystrokeAccepted(QStringView saved, QStringView typedText, QChar typed, QChar separator)
{
    const QStringView text = typedText.left(kJudgedLength);
    const QStringView before = saved.left(kJudgedLength);
    const qsizetype length = text.size();
    const qsizetype k = text.indexOf(separator);
    if (length > kMaxLength)
        return false;
    if (k > 0 && length - k - 1 > kMaxDecimals)
        return false;
    if (k <= 0 && length > kMaxIntegerDigits)
        return false;
    if (length >= 1 && text.front() == separator)
        return false;
    if (before.contains(separator) && typed == separator)
        return false;
    return true;
}
