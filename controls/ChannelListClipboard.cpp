// The grid's rows as clipboard text: picking rows, copying them out, pasting lines in.
#include "CellPasteRules.h"
#include "ChannelList.h"
#include "ChannelListHeader.h"
#include "model/CellText.h"

// Qt
#include <QStringList>

std::vector<int> CChannelList::GetSelectedRows() const
{
    std::vector<int> rows(m_picked.begin(), m_picked.end());
    if (rows.empty() && GetCurSel() >= 0)
        rows.push_back(GetCurSel());
    return rows;
}

bool CChannelList::IsRowSelected(int row) const
{
    return m_picked.empty() ? row == GetCurSel() : m_picked.count(row) != 0;
}

void CChannelList::SelectRows(int first, int last)
{
    if (GetItemAt(first) == nullptr || GetItemAt(last) == nullptr)
        return;
    SelectItem(last);
    m_picked.clear();
    for (int row = std::min(first, last); row <= std::max(first, last); ++row)
        m_picked.insert(row);
    m_pickAnchor = first;
    GetBody()->update();
}

QString CChannelList::RowsText(const std::vector<int>& rows) const
{
    QString text;
    for (const int index : rows) {
        const CListChannelElement* row = GetItemAt(index);
        if (row == nullptr)
            continue;
        QStringList cells;
        for (int column = kColRxFreq; column <= kColScan; ++column)
            cells << row->GetText(column);
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

std::vector<CChannelList::RefusedCell> CChannelList::PasteText(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    // A spreadsheet ends its last line too.
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.pop_back();
    std::vector<RefusedCell> refused;
    if (lines.isEmpty())
        return refused;
    std::vector<int> targets = GetSelectedRows();
    if (targets.size() <= 1) {
        const int first = targets.empty() ? 0 : targets.front();
        targets.clear();
        for (int row = first; row < GetCount() && row - first < lines.size(); ++row)
            targets.push_back(row);
    }
    for (std::size_t i = 0; i < targets.size(); ++i) {
        QString line = lines[static_cast<qsizetype>(i % static_cast<std::size_t>(lines.size()))];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QStringList cells = line.split(QLatin1Char('\t'));
        for (int column = kColRxFreq; column <= kColScan && column <= cells.size(); ++column) {
            const QString& cell = cells[column - 1];
            if (const std::optional<QString> accepted = PastedCellText(column, cell))
                CommitCell(targets[i], column, *accepted);
            else
                refused.push_back({targets[i], column, cell});
        }
    }
    return refused;
}

void CChannelList::BlankRows(const std::vector<int>& rows)
{
    for (const int row : rows)
        CommitCell(row, kColRxFreq, QString());
}

QString CChannelList::GetColumnCaption(int column) const
{
    if (column < 0 || column >= GetColumnCount())
        return {};
    return m_header->GetItem(column).text;
}
