#include "ChannelList.h"

#include "ChannelListHeader.h"
#include "ChannelListModel.h"
#include "ChannelListView.h"
#include "ComboEditUI.h"
#include "FreqEditUI.h"
#include "model/CellCommit.h"
#include "model/CellText.h"
#include "toolkit/AttributeTable.h"
#include "toolkit/ComboUI.h"
#include "toolkit/PaintManager.h"
#include "toolkit/SkinFace.h"
#include "toolkit/SkinStyle.h"

// Qt
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

using namespace DuiLib;

CChannelList::CChannelList(QWidget* parent)
    : CControlUI(parent), m_model(new CChannelListModel(this)),
      m_header(new CChannelListHeader(this))
{
    m_view = new CChannelListView(this);
    // The look of a list without layout attributes.
    m_itemStyle.textColor = QColor(Qt::black);
    m_itemStyle.selectedTextColor = QColor(Qt::black);
    m_itemStyle.selectedBkColor = ParseColor(QStringLiteral("#FFC1E3FF"));
    m_itemStyle.hotTextColor = QColor(Qt::black);
    m_itemStyle.hotBkColor = ParseColor(QStringLiteral("#FFE9F5FF"));
    m_itemStyle.disabledTextColor = ParseColor(QStringLiteral("#FFCCCCCC"));

    m_view->setModel(m_model);
    m_view->setHorizontalHeader(m_header);
    ApplySkinScrollBars(m_view);
    UpdateRowHeight();
    // An open editor follows its column while the user drags a header edge.
    connect(m_header, &QHeaderView::sectionResized, this, [this] { PlaceEditor(); });
    // However the selected row changes (click, arrow keys), it comes into view and the window
    // hears of it.
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                m_picked.clear();
                if (current.isValid())
                    m_picked.insert(current.row());
                m_pickAnchor = current.row();
                EnsureVisible(current.row());
                m_view->viewport()->update();
                if (CPaintManagerUI* manager = CPaintManagerUI::FromWidget(this))
                    manager->SendNotify(this, QStringLiteral("itemselect"), current.row(),
                                        previous.row());
            });
}

CChannelList::~CChannelList()
{
    // Editors first: their focus changes must not reach a half-destroyed grid.
    for (auto& editor : m_editors)
        delete editor.data();
}

QString CChannelList::GetClass() const
{
    return QStringLiteral("ChannelList");
}

void CChannelList::SetAttribute(const QString& name, const QString& value)
{
    using L = CChannelList;
    static const CAttributeTable<CChannelList> table{
        {"inset",
         [](L& c, const QString& v) {
             c.m_inset = ParseMargins(v);
             c.LayoutGeometry();
         }},
        {"header",
         [](L& c, const QString& v) {
             c.m_header->setVisible(!EqualsNoCase(v, QStringLiteral("hidden")));
         }},
        {"hscrollbar",
         [](L& c, const QString& v) {
             c.m_view->setHorizontalScrollBarPolicy(ParseBool(v) ? Qt::ScrollBarAsNeeded
                                                                 : Qt::ScrollBarAlwaysOff);
         }},
        {"vscrollbar",
         [](L& c, const QString& v) {
             c.m_view->setVerticalScrollBarPolicy(ParseBool(v) ? Qt::ScrollBarAsNeeded
                                                               : Qt::ScrollBarAlwaysOff);
         }},
        {"itemalign",
         [](L& c, const QString& v) {
             c.m_itemStyle.align = ParseHorizontalAlign(v) | Qt::AlignVCenter;
         }},
        {"itemfont",
         [](L& c, const QString& v) {
             c.m_itemStyle.font = v.toInt();
             c.UpdateRowHeight();
         }},
        {"itemtextpadding",
         [](L& c, const QString& v) {
             c.m_itemStyle.textPadding = ParseMargins(v);
             c.UpdateRowHeight();
         }},
        {"itemtextcolor", [](L& c, const QString& v) { c.m_itemStyle.textColor = ParseColor(v); }},
        {"itembkcolor", [](L& c, const QString& v) { c.m_itemStyle.bkColor = ParseColor(v); }},
        {"itemselectedtextcolor",
         [](L& c, const QString& v) { c.m_itemStyle.selectedTextColor = ParseColor(v); }},
        {"itemselectedbkcolor",
         [](L& c, const QString& v) { c.m_itemStyle.selectedBkColor = ParseColor(v); }},
        {"itemhottextcolor",
         [](L& c, const QString& v) { c.m_itemStyle.hotTextColor = ParseColor(v); }},
        {"itemhotbkcolor",
         [](L& c, const QString& v) { c.m_itemStyle.hotBkColor = ParseColor(v); }},
        {"itemdisabledtextcolor",
         [](L& c, const QString& v) { c.m_itemStyle.disabledTextColor = ParseColor(v); }},
        {"itemlinecolor", [](L& c, const QString& v) { c.m_itemStyle.lineColor = ParseColor(v); }},
    };
    if (table.Apply(*this, name, value))
        m_view->viewport()->update();
    else
        CControlUI::SetAttribute(name, value);
}

