// The whole program as a user meets it: the main window built from the embedded skin, the
// simulated radio on a pseudo-terminal, keys, the toolbar, files.

#include "app/DataFileIO.h"
#include "app/MainDlg.h"
#include "app/Texts.h"
#include "app/UserPrompts.h"
#include "controls/ChannelList.h"
#include "file/KtFile.h"
#include "link/CommPort.h"
#include "model/CellText.h"
#include "model/DecimalSeparator.h"
#include "model/SettingsMapping.h"
#include "model/ToneCode.h"
#include "model/ValueText.h"
#include "resources/SkinNames.h"
#include "resources/SkinResources.h"
#include "tests/support/FakePrompts.h"
#include "toolkit/ComboUI.h"
#include "toolkit/LabelUI.h"
#include "tools/simradio/SimRadio.h"

// Qt
#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBoundaryFinder>
#include <QtTest>

// std
#include <algorithm>
#include <functional>
#include <memory>
#include <random>

namespace {

QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

// A radio image that exercises every corner of the records: DCS codes of both polarities,
// power/width/scan bytes other than 00 and FF, bytes 15..23 in use, settings out of range.
RadioImage RichImage()
{
    RadioImage image;
    std::mt19937 random(17);
    for (int i = 0; i < kChannelCount; ++i) {
        ChannelRecord& record = image.channels[i];
        record.setRxHz(400012500u + 250000u * static_cast<std::uint32_t>(i));
        record.setTxHz(410025000u + 125000u * static_cast<std::uint32_t>(i));
        record.setRxTone(i % 3 == 0 ? 0x2017 : i % 3 == 1 ? 0xA2F2 : 1273);
        record.setTxTone(i % 2 == 0 ? 0xFFFF : 0x2000 + 0x1A5);
        record.setPower(i % 2 == 0 ? 0x01 : 0x00);
        record.setWidth(i % 4 == 0 ? 0x7F : 0x00);
        record.setScan(i % 5 == 0 ? 0x00 : 0x33);
        for (std::size_t b = 15; b < 24; ++b)
            record.bytes[b] = static_cast<std::uint8_t>(random());
    }
    auto& s = image.settings.bytes;
    s[4] = 1;     // battery saving on
    s[10] = 0x55; // not ours: written back as zero
    s[14] = 12;   // squelch past the last entry: "9"
    s[15] = 90;   // time-out between entries: "60"
    s[16] = 2;
    s[17] = 2;
    s[18] = 1;
    s[19] = 0;
    return image;
}

// An image whose every field the grid's texts give back exactly (power, width and scan 00 or
// FF), with codes and frequencies that no editor offers as typed: a 4-digit DCS code, a tone of
// 0.0 Hz, a frequency above 999 MHz.
RadioImage CanonicalImage(std::uint32_t seed)
{
    RadioImage image = RichImage();
    std::mt19937 random(seed);
    for (int i = 0; i < kChannelCount; ++i) {
        ChannelRecord& record = image.channels[i];
        record.setRxHz(record.rxHz() + 5000u * seed);
        record.setPower(i % 2 == 0 ? 0xFF : 0x00);
        record.setWidth(i % 3 == 0 ? 0xFF : 0x00);
        record.setScan(i % 5 == 0 ? 0x00 : 0xFF);
        for (std::size_t b = 15; b < 24; ++b)
            record.bytes[b] = static_cast<std::uint8_t>(random());
    }
    image.channels[3].setRxTone(0x2000 + 1234);
    image.channels[4].setTxTone(0x0000);
    image.channels[5].setTxHz(1234500000u);
    return image;
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void startsWithDefaultsAndFindsTheRadio();
    void f11ReadsEveryRowAndTheSettings();
    void f12WritesTheRowsAndNormalisedSettings();
    void toolbarAndButtonStartTheSameRead();
    void silentRadioAndStalledRadioGiveTheirMessages();
    void hangUpDuringAWriteEndsCleanly();
    void noPortSelectedSaysCheckTheCable();
    void portThatCannotBeOpenedSaysWhy();
    void saveAndOpenRoundTripByteExact();
    void badFilesLeaveTheGridAlone();
    void keysOnlyActivateVisibleEnabledButtons();
    void commandsEndTheOpenEditFirst();
    void tabGoesRoundTheGridCombosAndButtons();
    void activationColoursFollowTheWindow();
    void secondCopyRaisesTheFirstAndEnds();
    void messageBoxesWrapOnlyAtSpaces();
    void undoAndRedoWalkThroughEveryKindOfStep();
    void copiedRowsPasteBackByteExact();
    void copiedRowsComeBackFromASpreadsheet();
    void refusedPastedCellsAreListedAndLeftAlone();
    void channelPlanGoesThroughCsvAndBack();

private:
    void CreateWindow();
    [[nodiscard]] QString LastMessage() const;
    [[nodiscard]] RadioImage GridImage() const;
    void PressKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void Click(QWidget* base, QPoint point, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void ClickControl(const char* name);
    void ClickCell(int row, int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Every row's texts and record bytes and the settings choices, one line each.
    [[nodiscard]] QStringList GridDump() const;
    void OpenImage(const RadioImage& image);

    std::unique_ptr<CSimRadio> m_radio;
    CFakePrompts::State m_prompts;
    CMainDlg* m_window = nullptr;
    QTemporaryDir m_dir;
};

void MainWindowTest::initTestCase()
{
    vorlend::RegisterBuiltinResources();
    ApplyDecimalSeparator(',');
}

void MainWindowTest::init()
{
    m_prompts = {};
    m_radio = std::make_unique<CSimRadio>(RichImage());
    QVERIFY2(m_radio->Start(), m_radio->Error().c_str());
    qputenv("VORLEND_SERIAL_PORTS", QByteArray::fromStdString(m_radio->SlavePath()));
    CreateWindow();
}

void MainWindowTest::cleanup()
{
    delete m_window;
    m_window = nullptr;
    m_radio.reset();
}

void MainWindowTest::CreateWindow()
{
    m_window = new CMainDlg(std::make_unique<CFakePrompts>(m_prompts));
    QVERIFY(m_window->Create(Utf8(Texts::kWindowTitle)));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

QString MainWindowTest::LastMessage() const
{
    return m_prompts.messages.empty() ? QString() : m_prompts.messages.back().text;
}

RadioImage MainWindowTest::GridImage() const
{
    RadioImage image;
    for (int row = 0; row < kChannelCount; ++row)
        image.channels[row] = m_window->GetChannelList()->GetItemAt(row)->GetChannelRecord();
    return image;
}

void MainWindowTest::PressKey(int key, Qt::KeyboardModifiers modifiers)
{
    // Keys go where the keyboard focus is, as a person's keys do.
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr || target->window() != m_window)
        target = m_window;
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

void MainWindowTest::Click(QWidget* base, QPoint point, Qt::KeyboardModifiers modifiers)
{
    // To the topmost widget under the point, as the window delivers a person's click.
    const QPoint inWindow = base->mapTo(m_window, point);
    QWidget* target = m_window->childAt(inWindow);
    if (target == nullptr)
        target = m_window;
    QTest::mouseClick(target, Qt::LeftButton, modifiers, target->mapFrom(m_window, inWindow));
}

void MainWindowTest::ClickControl(const char* name)
{
    QWidget* control = m_window->FindControl(QString::fromLatin1(name));
    QVERIFY2(control != nullptr, name);
    Click(control, control->rect().center());
}

void MainWindowTest::ClickCell(int row, int column, Qt::KeyboardModifiers modifiers)
{
    CChannelList* grid = m_window->GetChannelList();
    Click(grid->GetBody(), grid->GetCellRect(row, column).center(), modifiers);
}

QStringList MainWindowTest::GridDump() const
{
    QStringList lines;
    CChannelList* grid = m_window->GetChannelList();
    for (int row = 0; row < kChannelCount; ++row) {
        const CListChannelElement* element = grid->GetItemAt(row);
        QStringList cells;
        for (int column = kColRxFreq; column <= kColScan; ++column)
            cells << element->GetText(column);
        const auto bytes = element->GetChannelRecord().bytes;
        cells << QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()))
                     .toHex();
        lines << cells.join(QLatin1Char('|'));
    }
    QStringList settings;
    for (const SettingsField& field : SettingsFields()) {
        settings << QString::number(
            m_window->FindControl<DuiLib::CComboUI>(QString::fromLatin1(SettingsComboName(field)))
                ->GetCurSel());
    }
    lines << settings.join(QLatin1Char(' '));
    return lines;
}

void MainWindowTest::OpenImage(const RadioImage& image)
{
    const QString path = m_dir.filePath(QStringLiteral("image.kt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const KtFileBytes bytes = EncodeKtFile(image);
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    file.close();
    m_prompts.openAnswers << path;
    m_window->OpenDataFile();
}

void MainWindowTest::startsWithDefaultsAndFindsTheRadio()
{
    // Before the probe's answer is handled, the port is shown disconnected.
    auto* portLabel = m_window->FindControl<DuiLib::CLabelUI>(QStringLiteral("LabPort"));
    QVERIFY(portLabel != nullptr);

    CChannelList* grid = m_window->GetChannelList();
    QCOMPARE(grid->GetCount(), 16);
    QCOMPARE(grid->GetItemAt(0)->GetText(kColRxFreq), QStringLiteral("433,07500"));
    QCOMPARE(grid->GetItemAt(15)->GetText(kColTxFreq), QStringLiteral("433,45000"));
    QCOMPARE(grid->GetItemAt(8)->GetText(kColRxCode), QStringLiteral("123,1"));
    QCOMPARE(grid->GetItemAt(5)->GetText(kColTxCode), QStringLiteral("88,5"));
    QCOMPARE(grid->GetItemAt(3)->GetText(kColRxCode), Utf8("Нет"));
    for (int row = 0; row < 16; ++row) {
        const ChannelRecord record = grid->GetItemAt(row)->GetChannelRecord();
        QCOMPARE(record.rxHz(), 433075000u + 25000u * static_cast<std::uint32_t>(row));
        QCOMPARE(record.power(), std::uint8_t{0xFF});
    }
    for (const SettingsField& field : SettingsFields()) {
        auto* combo =
            m_window->FindControl<DuiLib::CComboUI>(QString::fromLatin1(SettingsComboName(field)));
        QVERIFY2(combo != nullptr, SettingsComboName(field));
        QCOMPARE(combo->GetCurSel(), field.defaultIndex);
    }

    const QString port = QString::fromStdString(m_radio->SlavePath());
    QTRY_COMPARE_WITH_TIMEOUT(portLabel->GetText(), Utf8("Текущий порт:") + port, 2000);
    auto* cboCOM = m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboCOM"));
    QCOMPARE(cboCOM->GetText(), port);
    QVERIFY(m_window->GetPort().IsOpen());
    // The probe only handshakes: the radio is never acknowledged.
    QVERIFY(m_prompts.messages.empty());
}

void MainWindowTest::f11ReadsEveryRowAndTheSettings()
{
    auto* cboCOM = m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboCOM"));
    QTRY_VERIFY_WITH_TIMEOUT(cboCOM->GetCurSel() >= 0, 2000);
    PressKey(Qt::Key_F11);
    QCOMPARE(LastMessage(), Utf8(Texts::kReadDone));
    QCOMPARE(m_prompts.messages.back().caption, Utf8(Texts::kWindowTitle));
    QVERIFY(m_prompts.messages.back().icon == IUserPrompts::Icon::Information);

    const RadioImage expected = RichImage();
    for (int row = 0; row < kChannelCount; ++row)
        QCOMPARE(GridImage().channels[row].bytes, expected.channels[row].bytes);
    CChannelList* grid = m_window->GetChannelList();
    QCOMPARE(grid->GetItemAt(0)->GetText(kColRxCode), QStringLiteral("023N"));
    QCOMPARE(grid->GetItemAt(1)->GetText(kColRxCode), QStringLiteral("754I"));
    QCOMPARE(grid->GetItemAt(0)->GetText(kColPower), Utf8("Высокая")); // 0x01 is high
    QCOMPARE(m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboTOT"))->GetText(),
             QStringLiteral("60"));
    QCOMPARE(m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboSQLev"))->GetText(),
             QStringLiteral("9"));
    QCOMPARE(m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboPF2"))->GetCurSel(), 1);
    QVERIFY(m_window->GetProgressDialog() == nullptr);
}

void MainWindowTest::f12WritesTheRowsAndNormalisedSettings()
{
    auto* cboCOM = m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboCOM"));
    QTRY_VERIFY_WITH_TIMEOUT(cboCOM->GetCurSel() >= 0, 2000);
    PressKey(Qt::Key_F11);
    QCOMPARE(LastMessage(), Utf8(Texts::kReadDone));
    // An edited cell changes only its field; the radio gets every other byte as it was.
    m_window->GetChannelList()->GetItemAt(2)->SetCellText(kColTxFreq, QStringLiteral("446,00625"));
    m_radio->SetImage(RadioImage{});

    PressKey(Qt::Key_F12);
    QCOMPARE(LastMessage(), Utf8(Texts::kWriteDone));
    const RadioImage written = m_radio->Image();
    RadioImage expected = RichImage();
    expected.channels[2].setTxHz(446006250);
    for (int row = 0; row < kChannelCount; ++row)
        QCOMPARE(written.channels[row].bytes, expected.channels[row].bytes);
    const auto& s = written.settings.bytes;
    for (std::size_t offset = 4; offset < s.size(); ++offset) {
        std::uint8_t want = 0;
        switch (offset) {
        case 4:
            want = 1;
            break;
        case 14:
            want = 9;
            break;
        case 15:
            want = 60;
            break;
        case 16:
            want = 2;
            break;
        case 17:
            want = 2;
            break;
        case 18:
            want = 1;
            break;
        default:
            break;
        }
        QCOMPARE(int(s[offset]), int(want));
    }
}

void MainWindowTest::toolbarAndButtonStartTheSameRead()
{
    auto* cboCOM = m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboCOM"));
    QTRY_VERIFY_WITH_TIMEOUT(cboCOM->GetCurSel() >= 0, 2000);
    for (const char* name : {"tolRead", "btnRead"}) {
        QWidget* button = m_window->FindControl(QString::fromLatin1(name));
        QVERIFY(button != nullptr);
        m_prompts.messages.clear();
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        QCOMPARE(LastMessage(), Utf8(Texts::kReadDone));
    }
}

void MainWindowTest::silentRadioAndStalledRadioGiveTheirMessages()
{
    auto* cboCOM = m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboCOM"));
    QTRY_VERIFY_WITH_TIMEOUT(cboCOM->GetCurSel() >= 0, 2000);
    const RadioImage before = GridImage();

    m_radio->SetFault({SimFault::Kind::NoIdent, 0});
    QElapsedTimer timer;
    timer.start();
    PressKey(Qt::Key_F11);
    QCOMPARE(LastMessage(), Utf8(Texts::kCheckCable));
    QVERIFY(m_prompts.messages.back().icon == IUserPrompts::Icon::Error);
    QVERIFY2(timer.elapsed() < 2500, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(GridImage().channels, before.channels);

    m_radio->SetFault({SimFault::Kind::StallAfter, 5});
    PressKey(Qt::Key_F11);
    QCOMPARE(LastMessage(), Utf8(Texts::kTimedOut));
    const RadioImage rich = RichImage();
    for (int row = 0; row < kChannelCount; ++row) {
        const auto& want = row < 5 ? rich.channels[row] : before.channels[row];
        QCOMPARE(GridImage().channels[row].bytes, want.bytes);
    }

    // The next operation works again.
    m_radio->SetFault({});
    PressKey(Qt::Key_F11);
    QCOMPARE(LastMessage(), Utf8(Texts::kReadDone));
}

void MainWindowTest::hangUpDuringAWriteEndsCleanly()
{
    auto* portLabel = m_window->FindControl<DuiLib::CLabelUI>(QStringLiteral("LabPort"));
    auto* cboCOM = m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboCOM"));
    QTRY_VERIFY_WITH_TIMEOUT(cboCOM->GetCurSel() >= 0, 2000);
    m_radio->SetFault({SimFault::Kind::HangupAfter, 6});
    PressKey(Qt::Key_F12);
    const QString message = LastMessage();
    QVERIFY2(message == Utf8(Texts::kPortWriteFailed) || message == Utf8(Texts::kTimedOut),
             qPrintable(message));
    QTRY_COMPARE_WITH_TIMEOUT(portLabel->GetText(), Utf8("Текущий порт:Отключен"), 2000);
    QVERIFY(!m_window->GetPort().IsOpen());
}

void MainWindowTest::noPortSelectedSaysCheckTheCable()
{
    auto* cboCOM = m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboCOM"));
    QTRY_VERIFY_WITH_TIMEOUT(cboCOM->GetCurSel() >= 0, 2000);
    // The adapters are unplugged.
    while (cboCOM->GetCount() > 0)
        m_window->PortDeviceChanged(false, cboCOM->GetItemText(0).toStdString());
    QCOMPARE(cboCOM->GetCurSel(), -1);
    PressKey(Qt::Key_F11);
    QCOMPARE(LastMessage(), Utf8(Texts::kCheckCable));
    QVERIFY(m_prompts.messages.back().icon == IUserPrompts::Icon::Information);
}

void MainWindowTest::portThatCannotBeOpenedSaysWhy()
{
    auto* cboCOM = m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboCOM"));
    QTRY_VERIFY_WITH_TIMEOUT(cboCOM->GetCurSel() >= 0 && m_window->GetPort().IsOpen(), 2000);

    // Another program holds the port.
    struct CIgnoringReceiver : ICommPortProcess
    {
        virtual ~CIgnoringReceiver() = default;
        void OnReceive(const std::uint8_t*, std::uint32_t) override {}
    } nobody;
    m_window->GetPort().Close();
    CCommPort other(&nobody);
    QVERIFY(other.Open(m_radio->SlavePath()));
    // Picked again in the list, the port says why it is not taken.
    auto* portLabel = m_window->FindControl<DuiLib::CLabelUI>(QStringLiteral("LabPort"));
    const int port = cboCOM->GetCurSel();
    cboCOM->SelectItem(-1);
    cboCOM->SelectItem(port);
    QTRY_COMPARE_WITH_TIMEOUT(portLabel->GetText(), Utf8(Texts::kPortBusy), 2000);
    PressKey(Qt::Key_F11);
    QCOMPARE(LastMessage(),
             Utf8(Texts::kPortOpenFailed) + QLatin1Char('\n') + Utf8(Texts::kPortBusy));
    QCOMPARE(m_prompts.messages.back().caption, Utf8(Texts::kWarningCaption));
    QVERIFY(m_prompts.messages.back().icon == IUserPrompts::Icon::Warning);
    other.Close();

    // The adapter was pulled out.
    m_radio.reset();
    PressKey(Qt::Key_F12);
    QCOMPARE(LastMessage(),
             Utf8(Texts::kPortOpenFailed) + QLatin1Char('\n') + Utf8(Texts::kPortNotFound));
    QVERIFY(!m_window->GetPort().IsOpen());
    QCOMPARE(m_prompts.messages.size(), std::size_t{2});
}

void MainWindowTest::saveAndOpenRoundTripByteExact()
{
    auto* cboCOM = m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboCOM"));
    QTRY_VERIFY_WITH_TIMEOUT(cboCOM->GetCurSel() >= 0, 2000);
    PressKey(Qt::Key_F11);
    const RadioImage read = GridImage();

    const QString path = m_dir.filePath(QStringLiteral("radio.kt"));
    m_prompts.saveAnswers << path;
    QTest::mouseClick(m_window->FindControl(QStringLiteral("tolSave")), Qt::LeftButton);
    QVERIFY(m_prompts.lastDefaultName.startsWith(QStringLiteral("VORLEND_")));
    QVERIFY(m_prompts.lastDefaultName.endsWith(QStringLiteral(".kt")));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    QCOMPARE(saved.size(), 420);

    // Back to the defaults, then open: every byte of every row returns, and the settings.
    for (int row = 0; row < kChannelCount; ++row)
        m_window->GetChannelList()->GetItemAt(row)->SetChannelRecord(ChannelRecord{});
    auto* sq = m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboSQLev"));
    sq->SelectItem(0);
    m_prompts.openAnswers << path;
    QTest::mouseClick(m_window->FindControl(QStringLiteral("tolOpen")), Qt::LeftButton);
    QCOMPARE(GridImage().channels, read.channels);
    QCOMPARE(sq->GetCurSel(), 9);

    // Saving again over the file gives the same bytes.
    m_prompts.saveAnswers << path;
    QTest::mouseClick(m_window->FindControl(QStringLiteral("tolSave")), Qt::LeftButton);
    QFile again(path);
    QVERIFY(again.open(QIODevice::ReadOnly));
    QCOMPARE(again.readAll(), saved);
}

void MainWindowTest::badFilesLeaveTheGridAlone()
{
    const QString good = m_dir.filePath(QStringLiteral("good.kt"));
    m_prompts.saveAnswers << good;
    QTest::mouseClick(m_window->FindControl(QStringLiteral("tolSave")), Qt::LeftButton);
    QFile file(good);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();

    struct Case
    {
        const char* name;
        QByteArray content;
        const char* message;
    };
    QByteArray crc = bytes;
    crc[200] = static_cast<char>(crc[200] ^ 0x10);
    QByteArray id = bytes;
    id[0] = 'k';
    const Case cases[] = {
        {"crc.kt", crc, Texts::kBadFileCrc},
        {"id.kt", id, Texts::kBadFileFormat},
        {"empty.kt", QByteArray(), Texts::kBadFileFormat},
        {"text.kt", QByteArray("hello, world\n"), Texts::kBadFileFormat},
    };
    // Something else in the grid, so that a wrongly applied file would show.
    m_window->GetChannelList()->GetItemAt(0)->SetCellText(kColRxFreq, QStringLiteral("150"));
    const RadioImage before = GridImage();
    for (const Case& c : cases) {
        const QString path = m_dir.filePath(QString::fromLatin1(c.name));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(c.content);
        out.close();
        m_prompts.openAnswers << path;
        QTest::mouseClick(m_window->FindControl(QStringLiteral("tolOpen")), Qt::LeftButton);
        QCOMPARE(LastMessage(), Utf8(c.message));
        QCOMPARE(GridImage().channels, before.channels);
    }
    m_prompts.openAnswers << m_dir.filePath(QStringLiteral("missing.kt"));
    QTest::mouseClick(m_window->FindControl(QStringLiteral("tolOpen")), Qt::LeftButton);
    QVERIFY(LastMessage().startsWith(Utf8(Texts::kCannotOpenFile)));
    QCOMPARE(GridImage().channels, before.channels);

    // A save that cannot be written says so.
    m_prompts.saveAnswers << m_dir.filePath(QStringLiteral("no/such/folder/x.kt"));
    QTest::mouseClick(m_window->FindControl(QStringLiteral("tolSave")), Qt::LeftButton);
    QVERIFY(LastMessage().startsWith(Utf8(Texts::kCannotSaveFile)));
}

void MainWindowTest::keysOnlyActivateVisibleEnabledButtons()
{
    auto* cboCOM = m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboCOM"));
    QTRY_VERIFY_WITH_TIMEOUT(cboCOM->GetCurSel() >= 0, 2000);
    QWidget* read = m_window->FindControl(QStringLiteral("btnRead"));
    read->setEnabled(false);
    PressKey(Qt::Key_F11);
    QVERIFY(m_prompts.messages.empty());
    read->setEnabled(true);
    read->hide();
    PressKey(Qt::Key_F11);
    QVERIFY(m_prompts.messages.empty());
    read->show();
    PressKey(Qt::Key_F11);
    QCOMPARE(LastMessage(), Utf8(Texts::kReadDone));
}

// Each command that reads the grid sends or saves what the grid shows, an edit under way
// included, and each command that replaces the grid leaves nothing typed before it to land
// after it: from the keys pressed inside the typing window or the combo, the toolbar, the
// buttons, and a command that reaches the window without moving the focus.
void MainWindowTest::commandsEndTheOpenEditFirst()
{
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    auto* cboCOM = m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboCOM"));
    QTRY_VERIFY_WITH_TIMEOUT(cboCOM->GetCurSel() >= 0, 2000);
    CChannelList* grid = m_window->GetChannelList();
    const QString path = m_dir.filePath(QStringLiteral("edit.kt"));
    auto focused = [] { return QApplication::focusWidget(); };

    // Edits left open in row r: a frequency in its typing window, a two-choice cell or a code
    // changed with the keyboard.
    enum class Edit
    {
        Typing,
        Choice,
        Code
    };
    auto startEdit = [&](Edit edit, int row) {
        // A dialog of the command before may have left the window inactive.
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        if (edit == Edit::Typing) {
            ClickCell(row, kColRxFreq);
            QWidget* editor = grid->GetColumnEditor(kColRxFreq);
            Click(editor, editor->rect().center());
            QTest::keyClicks(focused(), QStringLiteral("14%1,5").arg(row));
        } else {
            const int column = edit == Edit::Choice ? kColPower : kColRxCode;
            ClickCell(row, column);
            auto* combo = qobject_cast<DuiLib::CComboUI*>(grid->GetColumnEditor(column));
            QTest::keyClick(focused(), combo->GetCurSel() == 0 ? Qt::Key_Down : Qt::Key_Up);
        }
    };
    const std::pair<const char*, std::function<void()>> writes[] = {
        {"F12", [&] { PressKey(Qt::Key_F12); }},
        {"btnWrite", [&] { ClickControl("btnWrite"); }},
        {"tolWrite", [&] { ClickControl("tolWrite"); }},
        {"save",
         [&] {
             m_prompts.saveAnswers << path;
             m_window->SaveDataFile();
         }},
        {"tolSave",
         [&] {
             m_prompts.saveAnswers << path;
             ClickControl("tolSave");
         }},
    };
    int row = 0;
    for (const auto& [name, command] : writes) {
        for (const Edit edit : {Edit::Typing, Edit::Choice, Edit::Code}) {
            const RadioImage before = GridImage();
            m_radio->SetImage(RadioImage{});
            startEdit(edit, row);
            m_prompts.messages.clear();
            command();
            const bool toFile = QByteArray(name).contains("ave");
            const RadioImage sent = toFile ? ReadDataFile(path).image : m_radio->Image();
            QVERIFY2(toFile || LastMessage() == Utf8(Texts::kWriteDone), name);
            QVERIFY2(sent.channels == GridImage().channels, name);
            QVERIFY2(GridImage().channels[row].bytes != before.channels[row].bytes, name);
            if (edit == Edit::Typing)
                QCOMPARE(sent.channels[row].rxHz(), 140500000u + 1000000u * unsigned(row));
            QVERIFY2(grid->GetColumnEditor(grid->GetEditColumn())->isHidden(), name);
            row = (row + 1) % 8;
        }
    }

    const RadioImage rich = RichImage();
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const KtFileBytes bytes = EncodeKtFile(rich);
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    file.close();
    const std::pair<const char*, std::function<void()>> replaces[] = {
        {"F11", [&] { PressKey(Qt::Key_F11); }},
        {"btnRead", [&] { ClickControl("btnRead"); }},
        {"tolRead", [&] { ClickControl("tolRead"); }},
        {"open",
         [&] {
             m_prompts.openAnswers << path;
             m_window->OpenDataFile();
         }},
        {"tolOpen",
         [&] {
             m_prompts.openAnswers << path;
             ClickControl("tolOpen");
         }},
    };
    for (const auto& [name, command] : replaces) {
        for (const Edit edit : {Edit::Typing, Edit::Code}) {
            m_radio->SetImage(rich);
            for (int r = 0; r < kChannelCount; ++r)
                grid->GetItemAt(r)->SetChannelRecord(ChannelRecord{});
            startEdit(edit, row);
            command();
            QVERIFY2(GridImage().channels == rich.channels, name);
            // The next click, which used to drop the stale text into the cell, changes nothing.
            ClickCell(row + 1, 0);
            QVERIFY2(GridImage().channels == rich.channels, name);
            QCOMPARE(grid->GetItemAt(row)->GetText(kColRxFreq),
                     QString::fromStdString(FormatFrequency(rich.channels[row].rxHz())));
            row = (row + 1) % 8;
        }
    }
}

// Tab and Shift+Tab leave the grid for the port and settings combos and the two buttons, and
// come back to the cell last edited; leaving a typing window commits it.
void MainWindowTest::tabGoesRoundTheGridCombosAndButtons()
{
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    CChannelList* grid = m_window->GetChannelList();
    ClickCell(3, kColTxFreq);
    // Each key where the focus is: the first opens the typing window.
    for (const QChar c : QStringLiteral("150"))
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    const char* const order[] = {"cboCOM", "cboTOT", "cboSQLev", "cboSavePower", "cboScan",
                                 "cboPF1", "cboPF2", "cboVoice", "btnRead",      "btnWrite"};
    for (const char* name : order) {
        PressKey(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), m_window->FindControl(QString::fromLatin1(name)));
    }
    QCOMPARE(grid->GetItemAt(3)->GetText(kColTxFreq), QStringLiteral("150,00000"));
    PressKey(Qt::Key_Tab);
    QWidget* editor = grid->GetColumnEditor(kColTxFreq);
    QVERIFY(editor->isVisible());
    QCOMPARE(QApplication::focusWidget(), editor);
    QCOMPARE(grid->GetEditRow(), 3);
    PressKey(Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), m_window->FindControl(QStringLiteral("btnWrite")));
    PressKey(Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), m_window->FindControl(QStringLiteral("btnRead")));
    // Space on a button is its click.
    auto* cboCOM = m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboCOM"));
    QTRY_VERIFY_WITH_TIMEOUT(cboCOM->GetCurSel() >= 0, 2000);
    PressKey(Qt::Key_Space);
    QCOMPARE(LastMessage(), Utf8(Texts::kReadDone));
}

void MainWindowTest::activationColoursFollowTheWindow()
{
    auto* title = m_window->FindControl<DuiLib::CLabelUI>(QStringLiteral("title"));
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_COMPARE_WITH_TIMEOUT(m_window->GetRoot()->GetBorderColor().rgba(), 0xFFAAAAAAu, 2000);
    QCOMPARE(title->GetTextColor().rgba(), 0xFF96A0ABu);
    m_window->activateWindow();
    QTRY_COMPARE_WITH_TIMEOUT(m_window->GetRoot()->GetBorderColor().rgba(), 0xFF1883D7u, 2000);
    QCOMPARE(title->GetTextColor().rgba(), 0xFF1E1E1Eu);
}

void MainWindowTest::secondCopyRaisesTheFirstAndEnds()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // A private temporary folder keeps this pair apart from any copy a developer runs.
    env.insert(QStringLiteral("TMPDIR"), m_dir.path());
    env.remove(QStringLiteral("VORLEND_SERIAL_PORTS"));
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(VORLEND_BINARY), {});
    QVERIFY(first.waitForStarted());
    QTest::qWait(1500);
    QCOMPARE(first.state(), QProcess::Running);

    QProcess second;
    second.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    second.start(QStringLiteral(VORLEND_BINARY), {});
    QVERIFY(second.waitForFinished(5000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(timer.elapsed() < 3000);
    QCOMPARE(first.state(), QProcess::Running);

    first.terminate();
    QVERIFY(first.waitForFinished(5000));
}

QTEST_MAIN(MainWindowTest)
void MainWindowTest::messageBoxesWrapOnlyAtSpaces()
{
    // The real box, not the fake: what it is given to lay out is what a user reads.
    CQtUserPrompts prompts;
    for (const char* text : {Texts::kCheckCable, Texts::kPortOpenFailed, Texts::kPortWriteFailed,
                             Texts::kReadDone, Texts::kTimedOut}) {
        QString shown;
        QTimer::singleShot(0, this, [&shown] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->text();
                box->done(0);
            }
        });
        prompts.Message(m_window, IUserPrompts::Icon::Information, Utf8(text),
                        Utf8(Texts::kWindowTitle));
        QString visible = shown;
        QCOMPARE(visible.remove(QChar(0x2060)), Utf8(text));
        // Qt's line breaking may break such a text after a space and nowhere else.
        QTextBoundaryFinder lines(QTextBoundaryFinder::Line, shown);
        while (lines.toNextBoundary() > 0 && lines.position() < shown.size()) {
            QVERIFY2(shown[lines.position() - 1].isSpace(),
                     qPrintable(shown.left(lines.position()) + QStringLiteral(" | ")));
        }
    }
}

// Each kind of step is undone and redone as one: a cell commit (left open when Ctrl+Z comes), a
// settings choice, an opened file, a paste, a cut and a read from the radio, which Ctrl+Z takes
// back in the grid alone.
void MainWindowTest::undoAndRedoWalkThroughEveryKindOfStep()
{
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    auto* cboCOM = m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboCOM"));
    QTRY_VERIFY_WITH_TIMEOUT(cboCOM->GetCurSel() >= 0, 2000);
    CChannelList* grid = m_window->GetChannelList();
    QUndoStack& undo = m_window->GetUndoStack();
    QCOMPARE(undo.count(), 0);
    std::vector<QStringList> states{GridDump()};
    std::vector<QString> names;
    // The step just made has this name and its state follows the one before.
    auto stepped = [&](const char* name) {
        states.push_back(GridDump());
        names.push_back(Utf8(name));
        return undo.undoText() == names.back() && undo.index() == int(states.size()) - 1;
    };

    // A commit, and a click on a cell that changes nothing is no step.
    ClickCell(2, kColTxFreq);
    // Each key where the focus is: the first opens the typing window.
    for (const QChar c : QStringLiteral("150"))
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    ClickCell(4, kColPower);
    ClickCell(5, 0);
    QVERIFY(stepped(Texts::kStepEdit));
    QCOMPARE(grid->GetItemAt(2)->GetText(kColTxFreq), QStringLiteral("150,00000"));
    m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboSQLev"))->SelectItem(7);
    QVERIFY(stepped(Texts::kStepSettings));
    OpenImage(CanonicalImage(1));
    QVERIFY(stepped(Texts::kStepOpen));
    QGuiApplication::clipboard()->setText(QStringLiteral("145,5\t\t754I\n146\n"));
    ClickCell(8, 0);
    PressKey(Qt::Key_V, Qt::ControlModifier);
    QVERIFY(stepped(Texts::kStepPaste));
    QCOMPARE(grid->GetItemAt(8)->GetText(kColRxCode), QStringLiteral("754I"));
    QCOMPARE(grid->GetItemAt(9)->GetText(kColRxFreq), QStringLiteral("146,00000"));
    ClickCell(10, 0);
    ClickCell(11, 0, Qt::ShiftModifier);
    PressKey(Qt::Key_X, Qt::ControlModifier);
    QVERIFY(stepped(Texts::kStepCut));
    QCOMPARE(grid->GetItemAt(11)->GetText(kColScan), QString());
    m_radio->SetImage(CanonicalImage(2));
    PressKey(Qt::Key_F11);
    QCOMPARE(LastMessage(), Utf8(Texts::kReadDone));
    QVERIFY(stepped(Texts::kStepRead));
    QVERIFY(GridImage().channels == CanonicalImage(2).channels);

    // An edit left open: Ctrl+Z commits it and takes it back, and nothing of it lands later.
    m_window->activateWindow(); // after the progress dialog
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    ClickCell(0, kColRxFreq);
    QWidget* editor = grid->GetColumnEditor(kColRxFreq);
    Click(editor, editor->rect().center());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("147"));
    PressKey(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(editor->isHidden());
    QCOMPARE(GridDump(), states.back());
    QCOMPARE(undo.redoText(), Utf8(Texts::kStepEdit));
    ClickCell(1, kColRxFreq);
    ClickCell(1, 0);
    QCOMPARE(GridDump(), states.back());

    // Ctrl+Z after F11 puts the grid back as it was before the read; the radio keeps its data.
    const RadioImage radio = m_radio->Image();
    PressKey(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(GridDump(), states[states.size() - 2]);
    QVERIFY(m_radio->Image().channels == radio.channels);
    // The rest, down to the defaults, and all the way up again with both redo keys.
    for (std::size_t i = states.size() - 2; i > 0; --i) {
        QCOMPARE(undo.undoText(), names[i - 1]);
        PressKey(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(GridDump(), states[i - 1]);
    }
    QVERIFY(!undo.canUndo());
    for (std::size_t i = 1; i < states.size(); ++i) {
        QCOMPARE(undo.redoText(), names[i - 1]);
        if (i % 2 == 0)
            PressKey(Qt::Key_Y, Qt::ControlModifier);
        else
            PressKey(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(GridDump(), states[i]);
    }
    // Last, the edit that Ctrl+Z committed and took back.
    QCOMPARE(undo.redoText(), Utf8(Texts::kStepEdit));
    PressKey(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(grid->GetItemAt(0)->GetText(kColRxFreq), QStringLiteral("147,00000"));
    QVERIFY(!undo.canRedo());
    QCOMPARE(m_prompts.messages.size(), std::size_t{1});
}

// All 16 rows copied out and pasted over other data give back every field byte for byte; bytes
// 15 to 23 stay with the rows pasted into. A cut leaves the rows empty and their records as
// they were.
void MainWindowTest::copiedRowsPasteBackByteExact()
{
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    CChannelList* grid = m_window->GetChannelList();
    const RadioImage source = CanonicalImage(3);
    OpenImage(source);
    const QStringList shown = GridDump();
    ClickCell(0, 0);
    ClickCell(15, 0, Qt::ShiftModifier);
    QCOMPARE(grid->GetSelectedRows().size(), std::size_t{16});
    PressKey(Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 17); // and the last line's end
    QCOMPARE(lines[3],
             shown[3].section(QLatin1Char('|'), 0, 6).replace(QLatin1Char('|'), QLatin1Char('\t')));
    QCOMPARE(lines[3].section(QLatin1Char('\t'), 2, 2), QStringLiteral("1234N"));

    PressKey(Qt::Key_X, Qt::ControlModifier);
    for (int row = 0; row < kChannelCount; ++row) {
        for (int column = kColRxFreq; column <= kColScan; ++column)
            QCOMPARE(grid->GetItemAt(row)->GetText(column), QString());
    }
    QVERIFY(GridImage().channels == source.channels);

    const RadioImage other = CanonicalImage(4);
    OpenImage(other);
    ClickCell(0, 0);
    ClickCell(15, 0, Qt::ShiftModifier);
    PressKey(Qt::Key_V, Qt::ControlModifier);
    QVERIFY(m_prompts.messages.empty());
    for (int row = 0; row < kChannelCount; ++row) {
        ChannelRecord want = source.channels[row];
        std::copy(other.channels[row].bytes.begin() + 15, other.channels[row].bytes.end(),
                  want.bytes.begin() + 15);
        QCOMPARE(grid->GetItemAt(row)->GetChannelRecord().bytes, want.bytes);
        QCOMPARE(GridDump()[row].section(QLatin1Char('|'), 0, 6),
                 shown[row].section(QLatin1Char('|'), 0, 6));
    }
}

// Cells a column does not take are refused one by one and listed by channel and column; the
// rest of the paste applies, as one step.
void MainWindowTest::refusedPastedCellsAreListedAndLeftAlone()
{
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    CChannelList* grid = m_window->GetChannelList();
    const QStringList before = GridDump();
    QGuiApplication::clipboard()->setText(Utf8("433,1\tabc\t023n\t-5\tСредняя\tУзкая (N)\tДа\r\n"
                                               "1234\t433.5\t5000N\t88,5\tНизкая\t\tнет\r\n"
                                               "150\r\n"
                                               "151\r\n"));
    ClickCell(13, 0);
    PressKey(Qt::Key_V, Qt::ControlModifier);

    const CListChannelElement* first = grid->GetItemAt(13);
    QCOMPARE(first->GetText(kColRxFreq), QStringLiteral("433,10000"));
    QCOMPARE(first->GetText(kColRxCode), QStringLiteral("023N"));
    QCOMPARE(first->GetText(kColWidth), Utf8(kWidthNarrow));
    QCOMPARE(first->GetChannelRecord().rxTone(), ToneCode{0x2017});
    const CListChannelElement* second = grid->GetItemAt(14);
    QCOMPARE(second->GetText(kColTxCode), QStringLiteral("88,5"));
    QCOMPARE(second->GetText(kColPower), Utf8(kPowerLow));
    QCOMPARE(second->GetText(kColWidth), Utf8(kWidthWide)); // empty: the new-channel text
    QCOMPARE(grid->GetItemAt(15)->GetText(kColRxFreq), QStringLiteral("150,00000"));
    // The refused cells are as they were, and so is every row the paste did not reach.
    const QStringList after = GridDump();
    const int refusedColumns[2][7] = {{0, 1, 0, 1, 1, 0, 0}, {1, 1, 1, 0, 0, 0, 1}};
    for (int line = 0; line < 2; ++line) {
        for (int column = kColRxFreq; column <= kColScan; ++column) {
            if (refusedColumns[line][column - 1] != 0)
                QCOMPARE(after[13 + line].section(QLatin1Char('|'), column - 1, column - 1),
                         before[13 + line].section(QLatin1Char('|'), column - 1, column - 1));
        }
    }
    for (int row = 0; row < 13; ++row)
        QCOMPARE(after[row], before[row]);
    QCOMPARE(m_prompts.messages.size(), std::size_t{1});
    QVERIFY(m_prompts.messages.back().icon == IUserPrompts::Icon::Warning);
    QCOMPARE(m_prompts.messages.back().text,
             Utf8("Эти значения не подходят для своих столбцов и не вставлены:\n"
                  "канал 14, «Частота TX»: abc\n"
                  "канал 14, «Код QT/DQT (TX)»: -5\n"
                  "канал 14, «Мощность TX»: Средняя\n"
                  "канал 15, «Частота RX»: 1234\n"
                  "канал 15, «Частота TX»: 433.5\n"
                  "канал 15, «Код QT/DQT (RX)»: 5000N\n"
                  "канал 15, «Сканирование»: нет"));
    QCOMPARE(m_window->GetUndoStack().count(), 1);
    PressKey(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(GridDump(), before);
}

#include "MainWindowTest.moc"

// The grid's menu exports the plan to a spreadsheet's CSV and imports it back as one undo step;
// a file it does not understand changes nothing.
void MainWindowTest::channelPlanGoesThroughCsvAndBack()
{
    auto trigger = [this](const char* entry) {
        const std::unique_ptr<QMenu> menu = m_window->CreateGridMenu();
        for (QAction* action : menu->actions()) {
            if (action->text() == Utf8(entry)) {
                QVERIFY(action->isEnabled());
                action->trigger();
                return;
            }
        }
        QFAIL(entry);
    };
    {
        // The card is printed from the same menu (its dialog is tested with the card).
        const std::unique_ptr<QMenu> menu = m_window->CreateGridMenu();
        const QList<QAction*> actions = menu->actions();
        QVERIFY(std::any_of(actions.begin(), actions.end(), [](const QAction* a) {
            return a->text() == Utf8(Texts::kMenuPrint) && a->isEnabled();
        }));
    }
    OpenImage(CanonicalImage(3));
    const RadioImage planned = GridImage();
    auto* sq = m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboSQLev"));
    const int plannedSq = sq->GetCurSel();

    const QString path = m_dir.filePath(QStringLiteral("plan.csv"));
    m_prompts.saveAnswers << path;
    trigger(Texts::kMenuExportCsv);
    QVERIFY(m_prompts.lastKind == IUserPrompts::FileKind::Spreadsheet);
    QVERIFY(m_prompts.lastDefaultName.endsWith(QStringLiteral(".csv")));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("\xEF\xBB\xBF"));

    OpenImage(CanonicalImage(5));
    sq->SelectItem(plannedSq == 0 ? 1 : 0);
    const RadioImage other = GridImage();
    QVERIFY(other.channels != planned.channels);
    m_prompts.openAnswers << path;
    trigger(Texts::kMenuImportCsv);
    QVERIFY2(m_prompts.messages.empty(), qPrintable(LastMessage()));
    // What the grid shows came back; bytes 15-23, which no cell shows, stay with the rows.
    RadioImage expected = planned;
    for (int row = 0; row < kChannelCount; ++row) {
        for (std::size_t b = 15; b < 24; ++b)
            expected.channels[row].bytes[b] = other.channels[row].bytes[b];
    }
    QCOMPARE(GridImage().channels, expected.channels);
    QCOMPARE(sq->GetCurSel(), plannedSq);
    m_window->Undo();
    QCOMPARE(GridImage().channels, other.channels);

    const QString bad = m_dir.filePath(QStringLiteral("bad.csv"));
    QFile broken(bad);
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("\xEF\xBB\xBFnot;a;channel;plan\r\n1;2\r\n");
    broken.close();
    m_prompts.openAnswers << bad;
    trigger(Texts::kMenuImportCsv);
    QVERIFY(LastMessage().startsWith(Utf8(Texts::kCsvNotImported)));
    QVERIFY(LastMessage().contains(QStringLiteral("1")));
    QCOMPARE(GridImage().channels, other.channels);
}

// The rows a user copies into a spreadsheet come back from it: LibreOffice Calc (headless) reads
// the copied text as a sheet of numbers and texts, keeps it as a workbook and writes it out
// again, and pasting that gives the records that pasting the copied text itself gives.
void MainWindowTest::copiedRowsComeBackFromASpreadsheet()
{
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    RadioImage plan = CanonicalImage(3);
    // Calc writes 1234.5 and 0 for these, which no editor takes as typed.
    plan.channels[5].setTxHz(446006250);
    plan.channels[4].setTxTone(0x2000 + 23);
    OpenImage(plan);
    auto pasteAll = [this] {
        ClickCell(0, kColNumber);
        ClickCell(15, kColNumber, Qt::ShiftModifier);
        PressKey(Qt::Key_V, Qt::ControlModifier);
    };
    ClickCell(0, kColNumber);
    ClickCell(15, kColNumber, Qt::ShiftModifier);
    PressKey(Qt::Key_C, Qt::ControlModifier);
    const QString copied = QGuiApplication::clipboard()->text();
    pasteAll();
    const RadioImage expected = GridImage();

    const QString sheet = m_dir.filePath(QStringLiteral("rows.csv"));
    QFile text(sheet);
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(copied.toUtf8());
    text.close();
    auto office = [this](const QStringList& arguments) {
        QProcess process;
        // A Russian user's Calc: decimal commas, as the grid shows them here.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LANG"), QStringLiteral("ru_RU.UTF-8"));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("ru_RU.UTF-8"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral("soffice"),
                      QStringList{QStringLiteral("-env:UserInstallation=file://") +
                                      m_dir.filePath(QStringLiteral("profile")),
                                  QStringLiteral("--headless")} +
                          arguments);
        return process.waitForFinished(120000) && process.exitCode() == 0;
    };
    // Tab-separated, UTF-8, from the first line, Russian numbers; then the workbook out as
    // tab-separated text.
    QVERIFY2(
        office({QStringLiteral("--infilter=CSV:9,34,76,1,,1049"), QStringLiteral("--convert-to"),
                QStringLiteral("xlsx"), QStringLiteral("--outdir"), m_dir.filePath("x"), sheet}),
        "LibreOffice (soffice) is missing or failed: tools/install-deps.sh installs it");
    QVERIFY(office(
        {QStringLiteral("--convert-to"), QStringLiteral("csv:Text - txt - csv (StarCalc):9,34,76"),
         QStringLiteral("--outdir"), m_dir.filePath("c"), m_dir.filePath("x/rows.xlsx")}));
    QFile back(m_dir.filePath(QStringLiteral("c/rows.csv")));
    QVERIFY(back.open(QIODevice::ReadOnly));
    const QString fromSheet = QString::fromUtf8(back.readAll());
    QVERIFY2(fromSheet != copied, "Calc kept the text as it was: it did not read numbers");

    // Other rows, whose unshown bytes 15-23 (which stay with a row) are the plan's.
    RadioImage other = CanonicalImage(5);
    for (int row = 0; row < kChannelCount; ++row) {
        for (std::size_t b = 15; b < 24; ++b)
            other.channels[row].bytes[b] = plan.channels[row].bytes[b];
    }
    OpenImage(other);
    QVERIFY(GridImage().channels != expected.channels);
    QGuiApplication::clipboard()->setText(fromSheet);
    pasteAll();
    QVERIFY2(m_prompts.messages.empty(), qPrintable(LastMessage()));
    QCOMPARE(GridImage().channels, expected.channels);
    PressKey(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(GridImage().channels, other.channels);
}
