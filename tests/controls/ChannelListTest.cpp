#include "controls/ChannelList.h"
#include "controls/CboEditWnd.h"
#include "controls/ComboEditUI.h"
#include "controls/FreqEditUI.h"
#include "controls/FreqEditWnd.h"
#include "model/CellText.h"
#include "model/DecimalSeparator.h"
#include "model/ToneCode.h"
#include "tests/support/GridFixture.h"
#include "toolkit/ComboUI.h"
#include "toolkit/PaintManager.h"

// Qt
#include <QAbstractItemView>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

namespace {

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

// Texts are written with '.'; the held separator replaces it.
QString Sep(QString text)
{
    return text.replace(QLatin1Char('.'), HeldSeparator());
}

ChannelRecord RecordFromHex(const char* hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    ChannelRecord record;
    for (std::size_t i = 0; i < ChannelRecord::kSize; ++i)
        record.bytes[i] = static_cast<std::uint8_t>(bytes.at(static_cast<qsizetype>(i)));
    return record;
}

} // namespace

// The grid: columns, rows and records, and the whole editing cycle driven by mouse and keys.
class TestChannelList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data();
    void init();
    void cleanupTestCase();

    void headerColumns();
    void defaultTextsFillRecords();
    void recordRoundTrip();
    void numberColumnOnlySelects();
    void clickOpensEditorOverCell_data();
    void clickOpensEditorOverCell();
    void commitTable_data();
    void commitTable();
    void typedFrequencyCommitsOnEnterOnce();
    void clickFromOpenEditorCommitsFirst();
    void typedCodeCommitsOnEnter();
    void editorFollowsScrollAndColumnResize();
    void editingKeepsUninterpretedBytes();
    void doubleClickOnCells();
    void arrowKeysMoveSelectedRow();
    void arrowKeysMoveBetweenCells();
    void renderMidEdit();
};

void TestChannelList::initTestCase_data()
{
    QTest::addColumn<char>("separator");
    QTest::newRow("comma") << ',';
    QTest::newRow("point") << '.';
}

void TestChannelList::init()
{
    QFETCH_GLOBAL(char, separator);
    ApplyDecimalSeparator(separator);
}

void TestChannelList::cleanupTestCase()
{
    ApplyDecimalSeparator(',');
}

void TestChannelList::headerColumns()
{
    CGridFixture f;
    QVERIFY(f.ShowActive());
    QCOMPARE(f.list->GetColumnCount(), 8);
    const QHeaderView* header = f.list->GetHeader();
    QCOMPARE(header->count(), 8);
    QCOMPARE(header->sectionSize(0), 60);
    QCOMPARE(header->sectionSize(1), 75);
    QCOMPARE(header->sectionSize(2), 75);
    QVERIFY(header->sectionSize(3) >= 100);
    QVERIFY(header->sectionSize(4) >= 100);
    for (int column : {5, 6}) {
        QVERIFY(header->sectionSize(column) >= 100);
        QVERIFY(header->sectionSize(column) <= 150);
    }
    QVERIFY(header->sectionSize(7) >= 80);
    QVERIFY(header->sectionSize(7) <= 120);
    // The columns fill the body's width when they can.
    int total = 0;
    for (int i = 0; i < 8; ++i)
        total += header->sectionSize(i);
    QCOMPARE(total, f.list->GetBody()->width());
}

void TestChannelList::defaultTextsFillRecords()
{
    CGridFixture f;
    QCOMPARE(f.list->GetCount(), 16);
    const auto* view = qobject_cast<QAbstractItemView*>(f.list->GetBody()->parentWidget());
    QVERIFY(view != nullptr);
    for (int row = 0; row < 16; ++row)
        QCOMPARE(view->model()->index(row, 0).data().toString(), QString::number(row + 1));
    QCOMPARE(f.Cell(0, 1), Sep(QStringLiteral("433.07500")));
    QCOMPARE(f.Cell(15, 2), Sep(QStringLiteral("433.45000")));
    QCOMPARE(f.Cell(5, 3), Sep(QStringLiteral("88.5")));
    QCOMPARE(f.Cell(0, 7), U("Да"));
    const ChannelRecord first = f.list->GetItemAt(0)->GetChannelRecord();
    QCOMPARE(first.rxHz(), 433075000u);
    QCOMPARE(first.txTone(), ToneCode(0xFFFF));
    const ChannelRecord last = f.list->GetItemAt(15)->GetChannelRecord();
    QCOMPARE(last.rxHz(), 433450000u);
    QCOMPARE(last.rxTone(), ToneCode(885));
    QCOMPARE(last.power(), std::uint8_t(0xFF));
}

