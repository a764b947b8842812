#pragma once

// Qt
#include <QAbstractTableModel>

class CChannelList;

// Exposes the grid's rows to the body view: one row per CListChannelElement, one column per
// header item. The rows stay in the grid; this only reports them and their changes.
class CChannelListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit CChannelListModel(CChannelList* list);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

    void BeginAppendRow(int row);
    void EndAppendRow();
    void SetColumnCount(int count);
    void RowChanged(int row);

private:
    CChannelList* m_list;
    int m_columns = 0;
};
