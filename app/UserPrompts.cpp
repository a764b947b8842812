#include "UserPrompts.h"

// Qt
#include <QFileDialog>
#include <QMessageBox>

namespace {

QString Filter(IUserPrompts::FileKind kind)
{
    return kind == IUserPrompts::FileKind::Spreadsheet ? QStringLiteral("*.csv (*.csv)")
                                                       : QStringLiteral("*.kt (*.kt)");
}

// The box wraps long texts by the Unicode line rules, which also break after a hyphen or a
// slash ("COM-" | "порта"). Word joiners (zero width, not shown) on both sides of every sign
// between two non-spaces leave the spaces as the only places to wrap.
QString WrappedOnlyAtSpaces(const QString& text)
{
    constexpr QChar kWordJoiner(0x2060);
    QString out;
    out.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool sign = !c.isSpace() && !c.isLetterOrNumber();
        if (sign && i > 0 && !text[i - 1].isSpace())
            out += kWordJoiner;
        out += c;
        if (sign && i + 1 < text.size() && !text[i + 1].isSpace())
            out += kWordJoiner;
    }
    return out;
}

} // namespace

void CQtUserPrompts::Message(QWidget* owner, Icon icon, const QString& text, const QString& caption)
{
    QMessageBox box(owner);
    box.setIcon(icon == Icon::Information ? QMessageBox::Information
                : icon == Icon::Warning   ? QMessageBox::Warning
                                          : QMessageBox::Critical);
    box.setWindowTitle(caption);
    box.setText(WrappedOnlyAtSpaces(text));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

QString CQtUserPrompts::OpenFileName(QWidget* owner, FileKind kind)
{
    return QFileDialog::getOpenFileName(owner, QString(), QString(), Filter(kind));
}

QString CQtUserPrompts::SaveFileName(QWidget* owner, const QString& defaultName, FileKind kind)
{
    // No suffix is appended: a name typed without ".kt" is saved as typed.
    return QFileDialog::getSaveFileName(owner, QString(), defaultName, Filter(kind));
}
