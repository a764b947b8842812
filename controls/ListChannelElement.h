#pragma once

#include "model/ChannelRecord.h"

// Qt
#include <QString>

// std
#include <array>

class CChannelList;

// One grid row: the channel's record (the authoritative copy of its data) and the texts of its
// cells. Cell texts are re-encoded into the record field of their column as they change.
class CListChannelElement
{
public:
    // The grid never has more columns than this.
    static constexpr int kMaxColumns = 32;

    CListChannelElement() = default;
    CListChannelElement(const CListChannelElement&) = delete;
    CListChannelElement& operator=(const CListChannelElement&) = delete;

    [[nodiscard]] static QString GetClass() { return QStringLiteral("CListChannelElement"); }

    // Changes one cell and, for a non-empty text, the record field behind it. An unchanged text
    // does nothing. A code the model rejects is kept as the text of the code actually stored; a
    // frequency the record cannot hold leaves both the cell and the record as they were.
    // Returns false when nothing changed.
    bool SetCellText(int column, const QString& text);
    // The cell's text; empty for column 0 (painted, never stored) and for a cell never set.
    [[nodiscard]] QString GetText(int column) const;

    // Takes a copy of the record and renders cells 1 to 7 from it.
    void SetChannelRecord(const ChannelRecord& record);
    [[nodiscard]] ChannelRecord GetChannelRecord() const { return m_record; }

    // The record with the texts as they stand, which a render of the record alone cannot give
    // back (an emptied channel keeps its bytes; a typed code keeps its typed text).
    struct State
    {
        ChannelRecord record;
        std::array<QString, kMaxColumns> texts;
        bool operator==(const State&) const = default;
    };
    [[nodiscard]] State GetState() const { return {m_record, m_texts}; }
    // Puts a state taken before back as it was; nothing is parsed.
    void SetState(const State& state);

    [[nodiscard]] CChannelList* GetOwner() const { return m_owner; }
    // Row index in the grid's body, -1 while not in a grid.
    [[nodiscard]] int GetIndex() const { return m_index; }

private:
    friend class CChannelList;
    void SetOwner(CChannelList* owner, int index);

    CChannelList* m_owner = nullptr;
    int m_index = -1;
    ChannelRecord m_record;
    std::array<QString, kMaxColumns> m_texts;
};
