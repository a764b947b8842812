#include "controls/CboEditWnd.h"
#include "controls/ComboEditUI.h"
#include "controls/FreqEditUI.h"
#include "controls/FreqEditWnd.h"
#include "model/DecimalSeparator.h"
#include "model/ToneCode.h"
#include "tests/support/GridFixture.h"
#include "toolkit/PaintManager.h"

// Qt
#include <QTest>

using namespace DuiLib;

namespace {

QString Sep(QString text)
{
    return text.replace(QLatin1Char('.'), HeldSeparator());
}

QChar OtherSep()
{
    return HeldSeparator() == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(',');
}

// A window holding one frequency editor and one code combo, as the grid shows them.
struct EditorWindow
{
    EditorWindow()
    {
        root.resize(400, 200);
        manager = new CPaintManagerUI(&root);
        SetUpTestSkin(manager);
        manager->AddNotifier(&log);
        freq = new CFreqEditUI(&root);
        freq->SetMaxChar(9);
        freq->setGeometry(10, 10, 74, 21);
        code = new CComboEditUI(&root);
        manager->ApplyDefaultAttributes(code);
        for (const std::string& text : ToneTextTable())
            code->AddItem(QString::fromStdString(text));
        code->setGeometry(100, 10, 104, 26);
        manager->TrackFocus(freq);
        root.show();
        root.activateWindow();
    }
    ~EditorWindow() { manager->RemoveNotifier(&log); }

    bool Ready()
    {
        if (!QTest::qWaitForWindowActive(&root))
            return false;
        manager->KillFocus();
        // Only what the test itself does counts.
        log.Clear();
        return true;
    }

    // Focuses the frequency editor (as the grid's first click does) and presses it.
    CFreqEditWnd* OpenFreq(const QString& text = {})
    {
        freq->SetText(text);
        manager->SetFocus(freq);
        ClickAt(freq, freq->rect().center());
        return freq->GetEditWindow();
    }

    CCboEditWnd* OpenCode(const QString& text = {})
    {
        code->SetText(text);
        manager->SetFocus(code);
        ClickAt(code, code->GetEditRect().center());
        return code->GetEditWindow();
    }

    QWidget root;
    CPaintManagerUI* manager = nullptr;
    CFreqEditUI* freq = nullptr;
    CComboEditUI* code = nullptr;
    CNotifyLog log;
};

} // namespace

// The frequency editor and the editable code combo driven by real presses and key strokes.
class TestEditors : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data();
    void init();
    void cleanupTestCase();

    void freqIsLabelUntilPressedWhileFocused();
    void freqTyping_data();
    void freqTyping();
    void freqDigitBeforeSeparator();
    void freqRefusedKeystrokeRestoresSelection();
    void freqRefusedKeystrokeNotifiesTwice();
    void freqEnterReturnsFocusToWindow();
    void freqAttributes();

    void codeSetText();
    void codeTyping_data();
    void codeTyping();
    void codeTypingSelectsItem();
    void codeDigitBehindNoneEmpties();
    void codeArrowStripOpensList();
    void codeKeysAndWheel();
    void codeEnterSendsReturn();
    void focusedEditorsTakeKeysAsCells();
};

void TestEditors::initTestCase_data()
{
    QTest::addColumn<char>("separator");
    QTest::newRow("comma") << ',';
    QTest::newRow("point") << '.';
}

void TestEditors::init()
{
    QFETCH_GLOBAL(char, separator);
    ApplyDecimalSeparator(separator);
}

void TestEditors::cleanupTestCase()
{
    ApplyDecimalSeparator(',');
}

void TestEditors::freqIsLabelUntilPressedWhileFocused()
{
    EditorWindow w;
    QVERIFY(w.Ready());
    w.freq->SetText(Sep(QStringLiteral("433.07500")));
    w.manager->SetFocus(w.freq);
    QCOMPARE(w.manager->GetFocus(), w.freq);
    QVERIFY(w.freq->GetEditWindow() == nullptr);
    ClickAt(w.freq, w.freq->rect().center());
    CFreqEditWnd* wnd = w.freq->GetEditWindow();
    QVERIFY(wnd != nullptr);
    QCOMPARE(wnd->text(), Sep(QStringLiteral("433.07500")));
    QCOMPARE(wnd->selectedText(), wnd->text());
    QCOMPARE(wnd->maxLength(), 9);
    QCOMPARE(wnd->geometry(), w.freq->GetEditRect());
    QCOMPARE(w.log.Count(QStringLiteral("textchanged")), 0);
    QCOMPARE(w.manager->GetFocus(), w.freq);
}

