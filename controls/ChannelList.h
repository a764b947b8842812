#pragma once

#include "ListChannelElement.h"
#include "toolkit/ControlUI.h"

// Qt
#include <QElapsedTimer>
#include <QPointer>

// std
#include <array>
#include <memory>
#include <set>
#include <vector>

class QHeaderView;
class QScrollBar;
class CChannelListHeader;
class CChannelListModel;
class CChannelListView;

namespace DuiLib {
struct TNotifyUI;
}

// The channel grid (layout class "ChannelList"): a skinned header of resizable columns over a
// scrollable body of CListChannelElement rows, and the in-place editor of each column. A press
// on a cell opens the column's editor over it; the editor's "killfocus" or "return" commits its
// text into the cell and the record behind it.
class CChannelList : public DuiLib::CControlUI
{
    Q_OBJECT

public:
    static constexpr int kMaxColumns = CListChannelElement::kMaxColumns;

    explicit CChannelList(QWidget* parent = nullptr);
    ~CChannelList() override;

    [[nodiscard]] QString GetClass() const override;
    // Besides the common ones: "inset", "header" ("hidden"), "hscrollbar", "vscrollbar",
    // "itemalign", "itemfont", "itemtextpadding", "itemtextcolor", "itembkcolor",
    // "itemselectedtextcolor", "itemselectedbkcolor", "itemhottextcolor", "itemhotbkcolor",
    // "itemdisabledtextcolor", "itemlinecolor", "headerbkimage".
    void SetAttribute(const QString& name, const QString& value) override;
    // Takes the layout's <ListHeader> with its <ListHeaderItem> children (text, width,
    // minwidth, maxwidth, bkimage, sepimage, sepwidth, font, textcolor).
    bool AddLayoutChild(const DuiLib::LayoutElement& element) override;

    // Rows. The grid owns them; row i is channel i + 1.
    [[nodiscard]] int GetCount() const { return static_cast<int>(m_rows.size()); }
    [[nodiscard]] CListChannelElement* GetItemAt(int index) const;
    CListChannelElement* Add(std::unique_ptr<CListChannelElement> row);
    [[nodiscard]] int GetCurSel() const;
    void SelectItem(int index);
    // Scrolls the body so that the row is fully visible.
    void EnsureVisible(int index);

    // Number of header items, at most kMaxColumns.
    [[nodiscard]] int GetColumnCount() const;

    // Installs the in-place editor of a column; the grid takes ownership and destroys an editor
    // installed there before. The editor gets the layout's defaults of its class and is hooked
    // to OnEditorNotify.
    void SetColumnEditor(int column, QWidget* editor);
    [[nodiscard]] QWidget* GetColumnEditor(int column) const;
    // Commits the open cell on "killfocus" or "return" from its editor; ignores anything else.
    // False when no cell has been opened yet.
    bool OnEditorNotify(DuiLib::TNotifyUI& msg);

    // Ends an open editor exactly as a click elsewhere would: its text is committed into the
    // cell and the record behind it, and the editor is hidden. Every command that reads the rows
    // or replaces them runs it first, so that it uses what the grid shows and nothing typed
    // before it lands after it.
    void CommitOpenEditor();
    // Opens the editor of a cell as a click on it would (nothing for a cell without an editor).
    void OpenCell(int row, int column);
    // A typed or pasted text T ending the edit of a cell: the commit rules of the grid (an
    // emptied receive frequency takes the channel out of use, a first one fills in a new
    // channel, other columns of an unused channel stay as they are).
    void CommitCell(int row, int column, const QString& text);
    // Brings the keyboard into the grid: the last opened cell, or the selected row's (else the
    // first row's) receive frequency before any was opened.
    void FocusCell();

    // The last cell opened for editing, -1 before the first.
    [[nodiscard]] int GetEditColumn() const { return m_editColumn; }
    [[nodiscard]] int GetEditRow() const { return m_editRow; }

    // A cell's hit rectangle in body coordinates: the cell less its last pixel column and row.
    [[nodiscard]] QRect GetCellRect(int row, int column) const;
    // The widget the rows are painted on and editors sit in.
    [[nodiscard]] QWidget* GetBody() const;
    [[nodiscard]] QHeaderView* GetHeader() const;
    [[nodiscard]] QScrollBar* GetVerticalScrollBar() const;

