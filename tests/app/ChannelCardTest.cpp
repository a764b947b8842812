// The printed channel card as a reader gets it: the card rendered to PDF, its text taken back
// out with pdftotext (poppler-utils) and compared with what the window shows; and the print
// dialog's way to a file.

#include "app/ChannelCard.h"
#include "model/CellText.h"
#include "model/DecimalSeparator.h"
#include "tests/support/CardPrinting.h"

// Qt
#include <QPageSize>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Every kind of cell text: both polarities of DCS, tones, no code, the other choices of power,
// width and scan, and a channel the grid would show empty (0 Hz).
RadioImage CardImage()
{
    RadioImage image;
    for (int i = 0; i < kChannelCount; ++i) {
        ChannelRecord& record = image.channels[i];
        record.setRxHz(i == 15 ? 0 : 136012500u + 19975000u * static_cast<std::uint32_t>(i));
        record.setTxHz(446006250u + 1250u * static_cast<std::uint32_t>(i));
        record.setRxTone(i % 3 == 0 ? 0x2017 : i % 3 == 1 ? 0xA2F2 : 1273);
        record.setTxTone(i % 2 == 0 ? 0xFFFF : 885);
        record.setPower(i % 2 == 0 ? 0xFF : 0x00);
        record.setWidth(i % 4 == 0 ? 0x01 : 0x00);
        record.setScan(i % 5 == 0 ? 0x00 : 0xFF);
    }
    auto& s = image.settings.bytes;
    s[SettingsRecord::Offset::TimeOut] = 250;     // shows "180"
    s[SettingsRecord::Offset::SquelchLevel] = 12; // shows "9"
    s[SettingsRecord::Offset::SavePower] = 0;
    s[SettingsRecord::Offset::Scan] = 1;
    s[SettingsRecord::Offset::Pf1] = 2;
    s[SettingsRecord::Offset::Pf2] = 1;
    s[SettingsRecord::Offset::Voice] = 1;
    return image;
}

// What the combos show for CardImage's settings, in the window's order.
const QStringList& ExpectedSettingLines()
{
    static const QStringList lines{
        QStringLiteral("Таймер TOT 180"),
        QStringLiteral("Уровень SQ 9"),
        QStringLiteral("Энергосбережение Отключить"),
        QStringLiteral("Сканирование Включить"),
        QStringLiteral("Кнопка PF1 Мощность H/L"),
        QStringLiteral("Кнопка PF2 Монитор"),
        QStringLiteral("Оповещение Китайский"),
    };
    return lines;
}

QString Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The PDF's lines as pdftotext lays them out, each with its runs of blanks made one blank.
QStringList PdfLines(const QString& path)
{
    QStringList lines;
    const QString text =
        Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    for (const QString& line : text.split(QLatin1Char('\n')))
        lines << line.simplified();
    return lines;
}

int PdfPageCount(const QString& path)
{
    const QString info = Run(QStringLiteral("pdfinfo"), {path});
    const auto match = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)$"),
                                          QRegularExpression::MultilineOption)
                           .match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The card's whole content in the PDF at `path`: one page, the title with the date, the grid's