void TestChannelList::recordRoundTrip()
{
    CGridFixture f;
    const ChannelRecord worked = RecordFromHex("3833D0193833D019FFFF7503FFFFFF000000000000000000");
    CListChannelElement* row = f.list->GetItemAt(2);
    row->SetChannelRecord(worked);
    QCOMPARE(row->GetText(1), Sep(QStringLiteral("433.07500")));
    QCOMPARE(row->GetText(3), U("Нет"));
    QCOMPARE(row->GetText(4), Sep(QStringLiteral("88.5")));
    QCOMPARE(row->GetText(5), U("Высокая"));
    QCOMPARE(row->GetText(6), U("Широкая (W)"));
    QCOMPARE(row->GetText(7), U("Да"));
    QVERIFY(row->GetChannelRecord() == worked);

    const ChannelRecord second = RecordFromHex("801BD219801BD2191720F2A2000000000000000000000000");
    row->SetChannelRecord(second);
    QCOMPARE(row->GetText(2), Sep(QStringLiteral("433.20000")));
    QCOMPARE(row->GetText(3), QStringLiteral("023N"));
    QCOMPARE(row->GetText(4), QStringLiteral("754I"));
    QCOMPARE(row->GetText(5), U("Низкая"));
    QCOMPARE(row->GetText(6), U("Узкая (N)"));
    QCOMPARE(row->GetText(7), U("Нет"));
    QVERIFY(row->GetChannelRecord() == second);
}

void TestChannelList::numberColumnOnlySelects()
{
    CGridFixture f;
    QVERIFY(f.ShowActive());
    f.ClickCell(3, 0);
    QCOMPARE(f.list->GetCurSel(), 3);
    QCOMPARE(f.list->GetEditColumn(), -1);
    QCOMPARE(f.list->GetEditRow(), -1);
    for (int column = 1; column <= 7; ++column)
        QVERIFY(f.list->GetColumnEditor(column)->isHidden());
}

void TestChannelList::clickOpensEditorOverCell_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("grow");
    QTest::newRow("rx frequency") << 1 << 0;
    QTest::newRow("tx frequency") << 2 << 0;
    QTest::newRow("rx code") << 3 << 2;
    QTest::newRow("tx code") << 4 << 2;
    QTest::newRow("power") << 5 << 2;
    QTest::newRow("width") << 6 << 2;
    QTest::newRow("scan") << 7 << 2;
}

void TestChannelList::clickOpensEditorOverCell()
{
    QFETCH(int, column);
    QFETCH(int, grow);
    CGridFixture f;
    QVERIFY(f.ShowActive());
    const int row = 6;
    f.ClickCell(row, column);
    QWidget* editor = f.list->GetColumnEditor(column);
    QVERIFY(editor->isVisible());
    QCOMPARE(f.list->GetCurSel(), row);
    QCOMPARE(f.list->GetEditColumn(), column);
    QCOMPARE(f.list->GetEditRow(), row);
    // The hit rectangle is the cell less its last pixel column and row.
    const QRect cell = f.list->GetCellRect(row, column);
    QCOMPARE(cell.width(), f.list->GetHeader()->sectionSize(column) - 1);
    QCOMPARE(editor->geometry(), cell.adjusted(-grow, -grow, grow, grow));
    QCOMPARE(f.manager->GetFocus(), editor);
    // The editor holds the cell's text, and the first click opens no typing window or list.
    if (auto* freq = qobject_cast<CFreqEditUI*>(editor)) {
        QCOMPARE(freq->GetText(), f.Cell(row, column));
        QVERIFY(freq->GetEditWindow() == nullptr);
    } else {
        auto* combo = qobject_cast<DuiLib::CComboUI*>(editor);
        QVERIFY(combo != nullptr);
        QCOMPARE(combo->GetText(), f.Cell(row, column));
        QVERIFY(combo->GetCurSel() >= 0);
        QVERIFY(!combo->IsDroppedDown());
    }
    QCOMPARE(f.log.Count(QStringLiteral("setfocus"), editor), 1);
}

