// Fuzz target: the squelch-code editor's character filter. A typing session (caret moves,
// selections, any character) that starts from a cell's text; every text the filter keeps has
// one of the code shapes, and every entry of the code table typed from the left is kept whole.
// Input: the separator byte (even ',', odd '.'), two bytes of the cell's code, then actions.

#include "FuzzLineEdit.h"
#include "FuzzSupport.h"
#include "controls/CodeFilter.h"
#include "model/DecimalSeparator.h"
#include "model/ToneCode.h"

namespace {

bool IsDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool IsSuffix(QChar c)
{
    return c == QLatin1Char('N') || c == QLatin1Char('I');
}

// Empty; one to three digits; one to three digits and a final N or I; digits, the separator
// and at most one decimal, five characters at most.
bool HasCodeShape(const QString& t, QChar separator)
{
    qsizetype digits = 0;
    while (digits < t.size() && IsDigit(t[digits]))
        ++digits;
    if (digits == t.size())
        return digits <= 3;
    if (digits == 0)
        return false;
    if (IsSuffix(t[digits]))
        return digits <= 3 && digits + 1 == t.size();
    if (t[digits] != separator || t.size() > 5)
        return false;
    return t.size() - digits - 1 <= 1 && (digits + 1 == t.size() || IsDigit(t.back()));
}

QChar Character(CFuzzInput& input, QChar separator)
{
    static const char kLetters[] = {'N', 'n', 'I', 'i', '\b', 'x', ' '};
    switch (input.Byte() % 5) {
    case 0:
    case 1:
        return QLatin1Char(static_cast<char>('0' + input.Byte() % 10));
    case 2:
        return separator;
    case 3:
        return QLatin1Char(kLetters[input.Byte() % sizeof kLetters]);
    default:
        return QChar(input.Le16());
    }
}

// A keystroke as the editor's window handles it.
void Keystroke(CFuzzLineEdit& box, QChar c, QChar separator)
{
    const bool passes = CodeCharPasses(c, separator);
    FUZZ_CHECK(passes == (IsDigit(c) || c == QLatin1Char('\b') || c == separator ||
                          QStringLiteral("NnIi").contains(c)));
    if (!passes)
        return;
    const QChar inserted = CodeCharToInsert(c);
    FUZZ_CHECK(inserted == (c == QLatin1Char('n')   ? QLatin1Char('N')
                            : c == QLatin1Char('i') ? QLatin1Char('I')
                                                    : c));
    const CFuzzLineEdit saved = box;
    box.Type(inserted);
    const CodeKeystroke outcome = JudgeCodeKeystroke(saved.text, box.text, inserted, separator);
    FUZZ_CHECK(outcome == JudgeCodeKeystroke(saved.text, box.text, inserted, separator));
    switch (outcome) {
    case CodeKeystroke::Accept:
        // From a text of a code shape, typing leads only to code shapes; from anything else
        // (the cell's "Нет"), at least nothing but digits, separators and suffixes follows the
        // first character.
        if (HasCodeShape(saved.text, separator)) {
            FUZZ_CHECK(HasCodeShape(box.text, separator));
        } else {
            for (qsizetype i = 1; i < box.text.size(); ++i)
                FUZZ_CHECK(IsDigit(box.text[i]) || IsSuffix(box.text[i]) ||
                           box.text[i] == separator);
        }
        break;
    case CodeKeystroke::Reject:
        box = saved;
        break;
    case CodeKeystroke::Clear: {
        // Only a foreign character behind the first one empties the box.
        bool foreign = false;
        for (qsizetype i = 1; i < box.text.size(); ++i)
            foreign = foreign ||
                      !(IsDigit(box.text[i]) || IsSuffix(box.text[i]) || box.text[i] == separator);
        FUZZ_CHECK(foreign);
        box.SetText(QString());
        break;
    }
    }
}

// A table entry typed from the left into an empty box, suffixes in either case: every key is
// kept and the box ends up holding the entry.
void TypeTableEntry(CFuzzInput& input, QChar separator)
{
    const auto& table = ToneTextTable();
    const std::size_t index = 1 + input.Byte() % (table.size() - 1); // not "Нет"
    const QString entry = QString::fromStdString(table[index]);
    const bool lowerCase = input.Bool();
    CFuzzLineEdit box;
    for (QChar c : entry) {
        const QString before = box.text;
        Keystroke(box, lowerCase ? c.toLower() : c, separator);
        FUZZ_CHECK(box.text == before + c);
    }
    FUZZ_CHECK(box.text == entry);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CFuzzInput input(data, size);
    const char held = input.Bool() ? '.' : ',';
    ApplyDecimalSeparator(held);
    const QChar separator = QLatin1Char(held);

    CFuzzLineEdit box;
    box.SetText(QString::fromStdString(FormatToneCode(input.Le16()))); // the cell's text

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
            box.Select(input.Byte() % (box.text.size() + 1), input.Byte() % 6);
            break;
        default:
            TypeTableEntry(input, separator);
            break;
        }
    }
    return 0;
}
