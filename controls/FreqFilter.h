#pragma once

// Qt
#include <QStringView>

// Decides one keystroke in a frequency typing box: the box's text before the keystroke, its
// text after the edit processed the character, the typed character and the held separator.
// Returns false when the keystroke must be undone (text and selection put back).
[[nodiscard]] bool FreqKeystrokeAccepted(QStringView saved, QStringView typedText, QChar typed,
                                         QChar separator);

// Characters that reach the frequency box at all: digits, backspace and the held separator.
// Everything else (letters, blanks, the other separator, clipboard control characters) is
// dropped before the edit sees it.
[[nodiscard]] bool FreqCharPasses(QChar typed, QChar separator);
