#include "ChannelListModel.h"

#include "ChannelList.h"

CChannelListModel::CChannelListModel(CChannelList* list) : QAbstractTableModel(list), m_list(list)
{}

int CChannelListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_list->GetCount();
}

int CChannelListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant CChannelListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    if (index.column() == 0)
        return QString::number(index.row() + 1);
    const CListChannelElement* row = m_list->GetItemAt(index.row());
    return row != nullptr ? row->GetText(index.column()) : QString();
}

QVariant CChannelListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    (void)section;
    (void)orientation;
    (void)role;
    return {};
}

void CChannelListModel::BeginAppendRow(int row)
{
    beginInsertRows({}, row, row);
}

void CChannelListModel::EndAppendRow()
{
    endInsertRows();
}

void CChannelListModel::SetColumnCount(int count)
{
    if (count == m_columns)
        return;
    if (count > m_columns) {
        beginInsertColumns({}, m_columns, count - 1);
        m_columns = count;
        endInsertColumns();
    } else {
        beginRemoveColumns({}, count, m_columns - 1);
        m_columns = count;
        endRemoveColumns();
    }
}

void CChannelListModel::RowChanged(int row)
{
    if (row >= 0 && row < rowCount() && m_columns > 0)
        Q_EMIT dataChanged(index(row, 0), index(row, m_columns - 1), {Qt::DisplayRole});
}
