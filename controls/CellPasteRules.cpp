#include "CellPasteRules.h"

#include "CodeFilter.h"
#include "FilteredLineEdit.h"
#include "FreqFilter.h"
#include "model/CellText.h"
#include "model/ToneCode.h"
#include "model/ValueText.h"

// std
#include <algorithm>

namespace {

// The text typed key by key into an empty frequency box: every keystroke must stay.
bool TypesAsFrequency(const QString& text)
{
    const QChar separator = HeldSeparator();
    QString box;
    for (const QChar c : text) {
        if (!FreqCharPasses(c, separator) || c == QLatin1Char('\b'))
            return false;
        const QString next = box + c;
        if (!FreqKeystrokeAccepted(box, next, c, separator))
            return false;
        box = next;
    }
    return true;
}

// The same in the code box; the box turns n and i into suffixes as they are typed.
std::optional<QString> TypesAsCode(const QString& text)
{
    const QChar separator = HeldSeparator();
    QString box;
    for (const QChar typed : text) {
        if (!CodeCharPasses(typed, separator) || typed == QLatin1Char('\b'))
            return std::nullopt;
        const QChar c = CodeCharToInsert(typed);
        const QString next = box + c;
        if (JudgeCodeKeystroke(box, next, c, separator) != CodeKeystroke::Accept)
            return std::nullopt;
        box = next;
    }
    return box;
}

} // namespace

std::optional<QString> PastedCellText(int column, const QString& text)
{
    if (text.isEmpty())
        return text;
    const std::string utf8 = text.toStdString();
    switch (column) {
    case kColRxFreq:
    case kColTxFreq: {
        const auto hz = ParseFrequency(utf8);
        if (!hz)
            return std::nullopt;
        if (TypesAsFrequency(text) || FormatFrequency(*hz) == utf8)
            return text;
        return std::nullopt;
    }
    case kColRxCode:
    case kColTxCode: {
        const auto& table = ToneTextTable();
        if (std::find(table.begin(), table.end(), utf8) != table.end())
            return text;
        const ParsedTone shown = ParseToneCode(utf8);
        if (shown.valid && FormatToneCode(shown.code) == utf8)
            return text;
        const std::optional<QString> typed = TypesAsCode(text);
        if (!typed || !ParseToneCode(typed->toStdString()).valid)
            return std::nullopt;
        return typed;
    }
    case kColPower:
    case kColWidth:
    case kColScan: {
        for (const char* choice : kChoiceTexts[column - kColPower]) {
            if (utf8 == choice)
                return text;
        }
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}