void TestChannelList::commitTable_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("inUse");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("cells");    // columns 1..7 afterwards; "=" unchanged
    QTest::addColumn<QList<qint64>>("fields"); // rx Hz, tx Hz, rx, tx tone, power, width,
                                               // scan; -1 unchanged
    const QString same = QStringLiteral("=");
    const QList<qint64> unchanged = {-1, -1, -1, -1, -1, -1, -1};
    const QStringList allSame = {same, same, same, same, same, same, same};
    const QStringList allEmpty = {{}, {}, {}, {}, {}, {}, {}};

    QTest::newRow("rx typed")
        << 1 << true << QStringLiteral("433.1")
        << QStringList{QStringLiteral("433.10000"), same, same, same, same, same, same}
        << QList<qint64>{433100000, -1, -1, -1, -1, -1, -1};
    QTest::newRow("rx emptied keeps record") << 1 << true << QString() << allEmpty << unchanged;
    QTest::newRow("rx into unused row fills defaults")
        << 1 << false << QStringLiteral("145.5")
        << QStringList{QStringLiteral("145.50000"),
                       QStringLiteral("145.50000"),
                       U("Нет"),
                       U("Нет"),
                       U("Высокая"),
                       U("Широкая (W)"),
                       U("Да")}
        << QList<qint64>{145500000, 145500000, 0xFFFF, 0xFFFF, 0xFF, 0xFF, 0xFF};
    QTest::newRow("rx empty into unused row") << 1 << false << QString() << allEmpty << unchanged;
    QTest::newRow("rx beyond 32 bits leaves cell and record")
        << 1 << true << QStringLiteral("9999.9") << allSame << unchanged;
    QTest::newRow("rx beyond 32 bits into unused row")
        << 1 << false << QStringLiteral("9999.9") << allEmpty << unchanged;
    QTest::newRow("tx typed") << 2 << true << QStringLiteral("12")
                              << QStringList{same, QStringLiteral("12.00000"),
                                             same, same,
                                             same, same,
                                             same}
                              << QList<qint64>{-1, 12000000, -1, -1, -1, -1, -1};
    QTest::newRow("tx emptied is 0 Hz")
        << 2 << true << QString()
        << QStringList{same, QStringLiteral("0.00000"), same, same, same, same, same}
        << QList<qint64>{-1, 0, -1, -1, -1, -1, -1};
    QTest::newRow("rx code typed")
        << 3 << true << QStringLiteral("023N")
        << QStringList{same, same, QStringLiteral("023N"), same, same, same, same}
        << QList<qint64>{-1, -1, 0x2017, -1, -1, -1, -1};
    QTest::newRow("tx code chosen")
        << 4 << true << QStringLiteral("88.5")
        << QStringList{same, same, same, QStringLiteral("88.5"), same, same, same}
        << QList<qint64>{-1, -1, -1, 885, -1, -1, -1};
    QTest::newRow("tx code emptied is none")
        << 4 << true << QString() << QStringList{same, same, same, U("Нет"), same, same, same}
        << QList<qint64>{-1, -1, -1, 0xFFFF, -1, -1, -1};
    QTest::newRow("power low") << 5 << true << U("Низкая")
                               << QStringList{same, same, same, same, U("Низкая"), same, same}
                               << QList<qint64>{-1, -1, -1, -1, 0, -1, -1};
    QTest::newRow("width narrow") << 6 << true << U("Узкая (N)")
                                  << QStringList{same, same, same, same, same, U("Узкая (N)"), same}
                                  << QList<qint64>{-1, -1, -1, -1, -1, 0, -1};
    QTest::newRow("scan off") << 7 << true << U("Нет")
                              << QStringList{same, same, same, same, same, same, U("Нет")}
                              << QList<qint64>{-1, -1, -1, -1, -1, -1, 0};
    QTest::newRow("power without choice is high")
        << 5 << true << QStringLiteral("nothing selected")
        << QStringList{same, same, same, same, U("Высокая"), same, same}
        << QList<qint64>{-1, -1, -1, -1, 0xFF, -1, -1};
    QTest::newRow("tx into unused row ignored")
        << 2 << false << QStringLiteral("150") << allEmpty << unchanged;
    QTest::newRow("code into unused row ignored")
        << 3 << false << QStringLiteral("023N") << allEmpty << unchanged;
    QTest::newRow("width into unused row ignored")
        << 6 << false << U("Узкая (N)") << allEmpty << unchanged;
}

