// Undo and redo, the clipboard and the grid's menu.
#include "MainDlg.h"
#include "Texts.h"
#include "controls/ChannelList.h"
#include "model/SettingsMapping.h"
#include "toolkit/ComboUI.h"

// Qt
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QStringList>

using DuiLib::Utf8;

namespace {

// A long list of refused cells shows this many and counts the rest.
constexpr std::size_t kRefusedShown = 20;

bool IsInGrid(const CChannelList* grid, const QWidget* widget)
{
    return widget != nullptr && (widget == grid || grid->isAncestorOf(widget));
}

// The open editor hands the focus back as it commits; a command run from the grid leaves the
// keyboard in the grid, for the next key.
class CGridFocusKeeper
{
public:
    explicit CGridFocusKeeper(CChannelList* grid)
        : m_grid(grid), m_had(IsInGrid(grid, QApplication::focusWidget()))
    {}
    ~CGridFocusKeeper()
    {
        if (m_had && !IsInGrid(m_grid, QApplication::focusWidget()))
            m_grid->GetBody()->setFocus(Qt::OtherFocusReason);
    }
    CGridFocusKeeper(const CGridFocusKeeper&) = delete;
    CGridFocusKeeper& operator=(const CGridFocusKeeper&) = delete;

private:
    CChannelList* m_grid;
    bool m_had;
};

} // namespace

GridState CMainDlg::CaptureState() const
{
    GridState state;
    for (int row = 0; row < kChannelCount; ++row) {
        if (const CListChannelElement* element = m_channelList->GetItemAt(row))
            state.rows[static_cast<std::size_t>(row)] = element->GetState();
    }
    for (std::size_t i = 0; i < state.settings.size(); ++i)
        state.settings[i] = m_settingsCombos[i] != nullptr ? m_settingsCombos[i]->GetCurSel() : -1;
    return state;
}

void CMainDlg::ApplyState(const GridState& state)
{
    ++m_recordHold;
    for (int row = 0; row < kChannelCount; ++row) {
        if (CListChannelElement* element = m_channelList->GetItemAt(row))
            element->SetState(state.rows[static_cast<std::size_t>(row)]);
    }
    for (std::size_t i = 0; i < state.settings.size(); ++i) {
        if (m_settingsCombos[i] != nullptr)
            m_settingsCombos[i]->SelectItem(state.settings[i]);
    }
    --m_recordHold;
    m_lastState = state;
}

void CMainDlg::RecordStep(const char* text, const std::function<void()>& change)
{
    const GridState before = CaptureState();
    ++m_recordHold;
    change();
    --m_recordHold;
    PushStep(text, before);
}

void CMainDlg::RecordChange(const char* text)
{
    if (m_recordHold == 0)
        PushStep(text, m_lastState);
}

void CMainDlg::PushStep(const char* text, const GridState& before)
{
    // `before` may be m_lastState itself.
    const GridState after = CaptureState();
    if (after != before) {
        m_undo.push(new CSnapshotCommand(Utf8(text), before, after,
                                         [this](const GridState& state) { ApplyState(state); }));
    }
    m_lastState = after;
}

void CMainDlg::Undo()
{
    StepHistory(false);
}

void CMainDlg::Redo()
{
    StepHistory(true);
}

void CMainDlg::StepHistory(bool forward)
{
    if (m_channelList == nullptr || m_progress != nullptr)
        return;
    const CGridFocusKeeper focus(m_channelList);
    m_channelList->CommitOpenEditor();
    if (forward)
        m_undo.redo();
    else
        m_undo.undo();
}

void CMainDlg::CopyRows()
{
    if (m_channelList == nullptr)
        return;
    const CGridFocusKeeper focus(m_channelList);
    // What the grid shows, an edit under way included.
    m_channelList->CommitOpenEditor();
    const std::vector<int> rows = m_channelList->GetSelectedRows();
    if (!rows.empty())
        QApplication::clipboard()->setText(m_channelList->RowsText(rows));
}

void CMainDlg::CutRows()
{
    if (m_channelList == nullptr)
        return;
    const CGridFocusKeeper focus(m_channelList);
    CopyRows();
    const std::vector<int> rows = m_channelList->GetSelectedRows();
    RecordStep(Texts::kStepCut, [&] { m_channelList->BlankRows(rows); });
}

void CMainDlg::PasteRows()
{
    if (m_channelList == nullptr)
        return;
    const CGridFocusKeeper focus(m_channelList);
    m_channelList->CommitOpenEditor();
    const QString text = QApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    std::vector<CChannelList::RefusedCell> refused;
    RecordStep(Texts::kStepPaste, [&] { refused = m_channelList->PasteText(text); });
    if (refused.empty())
        return;
    QStringList lines{Utf8(Texts::kPasteRefused)};
    for (std::size_t i = 0; i < refused.size() && i < kRefusedShown; ++i) {
        const CChannelList::RefusedCell& cell = refused[i];
        lines << Utf8(Texts::kPasteRefusedCell)
                     .arg(cell.row + 1)
                     .arg(m_channelList->GetColumnCaption(cell.column), cell.text);
    }
    if (refused.size() > kRefusedShown)
        lines << Utf8(Texts::kPasteRefusedMore).arg(refused.size() - kRefusedShown);
    Message(IUserPrompts::Icon::Warning, lines.join(QLatin1Char('\n')));
}