void TestEditors::freqTyping_data()
{
    QTest::addColumn<QString>("keys"); // '.' is the held separator, '~' the other one
    QTest::addColumn<QString>("expected");
    QTest::newRow("433.07500 key by key") << "433.07500"
                                          << "433.07500";
    QTest::newRow("sixth decimal") << "433.075001"
                                   << "433.07500";
    QTest::newRow("fourth integer digit") << "4334"
                                          << "433";
    QTest::newRow("leading separator") << ".5"
                                       << "5";
    QTest::newRow("second separator") << "433..0.7"
                                      << "433.07";
    QTest::newRow("letters and blanks") << "4a3 3x"
                                        << "433";
    QTest::newRow("other separator") << "43~3"
                                     << "433";
}

void TestEditors::freqTyping()
{
    QFETCH(QString, keys);
    QFETCH(QString, expected);
    EditorWindow w;
    QVERIFY(w.Ready());
    CFreqEditWnd* wnd = w.OpenFreq();
    QVERIFY(wnd != nullptr);
    keys = Sep(keys).replace(QLatin1Char('~'), OtherSep());
    QTest::keyClicks(wnd, keys);
    QCOMPARE(wnd->text(), Sep(expected));
    QCOMPARE(w.freq->GetText(), Sep(expected));
}

void TestEditors::freqDigitBeforeSeparator()
{
    EditorWindow w;
    QVERIFY(w.Ready());
    CFreqEditWnd* wnd = w.OpenFreq();
    QTest::keyClicks(wnd, Sep(QStringLiteral("234.5")));
    QTest::keyClick(wnd, Qt::Key_Home);
    QTest::keyClick(wnd, Qt::Key_1);
    QCOMPARE(wnd->text(), Sep(QStringLiteral("1234.5")));
    QCOMPARE(w.freq->GetText(), Sep(QStringLiteral("1234.5")));
}

void TestEditors::freqRefusedKeystrokeRestoresSelection()
{
    EditorWindow w;
    QVERIFY(w.Ready());
    CFreqEditWnd* wnd = w.OpenFreq();
    QTest::keyClicks(wnd, Sep(QStringLiteral("433.075")));
    // Backspace that would take the separator out is undone, caret and all.
    wnd->setCursorPosition(4);
    QTest::keyClick(wnd, Qt::Key_Backspace);
    QCOMPARE(wnd->text(), Sep(QStringLiteral("433.075")));
    QCOMPARE(wnd->cursorPosition(), 4);
    // A separator typed over the selected separator is refused; the selection stays.
    wnd->setSelection(3, 1);
    QTest::keyClicks(wnd, QString(HeldSeparator()));
    QCOMPARE(wnd->text(), Sep(QStringLiteral("433.075")));
    QCOMPARE(wnd->selectedText(), QString(HeldSeparator()));
    QCOMPARE(wnd->selectionStart(), 3);
    // A digit over the selected separator is refused too: six digits without a separator.
    QTest::keyClick(wnd, Qt::Key_9);
    QCOMPARE(wnd->text(), Sep(QStringLiteral("433.075")));
    QCOMPARE(wnd->selectionStart(), 3);
}

void TestEditors::freqRefusedKeystrokeNotifiesTwice()
{
    EditorWindow w;
    QVERIFY(w.Ready());
    CFreqEditWnd* wnd = w.OpenFreq();
    QTest::keyClicks(wnd, QStringLiteral("433"));
    QCOMPARE(w.log.Count(QStringLiteral("textchanged"), w.freq), 3);
    QTest::keyClick(wnd, Qt::Key_4);
    QCOMPARE(w.log.Count(QStringLiteral("textchanged"), w.freq), 5);
    QCOMPARE(w.freq->GetText(), QStringLiteral("433"));
    // Characters dropped before the edit sees them change nothing and say nothing.
    QTest::keyClick(wnd, Qt::Key_A);
    QCOMPARE(w.log.Count(QStringLiteral("textchanged"), w.freq), 5);
}

