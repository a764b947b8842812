// Keys and clicks as a person makes them: real X input (XTest through xdotool) into the program's
// window on an Xvfb server, with the simulated radio on a pseudo-terminal. What only a real
// window system shows: where the keyboard focus is when F11 or F12 arrives inside a typing
// window or a combo, typing into a focused cell, and the Tab order.

#include "app/MainDlg.h"
#include "app/Texts.h"
#include "controls/ChannelList.h"
#include "controls/FreqEditUI.h"
#include "model/CellText.h"
#include "model/DecimalSeparator.h"
#include "model/ToneCode.h"
#include "model/ValueText.h"
#include "resources/SkinResources.h"
#include "tests/support/FakePrompts.h"
#include "toolkit/ComboUI.h"
#include "tools/simradio/SimRadio.h"

// Qt
#include <QClipboard>
#include <QMenu>
#include <QProcess>
#include <QtTest>

// std
#include <functional>
#include <memory>

namespace {

QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

// The little of xdotool these tests need. Each call returns once the X server has the events;
// the window sees them as its event loop runs (the QTRY_ waits below).
bool Xdo(const QStringList& arguments)
{
    QProcess xdo;
    xdo.start(QStringLiteral("xdotool"), arguments);
    return xdo.waitForFinished(10000) && xdo.exitStatus() == QProcess::NormalExit &&
           xdo.exitCode() == 0;
}

bool XClick(const QWidget* widget, QPoint point, int button = 1)
{
    const QPoint global = widget->mapToGlobal(point);
    // No --sync: it waits for a pointer motion that never comes when the pointer is there.
    return Xdo({QStringLiteral("mousemove"), QString::number(global.x()),
                QString::number(global.y()), QStringLiteral("click"), QString::number(button)});
}

// The popup menu that is open, or null.
QMenu* OpenMenu()
{
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

// Key names as xdotool takes them: "F12", "Tab", "shift+Tab", "comma", "4".
bool XKeys(const QStringList& keys)
{
    return Xdo(QStringList{QStringLiteral("key")} + keys);
}

// A text of digits and the comma separator, key by key.
QStringList KeysOf(const QString& text)
{
    QStringList keys;
    for (const QChar c : text)
        keys << (c == QLatin1Char(',') ? QStringLiteral("comma") : QString(c));
    return keys;
}

} // namespace

class KeysX11Test : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void f12InsideTypingWindowWritesTheTypedValue();
    void f11InsideTypingWindowLeavesNothingStale();
    void f12AndF11InsideChangedTwoChoiceCell();
    void typingGoesIntoTheFocusedCell();
    void tabGoesRoundTheWindow();
    void gridMenuOpensOnRightClickAndKeysAndRunsTheClickedEntry();

private:
    [[nodiscard]] QString LastMessage() const;
    [[nodiscard]] RadioImage GridImage() const;
    void ClickCell(int row, int column);
    [[nodiscard]] bool WaitForCommand(const char* text);

    std::unique_ptr<CSimRadio> m_radio;
    CFakePrompts::State m_prompts;
    CMainDlg* m_window = nullptr;
};

void KeysX11Test::initTestCase()
{
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "these tests need an X server (ctest runs them under xvfb-run)");
    QVERIFY2(Xdo({QStringLiteral("version")}), "xdotool is missing (tools/install-deps.sh)");
    vorlend::RegisterBuiltinResources();
    ApplyDecimalSeparator(',');
}

void KeysX11Test::init()
{
    // A first click where the test before clicked last must not make a double click with it.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    m_prompts = {};
    m_radio = std::make_unique<CSimRadio>(RadioImage{});
    QVERIFY2(m_radio->Start(), m_radio->Error().c_str());
    qputenv("VORLEND_SERIAL_PORTS", QByteArray::fromStdString(m_radio->SlavePath()));
    m_window = new CMainDlg(std::make_unique<CFakePrompts>(m_prompts));
    QVERIFY(m_window->Create(Utf8(Texts::kWindowTitle)));
    m_window->move(0, 0);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    auto* cboCOM = m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboCOM"));
    QTRY_VERIFY_WITH_TIMEOUT(cboCOM->GetCurSel() >= 0, 5000);
}

void KeysX11Test::cleanup()
{
    delete m_window;
    m_window = nullptr;
    m_radio.reset();
}

QString KeysX11Test::LastMessage() const
{
    return m_prompts.messages.empty() ? QString() : m_prompts.messages.back().text;
}

