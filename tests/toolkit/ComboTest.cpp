// The toolkit combo: its selection rule, its notifications, and the virtual selection that a
// subclass sees for every change, whoever makes it.

#include "toolkit/ComboUI.h"
#include "toolkit/PaintManager.h"

// Qt
#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

namespace {

// Records notifications as "type name new old".
class CRecorder : public DuiLib::INotifyUI
{
public:
    void Notify(DuiLib::TNotifyUI& msg) override
    {
        log << QStringLiteral("%1 %2 %3 %4")
                   .arg(msg.sType, msg.sName)
                   .arg(msg.wParam)
                   .arg(msg.lParam);
    }
    QStringList log;
};

// A subclass as the editable combo builds one: it counts the selections it sees.
class CCountingCombo : public DuiLib::CComboUI
{
public:
    using DuiLib::CComboUI::CComboUI;
    bool SelectItem(int index, bool takeFocus = false) override
    {
        seen.append(index);
        return DuiLib::CComboUI::SelectItem(index, takeFocus);
    }
    QList<int> seen;
};

// A window with a manager and three combos in it.
struct Fixture
{
    Fixture()
    {
        manager = new DuiLib::CPaintManagerUI(&root);
        manager->AddNotifier(&recorder);
        combo = new CCountingCombo(&root);
        combo->setObjectName(QStringLiteral("cbo"));
        combo->setGeometry(10, 10, 120, 26);
        for (const char* text : {"Нет", "Монитор", "Мощность H/L"})
            combo->AddItem(QString::fromUtf8(text));
        other = new DuiLib::CComboUI(&root);
        other->setObjectName(QStringLiteral("other"));
        other->setGeometry(10, 50, 120, 26);
        root.resize(200, 100);
    }
    bool Show()
    {
        root.show();
        root.activateWindow();
        return QTest::qWaitForWindowActive(&root);
    }

    QWidget root;
    DuiLib::CPaintManagerUI* manager;
    CRecorder recorder;
    CCountingCombo* combo;
    DuiLib::CComboUI* other;
};

} // namespace

class ComboTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void selectItemRule_data();
    void selectItemRule();
    void setTextSelectsTheExactItemOrNone();
    void itemsChangeWithoutNotificationsAndKeepTheSelection();
    void keysWheelAndListGoThroughSelectItem();
    void openingTheListSendsDropdown();
    void focusChangesSendSetfocusAndKillfocus();
    void attributesSetPaddingAndHeight();
    void longTextsStayReadable();
};

void ComboTest::selectItemRule_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("notes");
    QTest::newRow("first choice") << -1 << 1 << true << 1 << QStringList{"itemselect cbo 1 -1"};
    QTest::newRow("change") << 0 << 2 << true << 2 << QStringList{"itemselect cbo 2 0"};
    QTest::newRow("same index") << 1 << 1 << true << 1 << QStringList{};
    QTest::newRow("past the end: last") << 0 << 9 << true << 2 << QStringList{"itemselect cbo 2 0"};
    QTest::newRow("past the end, last already") << 2 << 7 << true << 2 << QStringList{};
    QTest::newRow("negative clears silently") << 1 << -1 << false << -1 << QStringList{};
    QTest::newRow("below -1 clears silently") << 1 << -5 << false << -1 << QStringList{};
}

void ComboTest::selectItemRule()
{
    QFETCH(int, start);
    QFETCH(int, index);
    QFETCH(bool, result);
    QFETCH(int, selected);
    QFETCH(QStringList, notes);
    Fixture f;
    f.combo->SelectItem(start);
    f.recorder.log.clear();
    QCOMPARE(f.combo->SelectItem(index), result);
    QCOMPARE(f.combo->GetCurSel(), selected);
    QCOMPARE(f.combo->currentIndex(), selected); // Qt's view follows
    QCOMPARE(f.combo->GetText(), f.combo->GetItemText(selected));
    QCOMPARE(f.recorder.log, notes);
}