void TestEditors::freqEnterReturnsFocusToWindow()
{
    EditorWindow w;
    QVERIFY(w.Ready());
    CFreqEditWnd* wnd = w.OpenFreq(QStringLiteral("433"));
    QTest::keyClick(wnd, Qt::Key_Return);
    QCOMPARE(w.log.Count(QStringLiteral("return"), w.freq), 1);
    QCOMPARE(w.log.Count(QStringLiteral("killfocus"), w.freq), 1);
    QCOMPARE(w.manager->GetFocus(), nullptr);
    QTRY_VERIFY(w.freq->GetEditWindow() == nullptr);
    QCOMPARE(w.freq->GetText(), QStringLiteral("433"));
    // Pressing the control again opens a new typing window with the whole text selected.
    ClickAt(w.freq, w.freq->rect().center());
    QVERIFY(w.freq->GetEditWindow() != nullptr);
    QCOMPARE(w.freq->GetEditWindow()->selectedText(), QStringLiteral("433"));
}

void TestEditors::freqAttributes()
{
    EditorWindow w;
    QVERIFY(w.Ready());
    w.freq->SetAttribute(QStringLiteral("MAXCHAR"), QStringLiteral("5"));
    w.freq->SetAttribute(QStringLiteral("readonly"), QStringLiteral("TRUE"));
    w.freq->SetAttribute(QStringLiteral("password"), QStringLiteral("true"));
    w.freq->SetAttribute(QStringLiteral("tipvalue"), QStringLiteral("MHz"));
    w.freq->SetAttribute(QStringLiteral("tipvaluecolor"), QStringLiteral("#FF112233"));
    QCOMPARE(w.freq->GetMaxChar(), 5);
    QVERIFY(w.freq->IsReadOnly());
    QVERIFY(w.freq->IsPasswordMode());
    QCOMPARE(w.freq->GetTipValue(), QStringLiteral("MHz"));
    CFreqEditWnd* wnd = w.OpenFreq(QStringLiteral("12"));
    QVERIFY(wnd != nullptr);
    QCOMPARE(wnd->maxLength(), 5);
    QVERIFY(wnd->isReadOnly());
    QCOMPARE(wnd->echoMode(), QLineEdit::Password);
    QTest::keyClicks(wnd, QStringLiteral("3"));
    QCOMPARE(w.freq->GetText(), QStringLiteral("12"));
    // An open window follows the attributes at once.
    w.freq->SetAttribute(QStringLiteral("readonly"), QStringLiteral("false"));
    w.freq->SetAttribute(QStringLiteral("maxchar"), QStringLiteral("9"));
    QVERIFY(!wnd->isReadOnly());
    QCOMPARE(wnd->maxLength(), 9);
    QTest::keyClick(wnd, Qt::Key_End);
    QTest::keyClicks(wnd, QStringLiteral("3"));
    QCOMPARE(w.freq->GetText(), QStringLiteral("123"));
}

void TestEditors::codeSetText()
{
    EditorWindow w;
    QVERIFY(w.Ready());
    w.code->SetText(QStringLiteral("023N"));
    QCOMPARE(w.code->GetCurSel(), 52);
    QCOMPARE(w.log.Count(QStringLiteral("itemselect"), w.code), 1);
    // A text no item equals shows as it is, with the selection cleared silently.
    w.code->SetText(QStringLiteral("23N"));
    QCOMPARE(w.code->GetText(), QStringLiteral("23N"));
    QCOMPARE(w.code->GetCurSel(), -1);
    QCOMPARE(w.log.Count(QStringLiteral("itemselect"), w.code), 1);
    // Items compare exactly: the tone with the other separator is no item.
    w.code->SetText(QStringLiteral("88") + OtherSep() + QStringLiteral("5"));
    QCOMPARE(w.code->GetCurSel(), -1);
    w.code->SetText(Sep(QStringLiteral("88.5")));
    QCOMPARE(w.code->GetCurSel(), 10);
    // Selecting an item makes its text the own text.
    w.code->SelectItem(0);
    QCOMPARE(w.code->GetText(), QString::fromUtf8("Нет"));
}

