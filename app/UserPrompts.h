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

    virtual ~IUserPrompts() = default;
    // A modal box with one OK button.
    virtual void Message(QWidget* owner, Icon icon, const QString& text,
                         const QString& caption) = 0;
    // An existing ".kt" file to open; empty when cancelled.
    virtual QString OpenFileName(QWidget* owner) = 0;
    // Where to save; empty when cancelled. Choosing an existing file asks before replacing it.
    virtual QString SaveFileName(QWidget* owner, const QString& defaultName) = 0;
};

// Qt's message boxes and file dialogs with the "*.kt" filter.
class CQtUserPrompts : public IUserPrompts
{
public:
    void Message(QWidget* owner, Icon icon, const QString& text, const QString& caption) override;
    QString OpenFileName(QWidget* owner) override;
    QString SaveFileName(QWidget* owner, const QString& defaultName) override;
};