RadioImage KeysX11Test::GridImage() const
{
    RadioImage image;
    for (int row = 0; row < kChannelCount; ++row)
        image.channels[row] = m_window->GetChannelList()->GetItemAt(row)->GetChannelRecord();
    return image;
}

void KeysX11Test::ClickCell(int row, int column)
{
    CChannelList* grid = m_window->GetChannelList();
    QVERIFY(XClick(grid->GetBody(), grid->GetCellRect(row, column).center()));
    QTRY_VERIFY_WITH_TIMEOUT(grid->GetEditRow() == row && grid->GetEditColumn() == column, 5000);
}

bool KeysX11Test::WaitForCommand(const char* text)
{
    if (!QTest::qWaitFor([&] { return LastMessage() == Utf8(text); }, 10000))
        return false;
    m_prompts.messages.clear();
    // The progress dialog took the activation; the next keys go to the window again.
    m_window->activateWindow();
    return QTest::qWaitForWindowActive(m_window);
}

void KeysX11Test::f12InsideTypingWindowWritesTheTypedValue()
{
    CChannelList* grid = m_window->GetChannelList();
    ClickCell(2, kColRxFreq);
    QWidget* editor = grid->GetColumnEditor(kColRxFreq);
    QVERIFY(XClick(editor, editor->rect().center())); // the typing window
    QVERIFY(XKeys(KeysOf(QStringLiteral("145,5"))));
    QTRY_COMPARE_WITH_TIMEOUT(qobject_cast<CFreqEditUI*>(editor)->GetText(),
                              QStringLiteral("145,5"), 5000);
    QVERIFY(XKeys({QStringLiteral("F12")}));
    QVERIFY(WaitForCommand(Texts::kWriteDone));
    QCOMPARE(grid->GetItemAt(2)->GetText(kColRxFreq), QStringLiteral("145,50000"));
    QCOMPARE(m_radio->Image().channels[2].rxHz(), 145500000u);
    QVERIFY(m_radio->Image().channels == GridImage().channels);
    QVERIFY(editor->isHidden());
}

void KeysX11Test::f11InsideTypingWindowLeavesNothingStale()
{
    RadioImage image;
    for (int row = 0; row < kChannelCount; ++row) {
        image.channels[row].setRxHz(150000000u + 12500u * unsigned(row));
        image.channels[row].setTxHz(151000000u);
        image.channels[row].setRxTone(kNoTone);
        image.channels[row].setTxTone(kNoTone);
    }
    m_radio->SetImage(image);
    CChannelList* grid = m_window->GetChannelList();
    ClickCell(3, kColTxFreq);
    QWidget* editor = grid->GetColumnEditor(kColTxFreq);
    QVERIFY(XClick(editor, editor->rect().center()));
    QVERIFY(XKeys(KeysOf(QStringLiteral("146"))));
    QVERIFY(XKeys({QStringLiteral("F11")}));
    QVERIFY(WaitForCommand(Texts::kReadDone));
    QVERIFY(GridImage().channels == image.channels);
    // The next click once dropped the stale text into the cell just read.
    ClickCell(5, kColRxFreq);
    QVERIFY(GridImage().channels == image.channels);
    QCOMPARE(grid->GetItemAt(3)->GetText(kColTxFreq),
             QString::fromStdString(FormatFrequency(151000000u)));
}

void KeysX11Test::f12AndF11InsideChangedTwoChoiceCell()
{
    CChannelList* grid = m_window->GetChannelList();
    ClickCell(4, kColPower);
    QCOMPARE(grid->GetItemAt(4)->GetText(kColPower), Utf8(kPowerHigh));
    QVERIFY(XKeys({QStringLiteral("Down")}));
    auto* power = qobject_cast<DuiLib::CComboUI*>(grid->GetColumnEditor(kColPower));
    QTRY_COMPARE_WITH_TIMEOUT(power->GetCurSel(), 1, 5000);
    QVERIFY(XKeys({QStringLiteral("F12")}));
    QVERIFY(WaitForCommand(Texts::kWriteDone));
    QCOMPARE(grid->GetItemAt(4)->GetText(kColPower), Utf8(kPowerLow));
    QVERIFY(m_radio->Image().channels == GridImage().channels);

    // Changed back, then read: the radio's choice stays, before and after the next click.
    const RadioImage radio = m_radio->Image();
    ClickCell(4, kColPower);
    QVERIFY(XKeys({QStringLiteral("Up")}));
    QTRY_COMPARE_WITH_TIMEOUT(power->GetCurSel(), 0, 5000);
    QVERIFY(XKeys({QStringLiteral("F11")}));
    QVERIFY(WaitForCommand(Texts::kReadDone));
    QVERIFY(GridImage().channels == radio.channels);
    ClickCell(6, kColRxFreq);
    QVERIFY(GridImage().channels == radio.channels);
    QCOMPARE(grid->GetItemAt(4)->GetText(kColPower), Utf8(kPowerLow));
}