bool CChannelList::AddLayoutChild(const LayoutElement& element)
{
    if (!EqualsNoCase(element.className, QStringLiteral("ListHeader")))
        return false;
    m_header->Load(element);
    m_model->SetColumnCount(std::min(m_header->GetItemCount(), kMaxColumns));
    m_layoutWidth = -1;
    LayoutGeometry();
    return true;
}

CListChannelElement* CChannelList::GetItemAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_rows[static_cast<std::size_t>(index)].get();
}

CListChannelElement* CChannelList::Add(std::unique_ptr<CListChannelElement> row)
{
    if (!row || row->GetOwner() != nullptr)
        return nullptr;
    const int index = GetCount();
    m_model->BeginAppendRow(index);
    row->SetOwner(this, index);
    m_rows.push_back(std::move(row));
    m_model->EndAppendRow();
    UpdateRowHeight();
    return m_rows.back().get();
}

int CChannelList::GetCurSel() const
{
    const QModelIndexList rows = m_view->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void CChannelList::SelectItem(int index)
{
    if (index < 0 || index >= GetCount() || index == GetCurSel())
        return;
    m_view->selectRow(index);
    m_view->viewport()->update();
}

void CChannelList::EnsureVisible(int index)
{
    if (index < 0 || index >= GetCount())
        return;
    QScrollBar* bar = m_view->verticalScrollBar();
    const int top = m_view->rowViewportPosition(index);
    const int bottom = top + m_view->rowHeight(index);
    const int height = m_view->viewport()->height();
    if (top < 0)
        bar->setValue(bar->value() + top);
    else if (bottom > height)
        bar->setValue(bar->value() + std::min(top, bottom - height));
}

int CChannelList::GetColumnCount() const
{
    return std::min(m_header->GetItemCount(), kMaxColumns);
}

QRect CChannelList::GetCellRect(int row, int column) const
{
    if (row < 0 || row >= GetCount() || column < 0 || column >= GetColumnCount())
        return {};
    const int left = m_view->columnViewportPosition(column);
    const int top = m_view->rowViewportPosition(row);
    return {left, top, m_view->columnWidth(column) - 1, m_view->rowHeight(row) - 1};
}

QWidget* CChannelList::GetBody() const
{
    return m_view->viewport();
}

QHeaderView* CChannelList::GetHeader() const
{
    return m_header;
}

QScrollBar* CChannelList::GetVerticalScrollBar() const
{
    return m_view->verticalScrollBar();
}

QFont CChannelList::GetItemFont() const
{
    const CPaintManagerUI* manager = CPaintManagerUI::FromWidget(this);
    return manager != nullptr ? manager->GetFont(m_itemStyle.font) : font();
}

void CChannelList::RowChanged(int index)
{
    m_model->RowChanged(index);
}

void CChannelList::SetColumnEditor(int column, QWidget* editor)
{
    if (editor == nullptr || column < 0)
        return;
    if (column >= GetColumnCount()) {
        // No such column: the editor is kept (and destroyed) with the grid but never shown.
        editor->setParent(m_view->viewport());
        editor->hide();
        return;
    }
    QPointer<QWidget>& slot = m_editors[static_cast<std::size_t>(column)];
    if (slot == editor)
        return;
    if (slot != nullptr) {
        if (m_editColumn == column && slot->isVisible())
            slot->hide();
        delete slot.data();
    }
    slot = editor;
    m_hooked[static_cast<std::size_t>(column)] = false;
    // For the double click on a two-choice cell and the arrow keys.
    editor->installEventFilter(this);
    // Hidden until a click opens it over a cell.
    editor->hide();
    editor->setParent(m_view->viewport());
    editor->setGeometry(QRect());
    HookEditors();
}

void CChannelList::HookEditors()
{
    CPaintManagerUI* manager = CPaintManagerUI::FromWidget(this);
    if (manager == nullptr)
        return;
    for (std::size_t column = 0; column < m_editors.size(); ++column) {
        QWidget* editor = m_editors[column];
        if (editor == nullptr || m_hooked[column])
            continue;
        m_hooked[column] = true;
        manager->AddNotifyHook(editor, [this](TNotifyUI& msg) { return OnEditorNotify(msg); });
        manager->TrackFocus(editor);
        if (auto* control = dynamic_cast<IControlUI*>(editor))
            manager->ApplyDefaultAttributes(control);
    }
}

QWidget* CChannelList::GetColumnEditor(int column) const
{
    if (column < 0 || column >= kMaxColumns)
        return nullptr;
    return m_editors[static_cast<std::size_t>(column)];
}

bool CChannelList::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ContextMenu &&
        OnContextMenu(watched, static_cast<QContextMenuEvent*>(event)))
        return true;
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
            MoveFromEditor(static_cast<QWidget*>(watched), key->key()))
            return true;
    }
    // The second press of a double click on a two-choice cell lands on the combo the first
    // press just showed; like a double click on a combo, it does not open the list.
    const bool plainCombo = qobject_cast<CComboUI*>(watched) != nullptr &&
                            qobject_cast<CComboEditUI*>(watched) == nullptr;
    if (plainCombo && (event->type() == QEvent::MouseButtonPress ||
                       event->type() == QEvent::MouseButtonDblClick)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_openClock.isValid() && m_openClock.elapsed() < QApplication::doubleClickInterval() &&
            (mouse->globalPosition().toPoint() - m_openPoint).manhattanLength() <=
                QApplication::startDragDistance()) {
            m_openClock.invalidate();
            return true;
        }
    }
    return CControlUI::eventFilter(watched, event);
}

