#pragma once

// Qt
#include <QString>

class QWidget;

// How the main window tells and asks the user: message boxes and file dialogs. Tests put in
// their own answers; the program uses CQtUserPrompts.
class IUserPrompts
{
public:
    enum class Icon
    {
        Information,
        Warning,
        Error
    };

    // What a file dialog offers: the program's ".kt" files or spreadsheet CSV.
    enum class FileKind
    {
        DataFile,
        Spreadsheet
    };

    virtual ~IUserPrompts() = default;
    // A modal box with one OK button.
    virtual void Message(QWidget* owner, Icon icon, const QString& text,
                         const QString& caption) = 0;
    // An existing file to open; empty when cancelled.
    virtual QString OpenFileName(QWidget* owner, FileKind kind = FileKind::DataFile) = 0;
    // Where to save; empty when cancelled. Choosing an existing file asks before replacing it.
    virtual QString SaveFileName(QWidget* owner, const QString& defaultName,
                                 FileKind kind = FileKind::DataFile) = 0;
};

// Qt's message boxes and file dialogs ("*.kt", or "*.csv" for spreadsheets).
class CQtUserPrompts : public IUserPrompts
{
public:
    void Message(QWidget* owner, Icon icon, const QString& text, const QString& caption) override;
    QString OpenFileName(QWidget* owner, FileKind kind) override;
    QString SaveFileName(QWidget* owner, const QString& defaultName, FileKind kind) override;
};