void KeysX11Test::typingGoesIntoTheFocusedCell()
{
    CChannelList* grid = m_window->GetChannelList();
    ClickCell(6, kColRxFreq); // one click: the editor has the focus, no typing window yet
    QVERIFY(XKeys(KeysOf(QStringLiteral("147,25"))));
    QVERIFY(XKeys({QStringLiteral("Return")}));
    QTRY_COMPARE_WITH_TIMEOUT(grid->GetItemAt(6)->GetText(kColRxFreq), QStringLiteral("147,25000"),
                              5000);
    QCOMPARE(grid->GetItemAt(6)->GetChannelRecord().rxHz(), 147250000u);

    ClickCell(6, kColTxCode);
    QVERIFY(
        XKeys(KeysOf(QStringLiteral("023")) << QStringLiteral("n") << QStringLiteral("Return")));
    QTRY_COMPARE_WITH_TIMEOUT(grid->GetItemAt(6)->GetText(kColTxCode), QStringLiteral("023N"),
                              5000);

    // Arrows go from cell to cell; Escape ends a typing without a change.
    ClickCell(7, kColRxFreq);
    const QString before = grid->GetItemAt(8)->GetText(kColRxFreq);
    QVERIFY(XKeys({QStringLiteral("Down"), QStringLiteral("9"), QStringLiteral("Escape")}));
    QTRY_COMPARE_WITH_TIMEOUT(grid->GetEditRow(), 8, 5000);
    QVERIFY(XKeys({QStringLiteral("Right")}));
    QTRY_COMPARE_WITH_TIMEOUT(grid->GetEditColumn(), int(kColTxFreq), 5000);
    QCOMPARE(grid->GetItemAt(8)->GetText(kColRxFreq), before);
}

void KeysX11Test::tabGoesRoundTheWindow()
{
    CChannelList* grid = m_window->GetChannelList();
    ClickCell(2, kColTxFreq);
    QVERIFY(XKeys(KeysOf(QStringLiteral("148"))));
    const char* const order[] = {"cboCOM", "cboTOT", "cboSQLev", "cboSavePower", "cboScan",
                                 "cboPF1", "cboPF2", "cboVoice", "btnRead",      "btnWrite"};
    for (const char* name : order) {
        QVERIFY(XKeys({QStringLiteral("Tab")}));
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(),
                                  m_window->FindControl(QString::fromLatin1(name)), 5000);
    }
    QCOMPARE(grid->GetItemAt(2)->GetText(kColTxFreq), QStringLiteral("148,00000"));
    QVERIFY(XKeys({QStringLiteral("Tab")}));
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), grid->GetColumnEditor(kColTxFreq), 5000);
    QCOMPARE(grid->GetEditRow(), 2);
    QVERIFY(XKeys({QStringLiteral("shift+Tab")}));
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(),
                              m_window->FindControl(QStringLiteral("btnWrite")), 5000);
}

