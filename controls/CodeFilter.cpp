#include "CodeFilter.h"

namespace {

constexpr qsizetype kJudgedLength = 19;

bool IsDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool IsMark(QChar c, QChar separator)
{
    return c == separator || c == QLatin1Char('N') || c == QLatin1Char('I');
}

} // namespace

bool CodeCharPasses(QChar typed, QChar separator)
{
    return IsDigit(typed) || typed == QLatin1Char('\b') || typed == separator ||
           typed == QLatin1Char('N') || typed == QLatin1Char('n') || typed == QLatin1Char('I') ||
           typed == QLatin1Char('i');
}

QChar CodeCharToInsert(QChar typed)
{
    if (typed == QLatin1Char('n'))
        return QLatin1Char('N');
    if (typed == QLatin1Char('i'))
        return QLatin1Char('I');
    return typed;
}

CodeKeystroke JudgeCodeKeystroke(QStringView saved, QStringView typedText, QChar typed,
                                 QChar separator)
{
    const QStringView text = typedText.left(kJudgedLength);
    const qsizetype length = text.size();
    if (length >= 1 && IsMark(text.front(), separator))
        return CodeKeystroke::Reject;

    int marks = 0;
    for (qsizetype i = 1; i < length; ++i) {
        const QChar c = text[i];
        if (IsMark(c, separator))
            ++marks;
        else if (!IsDigit(c))
            return CodeKeystroke::Clear;
    }
    if (marks > 1 || length > 5)
        return CodeKeystroke::Reject;

    const qsizetype k = text.indexOf(separator);
    if (k < 0 && marks == 1) {
        if (length > 4)
            return CodeKeystroke::Reject;
        qsizetype letter = text.indexOf(QLatin1Char('I'));
        if (letter < 0)
            letter = text.indexOf(QLatin1Char('N'));
        if (letter != length - 1)
            return CodeKeystroke::Reject;
    } else if (marks == 0 && length > 3) {
        return CodeKeystroke::Reject;
    }
    if (k >= 0 && length - k - 1 > 1)
        return CodeKeystroke::Reject;
    if (saved.left(kJudgedLength).contains(separator) && typed == separator)
        return CodeKeystroke::Reject;
    return CodeKeystroke::Accept;
}