bool CChannelList::IsComboEditor(const QWidget* editor)
{
    const auto* control = dynamic_cast<const IControlUI*>(editor);
    return control != nullptr && EqualsNoCase(control->GetClass(), QStringLiteral("Combo"));
}

QString CChannelList::EditorText(const QWidget* editor)
{
    if (const auto* freq = qobject_cast<const CFreqEditUI*>(editor))
        return freq->GetText();
    // The editable combo answers its own text, a plain combo the selected item's.
    if (const auto* combo = qobject_cast<const CComboUI*>(editor))
        return combo->GetText();
    return {};
}

void CChannelList::OnRowButtonDown(int row, const QPoint& bodyPoint,
                                   Qt::KeyboardModifiers modifiers)
{
    m_openClock.start();
    m_openPoint = GetBody()->mapToGlobal(bodyPoint);
    int column = -1;
    for (int c = 0; c < GetColumnCount(); ++c) {
        if (GetCellRect(row, c).contains(bodyPoint)) {
            column = c;
            break;
        }
    }
    // Shift and Ctrl on a row's number pick rows for the clipboard; any other press picks the
    // pressed row alone.
    std::set<int> picked{row};
    int anchor = row;
    if (column == kColNumber && (modifiers & Qt::ShiftModifier) && m_pickAnchor >= 0) {
        anchor = m_pickAnchor;
        picked.clear();
        for (int r = std::min(anchor, row); r <= std::max(anchor, row); ++r)
            picked.insert(r);
    } else if (column == kColNumber && (modifiers & Qt::ControlModifier)) {
        picked = m_picked;
        if (!picked.erase(row))
            picked.insert(row);
    }
    SelectItem(row);
    if (column >= 0)
        OpenCell(row, column);
    m_picked = std::move(picked);
    m_pickAnchor = anchor;
    m_view->viewport()->update();
}