// The grid's menu as a person uses it: a right click on a row opens it, a click on an entry runs
// it; Shift+F10 opens it under the keyboard; over a typing editor the right button keeps its own
// use and no menu appears.
void KeysX11Test::gridMenuOpensOnRightClickAndKeysAndRunsTheClickedEntry()
{
    CChannelList* grid = m_window->GetChannelList();
    auto rowTexts = [grid](int row) {
        QStringList texts;
        for (int column = kColRxFreq; column <= kColScan; ++column)
            texts << grid->GetItemAt(row)->GetText(column);
        return texts;
    };
    // The menu runs its own event loop: what the test does while it is open runs from a timer
    // inside that loop. Opens the menu with `open`, lists its entries ("(x)": disabled), clicks
    // the entry `entry` when it is there and enabled (Escape otherwise) and waits until the
    // menu has closed.
    QStringList entries;
    auto choose = [&](const std::function<bool()>& open, const QString& entry) {
        entries.clear();
        bool acted = false;
        bool found = false;
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, this, [&] {
            QMenu* menu = OpenMenu();
            if (menu == nullptr || menu->actionGeometry(menu->actions().front()).isEmpty())
                return;
            poll.stop();
            QAction* chosen = nullptr;
            for (QAction* action : menu->actions()) {
                entries << (action->isSeparator()
                                ? QStringLiteral("-")
                                : action->text() + (action->isEnabled() ? "" : " (x)"));
                if (action->text() == entry && action->isEnabled())
                    chosen = action;
            }
            found = chosen != nullptr;
            acted = found ? XClick(menu, menu->actionGeometry(chosen).center())
                          : XKeys({QStringLiteral("Escape")});
        });
        poll.start();
        return open() && QTest::qWaitFor([&] { return acted && OpenMenu() == nullptr; }, 10000) &&
               (found || entry.isEmpty());
    };
    auto rightClickRow = [&](int row) {
        return
            [=] { return XClick(grid->GetBody(), grid->GetCellRect(row, kColRxCode).center(), 3); };
    };

    const QStringList third = rowTexts(3);
    QGuiApplication::clipboard()->clear();
    QVERIFY(choose(rightClickRow(3), QString()));
    QCOMPARE(entries,
             QStringList({Utf8("Отменить (x)"), Utf8("Повторить (x)"), Utf8("Копировать"),
                          Utf8("Вырезать"), Utf8("Вставить (x)"), QStringLiteral("-"),
                          Utf8("Экспорт в CSV..."), Utf8("Импорт из CSV..."), Utf8("Печать...")}));
    QCOMPARE(grid->GetCurSel(), 3);

    QVERIFY(choose(rightClickRow(3), Utf8("Копировать")));
    QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(),
                              third.join(QLatin1Char('\t')) + QLatin1Char('\n'), 5000);
    const QStringList seventh = rowTexts(7);
    QVERIFY(choose(rightClickRow(7), Utf8("Вставить")));
    QTRY_COMPARE_WITH_TIMEOUT(rowTexts(7), third, 5000);
    QCOMPARE(grid->GetItemAt(7)->GetChannelRecord().rxHz(),
             grid->GetItemAt(3)->GetChannelRecord().rxHz());

    // From the keyboard, with the row's cell open in its editor: the paste is taken back.
    ClickCell(7, kColPower);
    QVERIFY(choose([] { return XKeys({QStringLiteral("shift+F10")}); }, Utf8("Отменить: вставка")));
    QCOMPARE(rowTexts(7), seventh);
    QVERIFY(choose([] { return XKeys({QStringLiteral("Menu")}); }, Utf8("Повторить: вставка")));
    QCOMPARE(rowTexts(7), third);
    // One key, one menu: a second one the key might also raise is closed and counted.
    int stray = 0;
    QTimer sweep;
    connect(&sweep, &QTimer::timeout, this, [&stray] {
        if (QMenu* menu = OpenMenu()) {
            ++stray;
            menu->close();
        }
    });
    sweep.start(20);
    QTest::qWait(300);
    sweep.stop();
    QCOMPARE(stray, 0);

    // The Menu key in a typing box opens the grid's menu, not the box's own edit menu.
    ClickCell(9, kColRxFreq);
    QWidget* typing = grid->GetColumnEditor(kColRxFreq);
    QVERIFY(XClick(typing, typing->rect().center()));
    QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<CFreqEditUI*>(typing)->GetEditWindow() != nullptr, 5000);
    QVERIFY(choose([] { return XKeys({QStringLiteral("Menu")}); }, Utf8("Копировать")));
    QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(),
                              rowTexts(9).join(QLatin1Char('\t')) + QLatin1Char('\n'), 5000);

    // An entry runs the hook it is given, and one left unset is disabled.
    int printed = 0;
    m_window->SetGridMenuHooks({{}, {}, [&printed] { ++printed; }});
    QVERIFY(choose(rightClickRow(2), Utf8("Печать...")));
    QTRY_COMPARE_WITH_TIMEOUT(printed, 1, 5000);
    QVERIFY(entries.contains(Utf8("Экспорт в CSV... (x)")));

    // On a frequency editor the right button opens its typing window; no menu comes.
    ClickCell(5, kColRxFreq);
    auto* editor = qobject_cast<CFreqEditUI*>(grid->GetColumnEditor(kColRxFreq));
    QVERIFY(XClick(editor, editor->rect().center(), 3));
    QTRY_VERIFY_WITH_TIMEOUT(editor->GetEditWindow() != nullptr, 5000);
    QTest::qWait(300);
    QVERIFY(OpenMenu() == nullptr);
}

QTEST_MAIN(KeysX11Test)
#include "KeysX11Test.moc"
