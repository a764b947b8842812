#include "UserPrompts.h"

// Qt
#include <QFileDialog>
#include <QMessageBox>

namespace {

const QString kFilter = QStringLiteral("*.kt (*.kt)");

} // namespace

void CQtUserPrompts::Message(QWidget* owner, Icon icon, const QString& text, const QString& caption)
{
    QMessageBox box(owner);
    box.setIcon(icon == Icon::Information ? QMessageBox::Information
                : icon == Icon::Warning   ? QMessageBox::Warning
                                          : QMessageBox::Critical);
    box.setWindowTitle(caption);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

QString CQtUserPrompts::OpenFileName(QWidget* owner)
{
    return QFileDialog::getOpenFileName(owner, QString(), QString(), kFilter);
}

QString CQtUserPrompts::SaveFileName(QWidget* owner, const QString& defaultName)
{
    // No suffix is appended: a name typed without ".kt" is saved as typed.
    return QFileDialog::getSaveFileName(owner, QString(), defaultName, kFilter);
}
