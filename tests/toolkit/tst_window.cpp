// The window base on the built-in skin: size, caption buttons, keys, activation, messages,
// failure rules, and an offscreen rendering of the whole window.

// Qt
#include "resources/SkinResources.h"
#include "tests/toolkit/TestWindow.h"
#include "toolkit/ButtonUI.h"
#include "toolkit/ComboUI.h"
#include "toolkit/LabelUI.h"
#include "toolkit/PaintManager.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

using vorlend::test::CTestWindow;

class WindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void rendersWholeWindowAt950x466();
    void opensAt950x466CentredWithMinimum950x464();
};

void WindowTest::initTestCase()
{
    vorlend::RegisterBuiltinResources();
}

void WindowTest::init()
{
    DuiLib::WindowImplBase::SetLayoutFailureHandler({});
}

void WindowTest::rendersWholeWindowAt950x466()
{
    CTestWindow window;
    QVERIFY(window.Create(QStringLiteral("Программное обеспечение ВОРЛЕНД")));
    window.CenterWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* time = window.FindControl<DuiLib::CLabelUI>(QStringLiteral("LabTime"));
    auto* port = window.FindControl<DuiLib::CLabelUI>(QStringLiteral("LabPort"));
    QVERIFY(time != nullptr && port != nullptr);
    port->SetText(QStringLiteral("Текущий порт:Отключен"));
    time->SetText(QStringLiteral("08.12.2026 20:10:00"));
    auto* com = window.FindControl<DuiLib::CComboUI>(QStringLiteral("cboCOM"));
    com->AddItem(QStringLiteral("/dev/ttyUSB0"));

    const QImage image = window.grab().toImage();
    const QString path = QDir::current().filePath(QStringLiteral("toolkit_main_window.png"));
    QVERIFY(image.save(path));
    qInfo("window rendered to %s", qPrintable(path));
    QCOMPARE(image.size(), QSize(950, 466));
    // The frame: one pixel of the accent blue all round, white inside, grey status bar.
    QCOMPARE(image.pixelColor(0, 0), QColor(0x18, 0x83, 0xD7));
    QCOMPARE(image.pixelColor(949, 465), QColor(0x18, 0x83, 0xD7));
    QCOMPARE(image.pixelColor(400, 20), QColor(Qt::white));
    QCOMPARE(image.pixelColor(10, 452), QColor(0xF6, 0xF6, 0xF6));
}

void WindowTest::opensAt950x466CentredWithMinimum950x464()
{
    CTestWindow window;
    QVERIFY(window.Create(QStringLiteral("t")));
    window.CenterWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.size(), QSize(950, 466));
    QCOMPARE(window.minimumSize(), QSize(950, 464));
    const QRect area = window.screen()->availableGeometry();
    // Centred; a screen smaller than the window keeps its top-left corner on the screen.
    const int left = area.left() + std::max(0, (area.width() - 950) / 2);
    const int top = area.top() + std::max(0, (area.height() - 466) / 2);
    QVERIFY2(qAbs(window.frameGeometry().left() - left) <= 1, qPrintable(QString::number(left)));
    QVERIFY2(qAbs(window.frameGeometry().top() - top) <= 1, qPrintable(QString::number(top)));
    window.resize(600, 300);
    QCOMPARE(window.size(), QSize(950, 464));
}

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
