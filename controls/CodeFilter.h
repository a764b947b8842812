#pragma once

// Qt
#include <QStringView>

// What becomes of one keystroke in the squelch-code typing box.
enum class CodeKeystroke
{
    Accept, // the new text stays
    Reject, // text and selection are put back as they were before the keystroke
    Clear   // a foreign character is in the text (typing behind "Нет"): the box is emptied
};

// Characters that reach the code box at all: digits, backspace, the held separator, N, n, I, i.
[[nodiscard]] bool CodeCharPasses(QChar typed, QChar separator);
// The character the edit is given: 'n' and 'i' become suffixes 'N' and 'I'.
[[nodiscard]] QChar CodeCharToInsert(QChar typed);
// Judges the box's text after the edit processed the (converted) character. The code shapes
// that survive are: 1-3 digits; digits with a final N or I, 4 characters at most; digits, the
// separator and one decimal, 5 characters at most.
[[nodiscard]] CodeKeystroke JudgeCodeKeystroke(QStringView saved, QStringView typedText,
                                               QChar typed, QChar separator);
