// Fuzz target: the frequency editor's character filter. A typing session in a nine-character
// box (caret moves, selections, any character) that starts from a cell's text; every text the
// filter keeps has a frequency's shape, and every frequency typed from the left is kept whole.
// Input: the separator byte (even ',', odd '.'), four bytes of the cell's hertz, then actions.

#include "FuzzLineEdit.h"
#include "FuzzSupport.h"
#include "controls/FreqFilter.h"
#include "model/DecimalSeparator.h"
#include "model/ValueText.h"

namespace {

constexpr qsizetype kFreqMaxChars = 9; // the grid's editors are limited to nine characters

bool IsDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// One to three integer digits, or integer digits, the separator and at most five decimals;
// nine characters at most; empty while typing.
bool HasFrequencyShape(const QString& t, QChar separator)
{
    if (t.size() > kFreqMaxChars)
        return false;
    const qsizetype k = t.indexOf(separator);
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (i != k && !IsDigit(t[i]))
            return false;
    }
    if (k < 0)
        return t.size() <= 3;
    return k > 0 && t.size() - k - 1 <= 5;
}

QChar Character(CFuzzInput& input, QChar separator)
{
    switch (input.Byte() % 6) {
    case 0:
    case 1:
        return QLatin1Char(static_cast<char>('0' + input.Byte() % 10));
    case 2:
        return separator;
    case 3:
        return QLatin1Char('\b');
    case 4:
        return separator == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(',');
    default:
        return QChar(input.Le16()); // anything at all, surrogate halves included
    }
}

// A keystroke as the editor's window handles it.
void Keystroke(CFuzzLineEdit& box, QChar c, QChar separator)
{
    const bool passes = FreqCharPasses(c, separator);
    FUZZ_CHECK(passes == (IsDigit(c) || c == QLatin1Char('\b') || c == separator));
    if (!passes)
        return;
    const CFuzzLineEdit saved = box;
    box.Type(c);
    const bool accepted = FreqKeystrokeAccepted(saved.text, box.text, c, separator);
    FUZZ_CHECK(accepted == FreqKeystrokeAccepted(saved.text, box.text, c, separator));
    // Kept exactly when the result has the shape, except a second separator.
    const bool secondSeparator = c == separator && saved.text.contains(separator);
    FUZZ_CHECK(accepted == (HasFrequencyShape(box.text, separator) && !secondSeparator));
    if (!accepted)
        box = saved;
}

// A frequency in its typed form, typed from the left into an empty box: every key is kept.
void TypeWholeFrequency(CFuzzInput& input, QChar separator)
{
    QString typed;
    const int integers = 1 + input.Byte() % 3;
    for (int i = 0; i < integers; ++i)
        typed += QLatin1Char(static_cast<char>('0' + input.Byte() % 10));
    const int decimals = input.Byte() % 7 - 1; // -1: no separator
    if (decimals >= 0) {
        typed += separator;
        for (int i = 0; i < decimals; ++i)
            typed += QLatin1Char(static_cast<char>('0' + input.Byte() % 10));
    }
    CFuzzLineEdit box;
    box.maxLength = kFreqMaxChars;
    for (const QChar c : typed) {
        const QString before = box.text;
        Keystroke(box, c, separator);
        FUZZ_CHECK(box.text == before + c);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CFuzzInput input(data, size);
    const char held = input.Bool() ? '.' : ',';
    ApplyDecimalSeparator(held);
    const QChar separator = QLatin1Char(held);

    CFuzzLineEdit box;
    box.maxLength = kFreqMaxChars;
    const std::uint32_t hz = input.Byte() | (input.Byte() << 8) | (input.Byte() << 16) |
                             (std::uint32_t{input.Byte()} << 24);
    box.text = QString::fromStdString(FormatFrequency(hz)); // the cell's text; not limited
    box.MoveCaret(box.text.size());

    for (int action = 0; action < 200 && !input.Empty(); ++action) {
        switch (input.Byte() % 5) {
        case 0:
        case 1:
            Keystroke(box, Character(input, separator), separator);
            break;
        case 2:
            box.MoveCaret(input.Byte() % (box.text.size() + 1));
            break;
        case 3:
            box.Select(input.Byte() % (box.text.size() + 1), input.Byte() % 10);
            break;
        default:
            TypeWholeFrequency(input, separator);
            break;
        }
    }
    return 0;
}