// header and every row on a line of its own, cell by cell, and every setting with its value.
void VerifyCard(const QString& path, const RadioImage& image, const QString& date)
{
    QCOMPARE(PdfPageCount(path), 1);
    const QStringList lines = PdfLines(path);
    // An empty `date`: printed today, in whatever format the C locale gives.
    const QString title = QStringLiteral("Каналы радиостанции ВОРЛЕНД — ");
    QVERIFY2(date.isEmpty() ? lines.first().startsWith(title) && lines.first().size() > title.size()
                            : lines.first() == title + date,
             qPrintable(lines.first()));
    // Titles may wrap at their blanks: the header is the lines down to the first row, and each
    // title's words stand in it, on one line or over several.
    const qsizetype firstRow =
        std::find_if(lines.begin(), lines.end(),
                     [](const QString& line) { return line.startsWith(QStringLiteral("1 ")); }) -
        lines.begin();
    const QStringList header = lines.mid(1, firstRow - 1);
    for (const char* columnTitle :
         {"№ канала", "Частота RX", "Частота TX", "Код QT/DQT (RX)", "Код QT/DQT (TX)",
          "Мощность TX", "Модуляция W/N", "Сканирование"}) {
        const QStringList words = QString::fromUtf8(columnTitle).split(QLatin1Char(' '));
        const bool oneLine = header.join(QLatin1Char(' ')).contains(QString::fromUtf8(columnTitle));
        const bool wrapped = std::all_of(words.begin(), words.end(), [&](const QString& word) {
            return std::any_of(header.begin(), header.end(), [&](const QString& line) {
                return line.split(QLatin1Char(' ')).contains(word);
            });
        });
        QVERIFY2(oneLine || wrapped, columnTitle);
    }
    for (int row = 0; row < kChannelCount; ++row) {
        QStringList cells{QString::number(row + 1)};
        for (int column = kColRxFreq; column < kColumnCount; ++column)
            cells << QString::fromStdString(CellTextFromRecord(image.channels[row], column));
        QVERIFY2(lines.contains(cells.join(QLatin1Char(' '))), qPrintable(cells.join(' ')));
    }
    for (const QString& setting : ExpectedSettingLines())
        QVERIFY2(lines.contains(setting), qPrintable(setting));
}

} // namespace

class ChannelCardTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void cardHoldsTheGridAndTheSettingsOnOnePage_data();
    void cardHoldsTheGridAndTheSettingsOnOnePage();
    void printDialogPrintsOnlyWhenConfirmed();

private:
    QTemporaryDir m_dir;
};

void ChannelCardTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const char* tool : {"pdftotext", "pdfinfo"}) {
        QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(),
                 "poppler-utils is missing (tools/install-deps.sh)");
    }
}

void ChannelCardTest::cleanupTestCase()
{
    ApplyDecimalSeparator(',');
}

void ChannelCardTest::cardHoldsTheGridAndTheSettingsOnOnePage_data()
{
    QTest::addColumn<QString>("separator");
    QTest::addColumn<int>("page"); // QPageSize::PageSizeId; A4 is the card's own page
    QTest::newRow("A4, comma") << QStringLiteral(",") << int(QPageSize::A4);
    QTest::newRow("A4, point") << QStringLiteral(".") << int(QPageSize::A4);
    // A page the user may pick in the dialog: smaller type, still one page with everything.
    QTest::newRow("A6, comma") << QStringLiteral(",") << int(QPageSize::A6);
}

void ChannelCardTest::cardHoldsTheGridAndTheSettingsOnOnePage()
{
    QFETCH(QString, separator);
    QFETCH(int, page);
    ApplyDecimalSeparator(separator.toStdString());
    const RadioImage image = CardImage();
    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".pdf");
    {
        QPdfWriter writer(path);
        PrepareChannelCardPage(writer);
        writer.setPageSize(QPageSize(static_cast<QPageSize::PageSizeId>(page)));
        QVERIFY(RenderChannelCard(writer, image, QStringLiteral("09.12.2026")));
    }
    VerifyCard(path, image, QStringLiteral("09.12.2026"));
}

void ChannelCardTest::printDialogPrintsOnlyWhenConfirmed()
{
    const RadioImage image = CardImage();
    for (const bool confirm : {false, true}) {
        const QString path = m_dir.filePath(confirm ? "printed.pdf" : "cancelled.pdf");
        bool answered = false;
        const bool printed = PrintCardToFile(
            path, image,
            [confirm](QPrintDialog& dialog) {
                confirm ? dialog.accept() : dialog.reject();
                return true;
            },
            answered);
        QCOMPARE(printed, confirm);
        QVERIFY(answered);
        QCOMPARE(QFile::exists(path), confirm);
    }
    VerifyCard(m_dir.filePath("printed.pdf"), image, QString());
}

QTEST_MAIN(ChannelCardTest)
#include "ChannelCardTest.moc"