void TestChannelList::commitTable()
{
    QFETCH(int, column);
    QFETCH(bool, inUse);
    QFETCH(QString, typed);
    QFETCH(QStringList, cells);
    QFETCH(QList<qint64>, fields);
    typed = Sep(typed);

    CGridFixture f;
    QVERIFY(f.ShowActive());
    const int row = 4;
    CListChannelElement* element = f.list->GetItemAt(row);
    if (!inUse) {
        for (int c = 1; c <= 7; ++c)
            element->SetCellText(c, QString());
    }
    const ChannelRecord before = element->GetChannelRecord();
    QStringList textsBefore;
    for (int c = 1; c <= 7; ++c)
        textsBefore << element->GetText(c);

    f.ClickCell(row, column);
    QWidget* editor = f.list->GetColumnEditor(column);
    QVERIFY(editor->isVisible());
    if (auto* freq = qobject_cast<CFreqEditUI*>(editor))
        freq->SetText(typed);
    else
        qobject_cast<DuiLib::CComboUI*>(editor)->SetText(typed);
    f.manager->KillFocus();

    QVERIFY(editor->isHidden());
    for (int c = 1; c <= 7; ++c) {
        const QString expected =
            cells[c - 1] == QLatin1String("=") ? textsBefore[c - 1] : Sep(cells[c - 1]);
        QCOMPARE(element->GetText(c), expected);
    }
    const ChannelRecord after = element->GetChannelRecord();
    auto expect = [&](qint64 wanted, qint64 was) { return wanted < 0 ? was : wanted; };
    QCOMPARE(qint64(after.rxHz()), expect(fields[0], before.rxHz()));
    QCOMPARE(qint64(after.txHz()), expect(fields[1], before.txHz()));
    QCOMPARE(qint64(after.rxTone()), expect(fields[2], before.rxTone()));
    QCOMPARE(qint64(after.txTone()), expect(fields[3], before.txTone()));
    QCOMPARE(qint64(after.power()), expect(fields[4], before.power()));
    QCOMPARE(qint64(after.width()), expect(fields[5], before.width()));
    QCOMPARE(qint64(after.scan()), expect(fields[6], before.scan()));
}

void TestChannelList::typedFrequencyCommitsOnEnterOnce()
{
    CGridFixture f;
    QVERIFY(f.ShowActive());
    f.ClickCell(2, 1);
    QVERIFY(f.rxFreq->GetEditWindow() == nullptr);
    // The next press on the editor opens the typing window with the whole text selected.
    ClickAt(f.rxFreq, f.rxFreq->rect().center());
    CFreqEditWnd* wnd = f.rxFreq->GetEditWindow();
    QVERIFY(wnd != nullptr);
    QCOMPARE(wnd->selectedText(), f.Cell(2, 1));
    QTest::keyClicks(wnd, Sep(QStringLiteral("145.5")));
    QCOMPARE(f.rxFreq->GetText(), Sep(QStringLiteral("145.5")));
    QCOMPARE(f.Cell(2, 1), Sep(QStringLiteral("433.12500"))); // nothing committed yet
    f.log.Clear();
    QTest::keyClick(wnd, Qt::Key_Return);
    QCOMPARE(f.log.Count(QStringLiteral("return"), f.rxFreq), 1);
    QCOMPARE(f.log.Count(QStringLiteral("killfocus"), f.rxFreq), 1);
    QVERIFY(f.rxFreq->isHidden());
    QCOMPARE(f.manager->GetFocus(), nullptr);
    QCOMPARE(f.Cell(2, 1), Sep(QStringLiteral("145.50000")));
    QCOMPARE(f.Cell(2, 2), Sep(QStringLiteral("433.12500")));
    QCOMPARE(f.list->GetItemAt(2)->GetChannelRecord().rxHz(), 145500000u);
    QTRY_VERIFY(f.rxFreq->GetEditWindow() == nullptr);
    QCOMPARE(f.Cell(2, 1), Sep(QStringLiteral("145.50000")));
}

