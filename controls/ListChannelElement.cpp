#include "ListChannelElement.h"

#include "ChannelList.h"
#include "model/CellText.h"

void CListChannelElement::SetOwner(CChannelList* owner, int index)
{
    m_owner = owner;
    m_index = index;
}

bool CListChannelElement::SetCellText(int column, const QString& text)
{
    if (m_owner == nullptr || column < 0 || column >= m_owner->GetColumnCount())
        return false;
    if (m_texts[column] == text)
        return false;
    QString kept = text;
    if (!text.isEmpty() && column != kColNumber) {
        const auto result = ApplyCellText(m_record, column, text.toStdString());
        if (!result)
            return false;
        kept = QString::fromStdString(*result);
    }
    m_texts[column] = kept;
    m_owner->RowChanged(m_index);
    return true;
}

QString CListChannelElement::GetText(int column) const
{
    if (column <= kColNumber || column >= kMaxColumns)
        return {};
    return m_texts[column];
}

void CListChannelElement::SetChannelRecord(const ChannelRecord& record)
{
    m_record = record;
    for (int column = kColRxFreq; column < kColumnCount; ++column)
        m_texts[column] = QString::fromStdString(CellTextFromRecord(m_record, column));
    if (m_owner != nullptr)
        m_owner->RowChanged(m_index);
}

void CListChannelElement::SetState(const State& state)
{
    m_record = state.record;
    m_texts = state.texts;
    if (m_owner != nullptr)
        m_owner->RowChanged(m_index);
}
