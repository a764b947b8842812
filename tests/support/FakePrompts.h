#pragma once

#include "app/UserPrompts.h"

// Qt
#include <QStringList>

// std
#include <vector>

// Answers the main window's boxes and dialogs in place of a person and records what it was
// shown. The state is shared, so a test keeps reading it after the window took ownership.
class CFakePrompts : public IUserPrompts
{
public:
    struct Shown
    {
        Icon icon;
        QString text;
        QString caption;
    };
    struct State
    {
        std::vector<Shown> messages;
        QStringList openAnswers; // next answers of the open dialog ("" = cancel)
        QStringList saveAnswers;
        QString lastDefaultName;
        FileKind lastKind = FileKind::DataFile; // of the last file dialog
    };

    explicit CFakePrompts(State& state) : m_state(state) {}

    void Message(QWidget*, Icon icon, const QString& text, const QString& caption) override
    {
        m_state.messages.push_back({icon, text, caption});
    }
    QString OpenFileName(QWidget*, FileKind kind) override
    {
        m_state.lastKind = kind;
        return m_state.openAnswers.isEmpty() ? QString() : m_state.openAnswers.takeFirst();
    }
    QString SaveFileName(QWidget*, const QString& defaultName, FileKind kind) override
    {
        m_state.lastKind = kind;
        m_state.lastDefaultName = defaultName;
        return m_state.saveAnswers.isEmpty() ? QString() : m_state.saveAnswers.takeFirst();
    }

private:
    State& m_state;
};