void TestChannelList::typedCodeCommitsOnEnter()
{
    CGridFixture f;
    QVERIFY(f.ShowActive());
    f.ClickCell(8, 4);
    QCOMPARE(f.txCode->GetText(), Sep(QStringLiteral("123.1")));
    QVERIFY(f.txCode->GetEditWindow() == nullptr);
    // A press on the text part opens the typing box with the whole text selected.
    ClickAt(f.txCode, f.txCode->GetEditRect().center());
    CCboEditWnd* wnd = f.txCode->GetEditWindow();
    QVERIFY(wnd != nullptr);
    QCOMPARE(wnd->selectedText(), Sep(QStringLiteral("123.1")));
    QTest::keyClicks(wnd, QStringLiteral("023n"));
    QCOMPARE(f.txCode->GetCurSel(), 52);
    QTest::keyClick(wnd, Qt::Key_Return);
    QVERIFY(f.txCode->isHidden());
    QCOMPARE(f.manager->GetFocus(), nullptr);
    QCOMPARE(f.Cell(8, 4), QStringLiteral("023N"));
    QCOMPARE(f.list->GetItemAt(8)->GetChannelRecord().txTone(), ToneCode(0x2017));
    QTRY_VERIFY(f.txCode->GetEditWindow() == nullptr);
    QCOMPARE(f.Cell(8, 4), QStringLiteral("023N"));

    // A code the model rejects is stored as it reads it and shown normalised.
    f.ClickCell(9, 3);
    ClickAt(f.rxCode, f.rxCode->GetEditRect().center());
    f.rxCode->SetText(QStringLiteral("023n"));
    f.manager->KillFocus();
    QCOMPARE(f.list->GetItemAt(9)->GetChannelRecord().rxTone(), ToneCode(230));
    QCOMPARE(f.Cell(9, 3), Sep(QStringLiteral("23.0")));
}

void TestChannelList::clickFromOpenEditorCommitsFirst()
{
    CGridFixture f;
    QVERIFY(f.ShowActive());
    f.ClickCell(1, 1);
    ClickAt(f.rxFreq, f.rxFreq->rect().center());
    QVERIFY(f.rxFreq->GetEditWindow() != nullptr);
    QTest::keyClicks(f.rxFreq->GetEditWindow(), QStringLiteral("146"));
    f.ClickCell(3, 5);
    QCOMPARE(f.Cell(1, 1), Sep(QStringLiteral("146.00000")));
    QCOMPARE(f.list->GetItemAt(1)->GetChannelRecord().rxHz(), 146000000u);
    QVERIFY(f.rxFreq->isHidden());
    QVERIFY(f.power->isVisible());
    QCOMPARE(f.list->GetEditRow(), 3);
    QCOMPARE(f.list->GetEditColumn(), 5);
    QCOMPARE(f.manager->GetFocus(), f.power);

    // A choice in a two-choice list is committed when the combo loses the focus.
    QTest::keyClick(f.power, Qt::Key_Down);
    QCOMPARE(f.power->GetText(), U("Низкая"));
    QCOMPARE(f.Cell(3, 5), U("Высокая"));
    f.ClickCell(3, 0);
    QCOMPARE(f.Cell(3, 5), U("Низкая"));
    QCOMPARE(f.list->GetItemAt(3)->GetChannelRecord().power(), std::uint8_t(0));
}

void TestChannelList::editorFollowsScrollAndColumnResize()
{
    CGridFixture f(200);
    QVERIFY(f.ShowActive());
    QScrollBar* bar = f.list->GetVerticalScrollBar();
    QVERIFY(bar->maximum() > 0);

    // A row partly below the body is scrolled fully into view by the click.
    const int bodyHeight = f.list->GetBody()->height();
    int row = -1;
    for (int offset = 0; offset < 22 && row < 0; ++offset) {
        bar->setValue(offset);
        for (int r = 0; r < f.list->GetCount(); ++r) {
            const QRect cell = f.list->GetCellRect(r, 3);
            if (cell.top() + 4 < bodyHeight && cell.bottom() >= bodyHeight) {
                row = r;
                break;
            }
        }
    }
    QVERIFY(row > 0);
    const int valueBefore = bar->value();
    ClickAt(f.list->GetBody(),
            QPoint(f.CellCentre(row, 3).x(), f.list->GetCellRect(row, 3).top() + 2));
    QCOMPARE(f.list->GetEditRow(), row);
    QVERIFY(bar->value() > valueBefore);
    QVERIFY(f.list->GetCellRect(row, 3).bottom() < bodyHeight);
    QCOMPARE(f.rxCode->geometry(), f.list->GetCellRect(row, 3).adjusted(-2, -2, 2, 2));

    bar->setValue(bar->value() + 30);
    QCOMPARE(f.rxCode->geometry(), f.list->GetCellRect(row, 3).adjusted(-2, -2, 2, 2));

    const int x = f.rxCode->x();
    f.list->GetHeader()->resizeSection(1, 110);
    QCOMPARE(f.rxCode->x(), x + 35);
    QCOMPARE(f.rxCode->geometry(), f.list->GetCellRect(row, 3).adjusted(-2, -2, 2, 2));

    // The same for a frequency editor and the column it sits in.
    f.ClickCell(row, 2);
    QCOMPARE(f.txFreq->geometry(), f.list->GetCellRect(row, 2));
    f.list->GetHeader()->resizeSection(2, 90);
    QCOMPARE(f.txFreq->width(), 89);
    QCOMPARE(f.txFreq->geometry(), f.list->GetCellRect(row, 2));
    bar->setValue(0);
    QCOMPARE(f.txFreq->geometry(), f.list->GetCellRect(row, 2));
}