void ComboTest::setTextSelectsTheExactItemOrNone()
{
    Fixture f;
    f.combo->SetText(QStringLiteral("Монитор"));
    QCOMPARE(f.combo->GetCurSel(), 1);
    f.combo->SetText(QStringLiteral("монитор")); // case matters
    QCOMPARE(f.combo->GetCurSel(), -1);
    QCOMPARE(f.combo->GetText(), QString());
    f.combo->SetText(QStringLiteral("Мощность H/L"));
    QCOMPARE(f.recorder.log, (QStringList{"itemselect cbo 1 -1", "itemselect cbo 2 -1"}));
    // An empty list: nothing to select, nothing sent.
    DuiLib::CComboUI empty(&f.root);
    QVERIFY(!empty.SelectItem(0));
    QCOMPARE(empty.GetCurSel(), -1);
}

void ComboTest::itemsChangeWithoutNotificationsAndKeepTheSelection()
{
    Fixture f;
    QCOMPARE(f.combo->GetCurSel(), -1); // adding items selects nothing
    f.combo->SelectItem(1);
    f.recorder.log.clear();
    f.combo->InsertItem(0, QStringLiteral("A"));
    QCOMPARE(f.combo->GetCurSel(), 2);
    QCOMPARE(f.combo->GetText(), QStringLiteral("Монитор"));
    f.combo->RemoveAt(0);
    QCOMPARE(f.combo->GetCurSel(), 1);
    f.combo->RemoveAt(2);
    QCOMPARE(f.combo->GetCurSel(), 1);
    f.combo->RemoveAt(1); // the selected item goes: no selection
    QCOMPARE(f.combo->GetCurSel(), -1);
    QVERIFY(!f.combo->RemoveAt(5));
    QVERIFY(!f.combo->InsertItem(9, QStringLiteral("x")));
    f.combo->RemoveAll();
    QCOMPARE(f.combo->GetCount(), 0);
    QVERIFY(f.recorder.log.isEmpty());
}