void TestEditors::codeTyping_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("selected");
    QTest::newRow("023n") << "023n"
                          << "023N" << 52;
    QTest::newRow("754i") << "754i"
                          << "754I" << 217;
    QTest::newRow("fifth character refused") << "023N5"
                                             << "023N" << 52;
    QTest::newRow("letter not last") << "02N3"
                                     << "02N" << -1;
    QTest::newRow("letter first") << "N1"
                                  << "1" << -1;
    QTest::newRow("separator first") << ".1"
                                     << "1" << -1;
    QTest::newRow("separator and letter") << "12.N"
                                          << "12." << -1;
    QTest::newRow("fourth digit") << "1234"
                                  << "123" << -1;
    QTest::newRow("two decimals") << "67.05"
                                  << "67.0" << 2;
    QTest::newRow("other characters") << "2x5 0"
                                      << "250" << -1;
}

void TestEditors::codeTyping()
{
    QFETCH(QString, keys);
    QFETCH(QString, expected);
    QFETCH(int, selected);
    EditorWindow w;
    QVERIFY(w.Ready());
    CCboEditWnd* wnd = w.OpenCode();
    QVERIFY(wnd != nullptr);
    QTest::keyClicks(wnd, Sep(keys));
    QCOMPARE(wnd->text(), Sep(expected));
    QCOMPARE(w.code->GetText(), Sep(expected));
    QCOMPARE(w.code->GetCurSel(), selected);
}

void TestEditors::codeTypingSelectsItem()
{
    EditorWindow w;
    QVERIFY(w.Ready());
    CCboEditWnd* wnd = w.OpenCode();
    QTest::keyClicks(wnd, Sep(QStringLiteral("88.")));
    QCOMPARE(w.code->GetCurSel(), -1);
    QCOMPARE(w.log.Count(QStringLiteral("itemselect"), w.code), 0);
    QTest::keyClick(wnd, Qt::Key_5);
    QCOMPARE(w.code->GetCurSel(), 10);
    QCOMPARE(w.code->GetItemText(10), Sep(QStringLiteral("88.5")));
    QCOMPARE(w.log.Count(QStringLiteral("itemselect"), w.code), 1);
    QCOMPARE(w.log.Count(QStringLiteral("textchanged"), w.code), 4);
}

void TestEditors::codeDigitBehindNoneEmpties()
{
    EditorWindow w;
    QVERIFY(w.Ready());
    CCboEditWnd* wnd = w.OpenCode(QString::fromUtf8("Нет"));
    QVERIFY(wnd != nullptr);
    // The box opens with the whole text selected: a digit replaces it.
    QCOMPARE(wnd->selectedText(), QString::fromUtf8("Нет"));
    QTest::keyClick(wnd, Qt::Key_5);
    QCOMPARE(wnd->text(), QStringLiteral("5"));
    QCOMPARE(w.code->GetCurSel(), -1);

    w.code->SetText(QString::fromUtf8("Нет"));
    QCOMPARE(wnd->text(), QString::fromUtf8("Нет"));
    QTest::keyClick(wnd, Qt::Key_End);
    QTest::keyClick(wnd, Qt::Key_5);
    QCOMPARE(wnd->text(), QString());
    QCOMPARE(w.code->GetText(), QString());
    QCOMPARE(w.code->GetCurSel(), -1);
}