void CChannelList::OnRowRightButtonDown(int row)
{
    const std::set<int> picked = m_picked;
    const int anchor = m_pickAnchor;
    SelectItem(row);
    // A right click inside a picked group keeps it, for the menu to act on.
    if (picked.count(row) != 0) {
        m_picked = picked;
        m_pickAnchor = anchor;
    }
    m_view->viewport()->update();
}

bool CChannelList::OnContextMenu(QObject* watched, QContextMenuEvent* event)
{
    // The keys that open the menu reach the window as keys; the events they may also raise are
    // not a second request.
    if (event->reason() != QContextMenuEvent::Mouse)
        return true;
    // The typing editors give the right button their own use (it opens the typing box or the
    // list), so no menu appears over them; their typing boxes keep their own edit menu.
    if (qobject_cast<CFreqEditUI*>(watched) != nullptr ||
        qobject_cast<CComboEditUI*>(watched) != nullptr)
        return true;
    Q_EMIT ContextMenuRequested(event->globalPos());
    return true;
}

void CChannelList::OpenCell(int row, int column)
{
    if (GetItemAt(row) == nullptr)
        return;
    SelectItem(row);
    EnsureVisible(row);
    QWidget* editor = GetColumnEditor(column);
    if (editor == nullptr)
        return;
    m_editColumn = column;
    m_editRow = row;
    editor->show();
    editor->raise();
    PlaceEditorAt(editor, row, column);
    if (CPaintManagerUI* manager = CPaintManagerUI::FromWidget(this))
        manager->SetFocus(editor);
    else
        editor->setFocus(Qt::MouseFocusReason);
    const QString text = GetItemAt(row)->GetText(column);
    if (auto* freq = qobject_cast<CFreqEditUI*>(editor))
        freq->SetText(text);
    else if (auto* combo = qobject_cast<CComboUI*>(editor))
        combo->SetText(text);
}

void CChannelList::CommitOpenEditor()
{
    QWidget* editor = GetColumnEditor(m_editColumn);
    if (editor == nullptr || editor->isHidden())
        return;
    TNotifyUI msg{QStringLiteral("killfocus"), editor->objectName(), editor};
    OnEditorNotify(msg);
}

void CChannelList::FocusCell()
{
    if (m_editColumn >= 0 && GetItemAt(m_editRow) != nullptr) {
        OpenCell(m_editRow, m_editColumn);
        return;
    }
    OpenCell(std::max(GetCurSel(), 0), kColRxFreq);
}

