// The print dialog of the channel card with real keys (XTest through xdotool) on an Xvfb
// server: Enter confirms and the card reaches the file, Escape prints nothing.

#include "app/ChannelCard.h"
#include "tests/support/CardPrinting.h"

// Qt
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

bool XKey(const QString& key)
{
    QProcess xdo;
    xdo.start(QStringLiteral("xdotool"), {QStringLiteral("key"), key});
    return xdo.waitForFinished(10000) && xdo.exitStatus() == QProcess::NormalExit &&
           xdo.exitCode() == 0;
}

QString PdfInfo(const QString& path)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    info.waitForFinished(30000);
    return QString::fromUtf8(info.readAllStandardOutput());
}

} // namespace

class PrintX11Test : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void enterPrintsAndEscapeDoesNot();
};

void PrintX11Test::initTestCase()
{
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "this test needs an X server (ctest runs it under xvfb-run)");
}

void PrintX11Test::enterPrintsAndEscapeDoesNot()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    RadioImage image;
    image.channels[0].setRxHz(433075000);
    for (const bool confirm : {false, true}) {
        const QString path = dir.filePath(confirm ? "printed.pdf" : "cancelled.pdf");
        bool keySent = false;
        const bool printed = PrintCardToFile(
            path, image,
            [confirm](QPrintDialog& dialog) {
                return QTest::qWaitForWindowActive(&dialog) &&
                       XKey(confirm ? QStringLiteral("Return") : QStringLiteral("Escape"));
            },
            keySent);
        QCOMPARE(printed, confirm);
        QVERIFY(keySent);
        QCOMPARE(QFile::exists(path), confirm);
    }
    QVERIFY(PdfInfo(dir.filePath("printed.pdf")).contains(QRegularExpression("Pages:\\s+1\\n")));
}

QTEST_MAIN(PrintX11Test)
#include "PrintX11Test.moc"