void TestEditors::codeArrowStripOpensList()
{
    EditorWindow w;
    QVERIFY(w.Ready());
    w.code->SetText(QStringLiteral("023N"));
    w.manager->SetFocus(w.code);
    QVERIFY(!w.code->GetEditRect().contains(QPoint(w.code->width() - 11, 13)));
    ClickAt(w.code, QPoint(w.code->width() - 11, 13));
    QCOMPARE(w.log.Count(QStringLiteral("dropdown"), w.code), 1);
    QVERIFY(w.code->IsDroppedDown());
    QVERIFY(w.code->GetEditWindow() == nullptr);
    w.code->hidePopup();
    QVERIFY(!w.code->IsDroppedDown());
    // The text part of the focused control opens the typing box with the whole text selected.
    w.manager->SetFocus(w.code);
    ClickAt(w.code, w.code->GetEditRect().center());
    QVERIFY(w.code->GetEditWindow() != nullptr);
    QCOMPARE(w.code->GetEditWindow()->selectedText(), QStringLiteral("023N"));
    QCOMPARE(w.log.Count(QStringLiteral("dropdown"), w.code), 1);
    // The arrow strip while typing: the box closes, the list opens, the combo keeps the focus.
    ClickAt(w.code, QPoint(w.code->width() - 11, 13));
    QVERIFY(w.code->IsDroppedDown());
    QTRY_VERIFY(w.code->GetEditWindow() == nullptr);
    QCOMPARE(w.log.Count(QStringLiteral("killfocus"), w.code), 0);
    w.code->hidePopup();
    QCOMPARE(w.code->GetText(), QStringLiteral("023N"));
}

