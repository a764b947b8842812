#pragma once

#include "controls/ListChannelElement.h"
#include "model/ChannelRecord.h"

// Qt
#include <QUndoCommand>

// std
#include <array>
#include <functional>

// What an undo step puts back: every row as it stands (record and texts) and the selections of
// the seven settings combos.
struct GridState
{
    std::array<CListChannelElement::State, kChannelCount> rows;
    std::array<int, 7> settings{};
    bool operator==(const GridState&) const = default;
};

// One undo step as the states before and after it. It is pushed once the change has been made,
// so its first redo (which QUndoStack runs on the push) does nothing.
class CSnapshotCommand : public QUndoCommand
{
public:
    using Apply = std::function<void(const GridState&)>;

    CSnapshotCommand(const QString& text, GridState before, GridState after, Apply apply);

    void undo() override;
    void redo() override;

private:
    GridState m_before;
    GridState m_after;
    Apply m_apply;
    bool m_pushed = false;
};