void TestChannelList::editingKeepsUninterpretedBytes()
{
    CGridFixture f;
    QVERIFY(f.ShowActive());
    ChannelRecord record = RecordFromHex("3833D0193833D019FFFF75030101010102030405060708090A");
    QCOMPARE(record.power(), std::uint8_t(0x01));
    f.list->GetItemAt(0)->SetChannelRecord(record);
    f.ClickCell(0, 6);
    f.width->SetText(U("Узкая (N)"));
    f.manager->KillFocus();
    const ChannelRecord after = f.list->GetItemAt(0)->GetChannelRecord();
    record.setWidth(0);
    QVERIFY(after == record);
    QCOMPARE(after.power(), std::uint8_t(0x01));
}

void TestChannelList::doubleClickOnCells()
{
    CGridFixture f;
    QVERIFY(f.ShowActive());
    // On a frequency cell the second click lands on the editor and opens its typing window.
    f.ClickCell(2, 2);
    f.ClickCell(2, 2);
    QVERIFY(f.txFreq->GetEditWindow() != nullptr);
    QCOMPARE(f.txFreq->GetEditWindow()->selectedText(), f.Cell(2, 2));
    // On a two-choice cell it only shows the combo; a later press opens the list.
    f.ClickCell(2, 6);
    f.ClickCell(2, 6);
    QVERIFY(f.width->isVisible());
    QVERIFY(!f.width->IsDroppedDown());
    QCOMPARE(f.log.Count(QStringLiteral("dropdown"), f.width), 0);
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    f.ClickCell(2, 6);
    QVERIFY(f.width->IsDroppedDown());
    f.width->hidePopup();
}

void TestChannelList::arrowKeysMoveSelectedRow()
{
    CGridFixture f(200);
    QVERIFY(f.ShowActive());
    f.ClickCell(0, 0);
    QCOMPARE(f.list->GetCurSel(), 0);
    QWidget* view = f.list->GetBody()->parentWidget();
    QVERIFY(view->hasFocus());
    f.log.Clear();
    for (int i = 0; i < 12; ++i)
        QTest::keyClick(view, Qt::Key_Down);
    QCOMPARE(f.list->GetCurSel(), 12);
    QCOMPARE(f.log.Count(QStringLiteral("itemselect"), f.list), 12);
    // The selected row is scrolled into view.
    const QRect cell = f.list->GetCellRect(12, 0);
    QVERIFY(cell.top() >= 0);
    QVERIFY(cell.bottom() < f.list->GetBody()->height());
}