    // Called by a row whose texts or record changed.
    void RowChanged(int index);

    // Rows picked for the clipboard: a click on a row's number picks that row alone, Shift+click
    // the rows from the last picked one to it, Ctrl+click adds or drops one. Any other change of
    // the selected row picks it alone. In order; empty before any row is selected.
    [[nodiscard]] std::vector<int> GetSelectedRows() const;
    [[nodiscard]] bool IsRowSelected(int row) const;
    void SelectRows(int first, int last);

    // The clipboard form of rows: one line per row, the texts of the seven data columns as the
    // grid shows them, separated by tabs (what a spreadsheet pastes as cells).
    [[nodiscard]] QString RowsText(const std::vector<int>& rows) const;
    // A cell of a paste that its column does not accept; the cell stays as it was.
    struct RefusedCell
    {
        int row;
        int column;
        QString text;
    };
    // Pastes tab-separated lines: into the selected rows when there are several (lines repeat
    // when there are fewer), else from the selected row down; line cells go to columns 1 to 7 in
    // order and commit as typed texts would. Bytes beyond the seven fields stay with each row.
    std::vector<RefusedCell> PasteText(const QString& text);
    // Takes the rows out of use as emptying their receive frequency does.
    void BlankRows(const std::vector<int>& rows);
    // The header caption of a column.
    [[nodiscard]] QString GetColumnCaption(int column) const;

Q_SIGNALS:
    // An editor's text was committed into its cell (whether or not it changed anything).
    void EditCommitted();
    // A right click on a row, or on a cell editor that gives the right button no use of its
    // own, asks for the grid's menu at this screen point.
    void ContextMenuRequested(const QPoint& globalPos);

public:
    // Painting parameters of the rows (read by the body).
    struct ItemStyle
    {
        QColor textColor;
        QColor bkColor;
        QColor selectedTextColor;
        QColor selectedBkColor;
        QColor hotTextColor;
        QColor hotBkColor;
        QColor disabledTextColor;
        QColor lineColor;
        Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
        QMargins textPadding;
        int font = -1;
    };
    [[nodiscard]] const ItemStyle& GetItemStyle() const { return m_itemStyle; }
    [[nodiscard]] QFont GetItemFont() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend class CChannelListView;

    // The body reports a left press over a row.
    void OnRowButtonDown(int row, const QPoint& bodyPoint, Qt::KeyboardModifiers modifiers);
    // The body reports a right press over a row: it is selected, a picked group kept.
    void OnRowRightButtonDown(int row);
    // A context menu event from the body or an editor; true when it is used up here.
    bool OnContextMenu(QObject* watched, QContextMenuEvent* event);
    // Arrow keys on an editor whose typing window is closed: the next cell with an editor in that
    // direction, committing this one first. False when the key is not a move.
    bool MoveFromEditor(const QWidget* editor, int key);
    // Keeps an open editor over its cell after scrolling, column resizing and row layout.
    void PlaceEditor();
    // The body was laid out again: the header's columns follow its width.
    void OnBodyGeometry();
    void PlaceEditorAt(QWidget* editor, int row, int column);
    [[nodiscard]] static bool IsComboEditor(const QWidget* editor);
    [[nodiscard]] static QString EditorText(const QWidget* editor);
    // Hooks installed editors to the window's notifications once the grid is in a window.
    void HookEditors();
    void LayoutGeometry();
    void UpdateRowHeight();

    CChannelListModel* m_model;
    CChannelListHeader* m_header;
    CChannelListView* m_view = nullptr;
    std::vector<std::unique_ptr<CListChannelElement>> m_rows;
    std::array<QPointer<QWidget>, kMaxColumns> m_editors{};
    int m_editColumn = -1;
    int m_editRow = -1;
    int m_committing = 0; // > 0 while a commit runs; its own focus moves are not commits
    int m_layoutWidth = -1;
    // When and where the last cell was opened, to tell a double click's second press.
    QElapsedTimer m_openClock;
    QPoint m_openPoint;
    std::array<bool, kMaxColumns> m_hooked{};
    std::set<int> m_picked; // rows picked for the clipboard
    int m_pickAnchor = -1;  // where a Shift+click range starts
    QMargins m_inset;
    ItemStyle m_itemStyle;
};