void ComboTest::keysWheelAndListGoThroughSelectItem()
{
    Fixture f;
    QVERIFY(f.Show());
    f.combo->SelectItem(0);
    f.combo->seen.clear();
    f.recorder.log.clear();
    f.combo->setFocus();
    QTest::keyClick(f.combo, Qt::Key_Down);
    QCOMPARE(f.combo->GetCurSel(), 1);
    QTest::keyClick(f.combo, Qt::Key_End);
    QCOMPARE(f.combo->GetCurSel(), 2);
    QTest::keyClick(f.combo, Qt::Key_Down); // at the end it stays
    QCOMPARE(f.combo->GetCurSel(), 2);
    QTest::keyClick(f.combo, Qt::Key_Home);
    QCOMPARE(f.combo->GetCurSel(), 0);
    QCOMPARE(f.combo->seen, (QList<int>{1, 2, 0}));
    QCOMPARE(f.recorder.log,
             (QStringList{"itemselect cbo 1 0", "itemselect cbo 2 1", "itemselect cbo 0 2"}));

    // The wheel, towards the user: the next item.
    QWheelEvent wheel(QPointF(20, 10), f.combo->mapToGlobal(QPointF(20, 10)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(f.combo, &wheel);
    QCOMPARE(f.combo->GetCurSel(), 1);
    QCOMPARE(f.combo->seen.last(), 1);

    // The list: choosing a row selects through SelectItem as well.
    f.combo->showPopup();
    QAbstractItemView* view = f.combo->view();
    QTRY_VERIFY(view->isVisible());
    const QRect row = view->visualRect(view->model()->index(2, 0));
    QCOMPARE(row.height(), 16);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center());
    QTRY_VERIFY(!f.combo->IsDroppedDown());
    QCOMPARE(f.combo->GetCurSel(), 2);
    QCOMPARE(f.combo->seen.last(), 2);
    QCOMPARE(f.recorder.log.last(), QStringLiteral("itemselect cbo 2 1"));
}

void ComboTest::openingTheListSendsDropdown()
{
    Fixture f;
    QVERIFY(f.Show());
    QTest::mouseClick(f.combo, Qt::LeftButton, {}, QPoint(30, 13));
    QTRY_VERIFY(f.combo->IsDroppedDown());
    QVERIFY(f.combo->IsPushed());
    QVERIFY(f.recorder.log.contains(QStringLiteral("dropdown cbo 0 0")));
    f.combo->hidePopup();
    QVERIFY(!f.combo->IsDroppedDown());
    // An empty combo has no list to open.
    f.recorder.log.clear();
    f.other->showPopup();
    QVERIFY(!f.other->IsDroppedDown());
    QVERIFY(f.recorder.log.isEmpty());
}

void ComboTest::focusChangesSendSetfocusAndKillfocus()
{
    Fixture f;
    // The first focus after the window's activation counts too.
    QVERIFY(f.Show());
    f.combo->setFocus();
    QTRY_COMPARE(f.recorder.log, QStringList{"setfocus cbo 0 0"});
    f.recorder.log.clear();
    f.other->setFocus();
    QTRY_COMPARE(f.recorder.log, (QStringList{"killfocus cbo 0 0", "setfocus other 0 0"}));
    f.recorder.log.clear();
    f.manager->KillFocus();
    QTRY_COMPARE(f.recorder.log, QStringList{"killfocus other 0 0"});
}

void ComboTest::attributesSetPaddingAndHeight()
{
    Fixture f;
    f.combo->SetAttribute(QStringLiteral("TextPadding"), QStringLiteral("4,1,22,1"));
    f.combo->SetAttribute(QStringLiteral("itemheight"), QStringLiteral("20"));
    f.combo->SetAttribute(QStringLiteral("unknown"), QStringLiteral("ignored"));
    QCOMPARE(f.combo->GetTextPadding(), QMargins(4, 1, 22, 1));
    QCOMPARE(f.combo->GetTextRect(), QRect(4, 1, 120 - 26, 24));
    QCOMPARE(f.combo->GetItemHeight(), 20);
    QCOMPARE(f.combo->GetClass(), QStringLiteral("Combo"));
}

void ComboTest::longTextsStayReadable()
{
    Fixture f;
    f.combo->setGeometry(10, 10, 60, 26);
    f.combo->SetTextPadding(QMargins(4, 1, 22, 1));
    QVERIFY(f.Show());
    // The open list is as wide as its longest row, whatever the combo's width.
    const QString longest = QStringLiteral("Мощность H/L");
    f.combo->showPopup();
    QVERIFY(f.combo->IsDroppedDown());
    const QAbstractItemView* view = f.combo->view();
    QVERIFY(view->viewport()->width() >= view->fontMetrics().horizontalAdvance(longest) + 8);
    f.combo->hidePopup();

    // A cut text shows whole as the tooltip; one that fits shows none.
    auto tooltipOf = [&](const QString& text) {
        f.combo->SetText(text);
        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), f.combo->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(f.combo, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(tooltipOf(QStringLiteral("Нет")), QString());
    QCOMPARE(tooltipOf(longest), longest);

    // Ports differ at their ends: cut at the start, the end stays.
    const QString port = QStringLiteral("/dev/serial/by-id/usb-adapter-port10");
    f.combo->resize(120, 26);
    QVERIFY(f.combo->InsertItem(0, port));
    f.combo->SetTextElideMode(Qt::ElideLeft);
    f.combo->SetText(port);
    QVERIFY(f.combo->GetShownText().endsWith(QStringLiteral("port10")));
    QVERIFY(f.combo->GetShownText().size() < port.size());
}

QTEST_MAIN(ComboTest)
#include "ComboTest.moc"