bool CChannelList::MoveFromEditor(const QWidget* editor, int key)
{
    if (m_editColumn < 0 || editor != GetColumnEditor(m_editColumn))
        return false;
    // While typing, the keys move the caret; a combo's Up and Down change its choice.
    const auto* freq = qobject_cast<const CFreqEditUI*>(editor);
    const auto* code = qobject_cast<const CComboEditUI*>(editor);
    if ((freq != nullptr && freq->GetEditWindow() != nullptr) ||
        (code != nullptr && code->GetEditWindow() != nullptr))
        return false;
    int row = m_editRow;
    int column = m_editColumn;
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int step = key == Qt::Key_Left ? -1 : 1;
        do
            column += step;
        while (column >= 0 && column < GetColumnCount() && GetColumnEditor(column) == nullptr);
        if (column < 0 || column >= GetColumnCount())
            return true; // the edge: the key is used up, nothing moves
        break;
    }
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (freq == nullptr)
            return false;
        row += key == Qt::Key_Up ? -1 : 1;
        if (row < 0 || row >= GetCount())
            return true;
        break;
    default:
        return false;
    }
    CommitOpenEditor();
    OpenCell(row, column);
    return true;
}

void CChannelList::PlaceEditorAt(QWidget* editor, int row, int column)
{
    QRect rect = GetCellRect(row, column);
    if (IsComboEditor(editor))
        rect.adjust(-2, -2, 2, 2);
    editor->setGeometry(rect);
}

void CChannelList::PlaceEditor()
{
    if (m_editRow < 0 || m_editColumn < 0)
        return;
    QWidget* editor = GetColumnEditor(m_editColumn);
    if (editor == nullptr || editor->isHidden())
        return;
    PlaceEditorAt(editor, m_editRow, m_editColumn);
}

bool CChannelList::OnEditorNotify(TNotifyUI& msg)
{
    if (!EqualsNoCase(msg.sType, QStringLiteral("killfocus")) &&
        !EqualsNoCase(msg.sType, QStringLiteral("return")))
        return true;
    if (m_editColumn < 0)
        return false;
    QWidget* editor = GetColumnEditor(m_editColumn);
    // Only the editor of the open cell commits into it, and a commit's own focus moves (the
    // editor hands the focus back as it hides) do not commit a second time.
    if (msg.pSender != editor || m_committing > 0)
        return true;
    ++m_committing;
    const QString text = EditorText(editor);
    if (editor->isAncestorOf(QApplication::focusWidget()) || editor->hasFocus()) {
        if (CPaintManagerUI* manager = CPaintManagerUI::FromWidget(this))
            manager->KillFocus();
    }
    editor->hide();
    CommitCell(m_editRow, m_editColumn, text);
    --m_committing;
    Q_EMIT EditCommitted();
    return true;
}

void CChannelList::CommitCell(int rowIndex, int column, const QString& text)
{
    CListChannelElement* row = GetItemAt(rowIndex);
    if (row == nullptr)
        return;
    const bool inUse = !row->GetText(kColRxFreq).isEmpty();
    const auto texts = CommitCellTexts(inUse, column, text.toStdString());
    if (!texts)
        return;
    for (const CellAssignment& cell : *texts)
        row->SetCellText(cell.column, QString::fromStdString(cell.text));
    RowChanged(rowIndex);
}

void CChannelList::resizeEvent(QResizeEvent* event)
{
    CControlUI::resizeEvent(event);
    LayoutGeometry();
}

void CChannelList::showEvent(QShowEvent* event)
{
    CControlUI::showEvent(event);
    HookEditors();
    UpdateRowHeight();
    LayoutGeometry();
}

void CChannelList::LayoutGeometry()
{
    m_view->setGeometry(rect().marginsRemoved(m_inset));
    OnBodyGeometry();
}

void CChannelList::OnBodyGeometry()
{
    if (m_view == nullptr)
        return; // still being constructed
    const int width = m_view->viewport()->width();
    if (width != m_layoutWidth) {
        m_layoutWidth = width;
        m_header->LayoutColumns(width);
    }
    PlaceEditor();
}

void CChannelList::UpdateRowHeight()
{
    const int height = QFontMetrics(GetItemFont()).height() + 8 + m_itemStyle.textPadding.top() +
                       m_itemStyle.textPadding.bottom();
    m_view->verticalHeader()->setDefaultSectionSize(height);
    m_view->verticalScrollBar()->setSingleStep(height);
}
