#pragma once

// Qt
#include <QChar>
#include <QString>

// std
#include <algorithm>

// A single-line typing box as the editors' native windows are: text, caret, selection and a
// character limit. A typed character replaces the selection (or goes in at the caret) unless
// the limit would be passed; backspace removes the selection or the character before the caret.
struct CFuzzLineEdit
{
    QString text;
    qsizetype caret = 0;
    qsizetype selStart = 0; // the selection is [selStart, selStart + selLength)
    qsizetype selLength = 0;
    qsizetype maxLength = 255;

    void SetText(const QString& t)
    {
        text = t.left(maxLength);
        caret = text.size();
        selStart = caret;
        selLength = 0;
    }
    void MoveCaret(qsizetype to)
    {
        caret = std::clamp<qsizetype>(to, 0, text.size());
        selStart = caret;
        selLength = 0;
    }
    void Select(qsizetype from, qsizetype length)
    {
        selStart = std::clamp<qsizetype>(from, 0, text.size());
        selLength = std::clamp<qsizetype>(length, 0, text.size() - selStart);
        caret = selStart + selLength;
    }
    void Type(QChar c)
    {
        if (selLength > 0) {
            if (c != QLatin1Char('\b') && text.size() - selLength + 1 > maxLength)
                return;
            text.remove(selStart, selLength);
            caret = selStart;
            selLength = 0;
            if (c == QLatin1Char('\b'))
                return;
        } else if (c == QLatin1Char('\b')) {
            if (caret > 0)
                text.remove(--caret, 1);
            selStart = caret;
            return;
        } else if (text.size() + 1 > maxLength) {
            return;
        }
        text.insert(caret++, c);
        selStart = caret;
    }
};