void TestEditors::codeKeysAndWheel()
{
    EditorWindow w;
    QVERIFY(w.Ready());
    w.manager->SetFocus(w.code);
    w.code->SelectItem(1);
    QTest::keyClick(w.code, Qt::Key_Down);
    QCOMPARE(w.code->GetCurSel(), 2);
    QCOMPARE(w.code->GetText(), Sep(QStringLiteral("67.0")));
    QTest::keyClick(w.code, Qt::Key_PageUp);
    QCOMPARE(w.code->GetCurSel(), 1);
    QTest::keyClick(w.code, Qt::Key_Up);
    QTest::keyClick(w.code, Qt::Key_Up);
    QCOMPARE(w.code->GetCurSel(), 0); // stays at the first item
    QTest::keyClick(w.code, Qt::Key_End);
    QCOMPARE(w.code->GetCurSel(), 217);
    QTest::keyClick(w.code, Qt::Key_PageDown);
    QCOMPARE(w.code->GetCurSel(), 217);
    QCOMPARE(w.code->GetText(), QStringLiteral("754I"));
    QTest::keyClick(w.code, Qt::Key_Home);
    QCOMPARE(w.code->GetCurSel(), 0);
    // A typed character does not search the list: it opens the typing box and replaces the
    // text there; Escape ends the box with the text it opened with.
    QTest::keyClick(w.code, Qt::Key_7);
    QVERIFY(w.code->GetEditWindow() != nullptr);
    QCOMPARE(w.code->GetText(), QStringLiteral("7"));
    QCOMPARE(w.code->GetCurSel(), -1);
    QTest::keyClick(w.code->GetEditWindow(), Qt::Key_Escape);
    QVERIFY(w.code->GetEditWindow() == nullptr);
    QCOMPARE(w.code->GetCurSel(), 0);
    QCOMPARE(w.manager->GetFocus(), w.code);

    // The wheel: towards the user moves down.
    auto wheel = [&](QWidget* target, int delta) {
        QWheelEvent event(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    };
    wheel(w.code, -120);
    QCOMPARE(w.code->GetCurSel(), 1);
    wheel(w.code, 120);
    wheel(w.code, 120);
    QCOMPARE(w.code->GetCurSel(), 0);
    QCOMPARE(w.code->GetText(), QString::fromUtf8("Нет"));

    // Over the typing box the wheel moves the selection too, and the box follows.
    CCboEditWnd* wnd = w.OpenCode(Sep(QStringLiteral("88.5")));
    QVERIFY(wnd != nullptr);
    wheel(wnd, -120);
    QCOMPARE(w.code->GetCurSel(), 11);
    QCOMPARE(w.code->GetText(), Sep(QStringLiteral("91.5")));
    QCOMPARE(wnd->text(), Sep(QStringLiteral("91.5")));
    QCOMPARE(wnd->selectedText(), wnd->text());

    // F4 opens the list.
    w.manager->KillFocus();
    QTRY_VERIFY(w.code->GetEditWindow() == nullptr);
    w.manager->SetFocus(w.code);
    QTest::keyClick(w.code, Qt::Key_F4);
    QVERIFY(w.code->IsDroppedDown());
    w.code->hidePopup();
}

void TestEditors::codeEnterSendsReturn()
{
    EditorWindow w;
    QVERIFY(w.Ready());
    CCboEditWnd* wnd = w.OpenCode();
    QTest::keyClicks(wnd, QStringLiteral("23n"));
    QTest::keyClick(wnd, Qt::Key_Return);
    QCOMPARE(w.log.Count(QStringLiteral("return"), w.code), 1);
    QCOMPARE(w.code->GetText(), QStringLiteral("23N"));
    QTRY_VERIFY(w.code->GetEditWindow() == nullptr);
    // Outside the grid the combo keeps the focus the box had.
    QCOMPARE(w.manager->GetFocus(), w.code);
    QCOMPARE(w.log.Count(QStringLiteral("killfocus"), w.code), 0);
}

// With the typing window closed, a focused editor takes keys as a spreadsheet cell: a typed
// character opens the window and goes through the filter in place of the text, F2 opens it
// with the text selected, and Escape ends the typing with the text as it was.
void TestEditors::focusedEditorsTakeKeysAsCells()
{
    EditorWindow w;
    QVERIFY(w.Ready());
    w.freq->SetText(Sep(QStringLiteral("433.07500")));
    w.manager->SetFocus(w.freq);
    QTest::keyClicks(w.freq, QStringLiteral("4"));
    CFreqEditWnd* wnd = w.freq->GetEditWindow();
    QVERIFY(wnd != nullptr);
    QVERIFY(wnd->hasFocus());
    QTest::keyClicks(wnd, Sep(QStringLiteral("46.x12345678")));
    QCOMPARE(w.freq->GetText(), Sep(QStringLiteral("446.12345")));
    QTest::keyClick(wnd, Qt::Key_Escape);
    QVERIFY(w.freq->GetEditWindow() == nullptr);
    QCOMPARE(w.freq->GetText(), Sep(QStringLiteral("433.07500")));
    QCOMPARE(w.manager->GetFocus(), w.freq);
    QCOMPARE(w.log.Count(QStringLiteral("killfocus")), 0);
    // A key the filter refuses still opens the window, and leaves the text alone.
    QTest::keyClick(w.freq, Qt::Key_A);
    QVERIFY(w.freq->GetEditWindow() != nullptr);
    QCOMPARE(w.freq->GetText(), Sep(QStringLiteral("433.07500")));
    QTest::keyClick(w.freq->GetEditWindow(), Qt::Key_Escape);
    QTest::keyClick(w.freq, Qt::Key_F2);
    QVERIFY(w.freq->GetEditWindow() != nullptr);
    QCOMPARE(w.freq->GetEditWindow()->selectedText(), Sep(QStringLiteral("433.07500")));

    w.code->SetText(Sep(QStringLiteral("88.5")));
    w.manager->SetFocus(w.code);
    QTRY_VERIFY(w.freq->GetEditWindow() == nullptr);
    QTest::keyClicks(w.code, QStringLiteral("n")); // a letter first is refused
    CCboEditWnd* box = w.code->GetEditWindow();
    QVERIFY(box != nullptr);
    QCOMPARE(w.code->GetText(), Sep(QStringLiteral("88.5")));
    QTest::keyClicks(box, QStringLiteral("023n"));
    QCOMPARE(w.code->GetText(), QStringLiteral("023N"));
    QCOMPARE(w.code->GetItemText(w.code->GetCurSel()), QStringLiteral("023N"));
    QTest::keyClick(box, Qt::Key_Escape);
    QCOMPARE(w.code->GetText(), Sep(QStringLiteral("88.5")));
    QCOMPARE(w.code->GetItemText(w.code->GetCurSel()), Sep(QStringLiteral("88.5")));
    QTest::keyClick(w.code, Qt::Key_F2);
    QVERIFY(w.code->GetEditWindow() != nullptr);
    QCOMPARE(w.code->GetEditWindow()->selectedText(), Sep(QStringLiteral("88.5")));
}

QTEST_MAIN(TestEditors)
#include "EditorsTest.moc"