std::unique_ptr<QMenu> CMainDlg::CreateGridMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    auto add = [&](const QString& text, bool enabled, QKeySequence keys,
                   std::function<void()> run) {
        QAction* action = menu->addAction(text);
        action->setEnabled(enabled);
        // Shown beside the entry; the keys themselves are read by HandleEditKey.
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
    };
    auto named = [](const char* entry, const QString& step) {
        return step.isEmpty() ? Utf8(entry) : QStringLiteral("%1: %2").arg(Utf8(entry), step);
    };
    add(named(Texts::kMenuUndo, m_undo.undoText()), m_undo.canUndo(), QKeySequence::Undo,
        [this] { Undo(); });
    add(named(Texts::kMenuRedo, m_undo.redoText()), m_undo.canRedo(),
        QKeySequence(Qt::CTRL | Qt::Key_Y), [this] { Redo(); });
    const bool rows = m_channelList != nullptr && !m_channelList->GetSelectedRows().empty();
    add(Utf8(Texts::kMenuCopy), rows, QKeySequence::Copy, [this] { CopyRows(); });
    add(Utf8(Texts::kMenuCut), rows, QKeySequence::Cut, [this] { CutRows(); });
    add(Utf8(Texts::kMenuPaste), !QApplication::clipboard()->text().isEmpty(), QKeySequence::Paste,
        [this] { PasteRows(); });
    menu->addSeparator();
    for (const auto& [text, hook] : {std::pair{Texts::kMenuExportCsv, &m_menuHooks.exportCsv},
                                     std::pair{Texts::kMenuImportCsv, &m_menuHooks.importCsv},
                                     std::pair{Texts::kMenuPrint, &m_menuHooks.print}}) {
        add(Utf8(text), static_cast<bool>(*hook), {}, [hook] {
            if (*hook)
                (*hook)();
        });
    }
    return menu;
}

void CMainDlg::ShowGridMenu(const QPoint& globalPos)
{
    if (m_channelList == nullptr || m_progress != nullptr)
        return;
    const std::unique_ptr<QMenu> menu = CreateGridMenu();
    menu->exec(globalPos);
}

bool CMainDlg::HandleEditKey(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    const int code = key.key();
    const bool ctrl = modifiers == Qt::ControlModifier;
    if (ctrl && code == Qt::Key_Z) {
        Undo();
        return true;
    }
    if ((ctrl && code == Qt::Key_Y) ||
        (modifiers == (Qt::ControlModifier | Qt::ShiftModifier) && code == Qt::Key_Z)) {
        Redo();
        return true;
    }
    if (m_channelList == nullptr || !IsInGrid(m_channelList, QApplication::focusWidget()))
        return false;
    if (ctrl && code == Qt::Key_C) {
        CopyRows();
    } else if (ctrl && code == Qt::Key_X) {
        CutRows();
    } else if (ctrl && code == Qt::Key_V) {
        PasteRows();
    } else if ((modifiers == Qt::NoModifier && code == Qt::Key_Menu) ||
               (modifiers == Qt::ShiftModifier && code == Qt::Key_F10)) {
        // Under the open cell, else under the selected row's number.
        const QWidget* editor = m_channelList->GetColumnEditor(m_channelList->GetEditColumn());
        const bool open = editor != nullptr && editor->isVisible();
        const int row =
            open ? m_channelList->GetEditRow() : std::max(m_channelList->GetCurSel(), 0);
        const QRect cell =
            m_channelList->GetCellRect(row, open ? m_channelList->GetEditColumn() : 0);
        ShowGridMenu(m_channelList->GetBody()->mapToGlobal(cell.bottomLeft()));
    } else {
        return false;
    }
    return true;
}

bool CMainDlg::eventFilter(QObject* watched, QEvent* event)
{
    // The menu keys reach HandleEditKey as keys; the context menu events some window systems
    // also make of them would open a typing box's own edit menu over the grid's.
    if (event->type() == QEvent::ContextMenu && m_channelList != nullptr &&
        static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Mouse &&
        IsInGrid(m_channelList, qobject_cast<QWidget*>(watched)))
        return true;
    if (event->type() == QEvent::KeyPress) {
        // Delivered to the focus widget first, then to its parents: look at it once.
        auto* target = qobject_cast<QWidget*>(watched);
        const QWidget* focus = QApplication::focusWidget();
        if (target != nullptr && target->window() == this &&
            (target == focus || (focus == nullptr && target == this)) &&
            HandleEditKey(*static_cast<QKeyEvent*>(event)))
            return true;
    }
    return WindowImplBase::eventFilter(watched, event);
}
