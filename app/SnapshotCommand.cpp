#include "SnapshotCommand.h"

// std
#include <utility>

CSnapshotCommand::CSnapshotCommand(const QString& text, GridState before, GridState after,
                                   Apply apply)
    : QUndoCommand(text), m_before(std::move(before)), m_after(std::move(after)),
      m_apply(std::move(apply))
{}

void CSnapshotCommand::undo()
{
    m_apply(m_before);
}

void CSnapshotCommand::redo()
{
    if (!m_pushed) {
        m_pushed = true;
        return;
    }
    m_apply(m_after);
}