// With no typing window open, Left and Right go to the neighbouring editor column and Up and
// Down (from a frequency; a combo's change its choice) to the neighbouring row, committing the
// cell they leave and showing the next editor as a click would.
void TestChannelList::arrowKeysMoveBetweenCells()
{
    CGridFixture f;
    QVERIFY(f.ShowActive());
    f.ClickCell(1, 1);
    auto editing = [&](int row, int column, QWidget* editor) {
        return f.list->GetEditRow() == row && f.list->GetEditColumn() == column &&
               f.list->GetCurSel() == row && editor->isVisible() &&
               f.manager->GetFocus() == editor &&
               editor->geometry().center() == f.CellCentre(row, column);
    };
    QTest::keyClick(f.rxFreq, Qt::Key_Up);
    QVERIFY(editing(0, 1, f.rxFreq));
    QTest::keyClick(f.rxFreq, Qt::Key_Up);   // the top row: nothing moves
    QTest::keyClick(f.rxFreq, Qt::Key_Left); // column 0 has no editor
    QVERIFY(editing(0, 1, f.rxFreq));
    QTest::keyClick(f.rxFreq, Qt::Key_Right);
    QVERIFY(editing(0, 2, f.txFreq));
    QVERIFY(f.rxFreq->isHidden());
    QTest::keyClick(f.txFreq, Qt::Key_Down);
    QVERIFY(editing(1, 2, f.txFreq));

    // While typing, the arrows are the typing window's.
    QTest::keyClicks(f.txFreq, QStringLiteral("146"));
    CFreqEditWnd* wnd = f.txFreq->GetEditWindow();
    QVERIFY(wnd != nullptr);
    for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down})
        QTest::keyClick(wnd, key);
    QVERIFY(f.txFreq->GetEditWindow() == wnd);
    QVERIFY(editing(1, 2, f.txFreq));
    QTest::keyClick(wnd, Qt::Key_Escape);
    QCOMPARE(f.txFreq->GetText(), Sep(QStringLiteral("433.10000")));

    // A combo's Up and Down change its choice; leaving commits it.
    QTest::keyClick(f.txFreq, Qt::Key_Right);
    QTest::keyClick(f.rxCode, Qt::Key_Right);
    QVERIFY(editing(1, 4, f.txCode));
    QTest::keyClick(f.txCode, Qt::Key_Right);
    QVERIFY(editing(1, 5, f.power));
    QTest::keyClick(f.power, Qt::Key_Down);
    QVERIFY(editing(1, 5, f.power));
    QCOMPARE(f.Cell(1, 5), QString::fromUtf8(kPowerHigh));
    QTest::keyClick(f.power, Qt::Key_Right);
    QVERIFY(editing(1, 6, f.width));
    QCOMPARE(f.Cell(1, 5), QString::fromUtf8(kPowerLow));
    QCOMPARE(f.list->GetItemAt(1)->GetChannelRecord().power(), std::uint8_t{0x00});
    QTest::keyClick(f.width, Qt::Key_Right);
    QTest::keyClick(f.scan, Qt::Key_Right); // the last column
    QVERIFY(editing(1, 7, f.scan));
    QCOMPARE(f.Cell(1, 2), Sep(QStringLiteral("433.10000")));
}

void TestChannelList::renderMidEdit()
{
    QFETCH_GLOBAL(char, separator);
    CGridFixture f;
    QVERIFY(f.ShowActive());
    f.ClickCell(4, 1);
    ClickAt(f.rxFreq, f.rxFreq->rect().center());
    QVERIFY(f.rxFreq->GetEditWindow() != nullptr);
    QTest::keyClicks(f.rxFreq->GetEditWindow(), Sep(QStringLiteral("145.25")));
    const QImage image = f.root.grab().toImage();
    QVERIFY(!image.isNull());
    // The editor's white face covers its cell over the row's selection colour, and the focus
    // mark, a ring of the skin's accent, runs just inside its edge.
    const QPoint inside = f.rxFreq->mapTo(&f.root, QPoint(3, 3));
    QCOMPARE(image.pixelColor(inside), QColor(Qt::white));
    const QPoint mark = f.rxFreq->mapTo(&f.root, QPoint(1, f.rxFreq->height() / 2));
    QCOMPARE(image.pixelColor(mark), DuiLib::kDefaultAccent);
    const QByteArray dir = qgetenv("VORLEND_RENDER_DIR");
    if (!dir.isEmpty()) {
        const QString name =
            QStringLiteral("%1/grid_editing_%2.png")
                .arg(QString::fromLocal8Bit(dir),
                     separator == ',' ? QStringLiteral("comma") : QStringLiteral("point"));
        QVERIFY(image.save(name));
        f.ClickCell(6, 3);
        ClickAt(f.rxCode, f.rxCode->rect().center());
        QTest::keyClicks(f.rxCode->GetEditWindow(), QStringLiteral("023n"));
        QVERIFY(f.root.grab().save(
            QString(name).replace(QStringLiteral(".png"), QStringLiteral("_code.png"))));
    }
}

QTEST_MAIN(TestChannelList)
#include "ChannelListTest.moc"
