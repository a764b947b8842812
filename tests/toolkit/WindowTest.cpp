// The window base on the built-in skin: size, caption buttons, keys, activation, messages,
// failure rules, and an offscreen rendering of the whole window.

#include "resources/SkinResources.h"
#include "tests/support/TestWindow.h"
#include "tests/support/TestZip.h"
#include "toolkit/ButtonUI.h"
#include "toolkit/ComboUI.h"
#include "toolkit/LabelUI.h"
#include "toolkit/PaintManager.h"
#include "toolkit/ZipArchive.h"

// Qt
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
    void captionButtonsMaximiseRestoreMinimise();
    void closeButtonClosesWithResultOne();
    void keysReachTheWindowBeforeTheFocusedControl();
    void activationChangesReachOnNcActivate();
    void buttonClicksOnlyWhenVisibleAndEnabled();
    void hooksRunBeforeTheWindowsHandler();
    void dragInCaptionMovesButButtonsKeepTheirClicks();
    void resizeBandStopsAtTheMinimumSize();
    void postedSentAndTimerMessagesReachTheHandler();
    void skinWithoutArchiveGivesBareWindow();
    void unbuildableSkinReportsAndStops_data();
    void unbuildableSkinReportsAndStops();
    void missingPicturesStillBuildTheWindow();
};

namespace {

// Shows a freshly built window and waits until it is on screen.
bool ShowWindow(CTestWindow& window)
{
    if (!window.Create(QStringLiteral("t")))
        return false;
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}

void SendMouse(QWidget* target, QEvent::Type type, const QPoint& windowPos, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QWidget* window = target->window();
    const QPoint global = window->mapToGlobal(windowPos);
    QMouseEvent event(type, QPointF(target->mapFromGlobal(global)), QPointF(global), button,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Every entry of the built-in skin, with one changed or left out.
QByteArray SkinWith(const QString& name, const std::optional<QByteArray>& replacement)
{
    const DuiLib::CZipArchive skin(vorlend::SkinArchive());
    QList<vorlend::test::ZipEntry> entries;
    for (const QString& entry : skin.EntryNames()) {
        if (entry != name)
            entries.append({entry, skin.Read(entry).value(), true});
        else if (replacement)
            entries.append({entry, *replacement, true});
    }
    return vorlend::test::MakeZip(entries);
}

} // namespace

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

void WindowTest::captionButtonsMaximiseRestoreMinimise()
{
    CTestWindow window;
    QVERIFY(ShowWindow(window));
    auto* max = window.FindControl<DuiLib::CButtonUI>(QStringLiteral("maxbtn"));
    auto* restore = window.FindControl<DuiLib::CButtonUI>(QStringLiteral("restorebtn"));
    auto* min = window.FindControl<DuiLib::CButtonUI>(QStringLiteral("minbtn"));
    QVERIFY(max != nullptr && restore != nullptr && min != nullptr);
    QVERIFY(max->isVisible() && !restore->isVisible());

    QTest::mouseClick(max, Qt::LeftButton);
    QTRY_VERIFY(window.isMaximized());
    QVERIFY(!max->isVisible());
    QVERIFY(restore->isVisible());
    // The restore button takes the place of the maximise button.
    QCOMPARE(restore->mapTo(&window, QPoint()).x(), window.width() - 1 - 60);

    QTest::mouseClick(restore, Qt::LeftButton);
    QTRY_VERIFY(!window.isMaximized());
    QVERIFY(max->isVisible());
    QVERIFY(!restore->isVisible());

    QTest::mouseClick(min, Qt::LeftButton);
    QTRY_VERIFY(window.isMinimized());
    // The clicks were also notifications to the window, with the buttons' names.
    QCOMPARE(window.notifications.size(), 3);
    QCOMPARE(window.notifications[0], qMakePair(QStringLiteral("click"), QStringLiteral("maxbtn")));
    QCOMPARE(window.notifications[2], qMakePair(QStringLiteral("click"), QStringLiteral("minbtn")));
}

void WindowTest::closeButtonClosesWithResultOne()
{
    CTestWindow window;
    QVERIFY(ShowWindow(window));
    QCOMPARE(window.finalCount, 0);
    QTest::mouseClick(window.FindControl(QStringLiteral("closebtn")), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.GetCloseResult(), 1);
    QCOMPARE(window.finalCount, 1);
}

void WindowTest::keysReachTheWindowBeforeTheFocusedControl()
{
    CTestWindow window;
    QVERIFY(ShowWindow(window));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // At first the window itself has the focus: arrow keys move no combo.
    QCOMPARE(QApplication::focusWidget(), &window);
    QTest::keyClick(&window, Qt::Key_Down);
    QCOMPARE(window.keys, QList<int>{Qt::Key_Down});
    window.keys.clear();
    auto* combo = window.FindControl<DuiLib::CComboUI>(QStringLiteral("cboSQLev"));
    QCOMPARE(combo->GetCurSel(), 4);
    QVERIFY(!window.notifications.contains(
        qMakePair(QStringLiteral("setfocus"), QStringLiteral("cboCOM"))));
    combo->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), combo);

    // Handled by the window: the combo does not see it.
    QTest::keyClick(combo, Qt::Key_F11);
    QCOMPARE(window.keys, QList<int>{Qt::Key_F11});
    QCOMPARE(combo->GetCurSel(), 4);
    // Not handled: the window sees it first, then the combo acts on it.
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(window.keys, (QList<int>{Qt::Key_F11, Qt::Key_Down}));
    QCOMPARE(combo->GetCurSel(), 5);
    // Without a focused control the window itself gets the key.
    window.setFocus();
    QTest::keyClick(&window, Qt::Key_F12);
    QCOMPARE(window.keys.last(), int(Qt::Key_F12));
    QCOMPARE(window.keys.size(), 3);
}

void WindowTest::activationChangesReachOnNcActivate()
{
    CTestWindow window;
    QVERIFY(ShowWindow(window));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(!window.activations.isEmpty());
    QCOMPARE(window.activations.last(), true);
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(window.activations.last(), false);
    // The frame colour is the root's border colour, which the window may change.
    window.GetRoot()->SetBorderColor(QColor(0xAA, 0xAA, 0xAA));
    QCOMPARE(window.grab().toImage().pixelColor(0, 100), QColor(0xAA, 0xAA, 0xAA));
}

void WindowTest::buttonClicksOnlyWhenVisibleAndEnabled()
{
    CTestWindow window;
    QVERIFY(ShowWindow(window));
    auto* read = window.FindControl<DuiLib::CButtonUI>(QStringLiteral("btnRead"));
    QVERIFY(read->Activate());
    read->setEnabled(false);
    QVERIFY(!read->Activate());
    QTest::mouseClick(read, Qt::LeftButton);
    read->setEnabled(true);
    read->hide();
    QVERIFY(!read->Activate());
    read->show();
    // Hidden with its container.
    read->parentWidget()->hide();
    QVERIFY(!read->Activate());
    read->parentWidget()->show();
    QTest::mouseClick(read, Qt::LeftButton);
    QCOMPARE(
        window.notifications.count(qMakePair(QStringLiteral("click"), QStringLiteral("btnRead"))),
        2);
    // Pressed inside, released outside: no click.
    QTest::mousePress(read, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(read, Qt::LeftButton, {}, QPoint(-20, 5));
    QCOMPARE(window.notifications.size(), 2);
}

void WindowTest::hooksRunBeforeTheWindowsHandler()
{
    CTestWindow window;
    QVERIFY(ShowWindow(window));
    QWidget* title = window.FindControl(QStringLiteral("title"));
    QStringList order;
    qsizetype seenByWindowAtHook = -1;
    window.GetPaintManager()->AddNotifyHook(title, [&](DuiLib::TNotifyUI& msg) {
        order << QStringLiteral("hook:%1 %2 %3").arg(msg.sType).arg(msg.wParam).arg(msg.lParam);
        seenByWindowAtHook = window.notifications.size();
        return true;
    });
    window.GetPaintManager()->SendNotify(title, QStringLiteral("itemclick"), 7, 9);
    QCOMPARE(order, QStringList{QStringLiteral("hook:itemclick 7 9")});
    QCOMPARE(seenByWindowAtHook, 0); // the hook ran before the window saw it
    QCOMPARE(window.notifications, (QList<QPair<QString, QString>>{
                                       {QStringLiteral("itemclick"), QStringLiteral("title")}}));
    // Another control's notification does not run the hook.
    window.GetPaintManager()->SendNotify(window.FindControl(QStringLiteral("LabTime")),
                                         QStringLiteral("click"));
    QCOMPARE(order.size(), 1);
}

void WindowTest::dragInCaptionMovesButButtonsKeepTheirClicks()
{
    CTestWindow window;
    QVERIFY(ShowWindow(window));
    window.move(20, 30);
    const QPoint before = window.pos();
    QWidget* title = window.FindControl(QStringLiteral("title"));
    // The offscreen platform has no system move, so the window moves itself.
    SendMouse(title, QEvent::MouseButtonPress, QPoint(300, 12), Qt::LeftButton, Qt::LeftButton);
    SendMouse(title, QEvent::MouseMove, QPoint(340, 22), Qt::NoButton, Qt::LeftButton);
    SendMouse(title, QEvent::MouseButtonRelease, QPoint(340, 22), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(window.pos(), before + QPoint(40, 10));
    // Below the caption nothing moves.
    QWidget* body = window.FindControl(QStringLiteral("LabTime"));
    SendMouse(body, QEvent::MouseButtonPress, QPoint(800, 450), Qt::LeftButton, Qt::LeftButton);
    SendMouse(body, QEvent::MouseMove, QPoint(700, 400), Qt::NoButton, Qt::LeftButton);
    SendMouse(body, QEvent::MouseButtonRelease, QPoint(700, 400), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(window.pos(), before + QPoint(40, 10));
    // A toolbar button in the caption keeps its click.
    QTest::mouseClick(window.FindControl(QStringLiteral("tolAbout")), Qt::LeftButton);
    QCOMPARE(window.notifications.last(),
             qMakePair(QStringLiteral("click"), QStringLiteral("tolAbout")));
    QCOMPARE(window.pos(), before + QPoint(40, 10));
}

void WindowTest::resizeBandStopsAtTheMinimumSize()
{
    CTestWindow window;
    QVERIFY(ShowWindow(window));
    QWidget* root = window.GetRoot();
    // Right edge, 2 pixels in: grows by 50.
    SendMouse(root, QEvent::MouseButtonPress, QPoint(947, 200), Qt::LeftButton, Qt::LeftButton);
    SendMouse(root, QEvent::MouseMove, QPoint(997, 200), Qt::NoButton, Qt::LeftButton);
    SendMouse(root, QEvent::MouseButtonRelease, QPoint(997, 200), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(window.size(), QSize(1000, 466));
    // Bottom-right corner dragged far up and left: stops at 950 x 464.
    SendMouse(root, QEvent::MouseButtonPress, QPoint(998, 464), Qt::LeftButton, Qt::LeftButton);
    SendMouse(root, QEvent::MouseMove, QPoint(500, 100), Qt::NoButton, Qt::LeftButton);
    SendMouse(root, QEvent::MouseButtonRelease, QPoint(500, 100), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(window.size(), QSize(950, 464));
    // 5 pixels in is no longer the band.
    const QSize least = window.size();
    SendMouse(root, QEvent::MouseButtonPress, QPoint(944, 200), Qt::LeftButton, Qt::LeftButton);
    SendMouse(root, QEvent::MouseMove, QPoint(1044, 200), Qt::NoButton, Qt::LeftButton);
    SendMouse(root, QEvent::MouseButtonRelease, QPoint(1044, 200), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(window.size(), least);
}

void WindowTest::postedSentAndTimerMessagesReachTheHandler()
{
    CTestWindow window;
    QVERIFY(ShowWindow(window));
    const unsigned kMine = DuiLib::UIMSG_USER + 1005;
    qintptr sent = 0;
    QThread* worker = QThread::create([&] {
        window.PostMessage(kMine, 11, 0);
        sent = window.SendMessage(kMine + 1, 20, 22); // waits for the handler
    });
    worker->start();
    QTRY_VERIFY(worker->isFinished());
    delete worker;
    QCOMPARE(sent, qintptr(42));
    QCOMPARE(window.messages.size(), 2);
    QCOMPARE(window.messages[0], qMakePair(kMine, quintptr(11)));
    QCOMPARE(window.messages[1], qMakePair(kMine + 1, quintptr(20)));

    window.SetTimer(3026, 10);
    QTRY_VERIFY(window.messages.size() >= 4);
    window.KillTimer(3026);
    QCOMPARE(window.messages.last(), qMakePair(unsigned(DuiLib::UIMSG_TIMER), quintptr(3026)));
    const qsizetype ticks = window.messages.size();
    QTest::qWait(50);
    QCOMPARE(window.messages.size(), ticks);
}

void WindowTest::skinWithoutArchiveGivesBareWindow()
{
    int failures = 0;
    DuiLib::WindowImplBase::SetLayoutFailureHandler(
        [&](const QString&, const QString&) { ++failures; });
    CTestWindow window{QByteArray("")}; // present but empty
    QVERIFY(!window.Create(QStringLiteral("t")));
    QCOMPARE(window.initCount, 0);
    QCOMPARE(window.GetRoot(), nullptr);
    QVERIFY(window.factoryRequests.isEmpty());
    QCOMPARE(failures, 0);
}

void WindowTest::unbuildableSkinReportsAndStops_data()
{
    QTest::addColumn<QByteArray>("archive");
    const QByteArray skin = vorlend::SkinArchive();
    QTest::newRow("not a zip") << QByteArray(4096, 'x');
    QTest::newRow("truncated") << skin.left(skin.size() / 2);
    QTest::newRow("no Skin.xml") << SkinWith(QStringLiteral("Skin.xml"), std::nullopt);
    QTest::newRow("empty Skin.xml") << SkinWith(QStringLiteral("Skin.xml"), QByteArray());
    QTest::newRow("not well-formed")
        << SkinWith(QStringLiteral("Skin.xml"), QByteArray("<Window><VerticalLayout></Window>"));
    QTest::newRow("root not Window")
        << SkinWith(QStringLiteral("Skin.xml"), QByteArray("<Dialog><Control/></Dialog>"));
    QTest::newRow("no control") << SkinWith(QStringLiteral("Skin.xml"),
                                            QByteArray("<Window size=\"10,10\"><Font/></Window>"));
    QByteArray badCrc = skin;
    const qsizetype at = badCrc.indexOf("Skin.xml") + 8 + 10; // inside its Deflate data
    badCrc[at] = char(badCrc[at] ^ 0x40);
    QTest::newRow("Skin.xml damaged") << badCrc;
}

void WindowTest::unbuildableSkinReportsAndStops()
{
    QFETCH(QByteArray, archive);
    QStringList reports;
    DuiLib::WindowImplBase::SetLayoutFailureHandler(
        [&](const QString& text, const QString& caption) { reports << caption << text; });
    CTestWindow window{archive};
    QVERIFY(!window.Create(QStringLiteral("t")));
    QCOMPARE(reports, (QStringList{QStringLiteral("Duilib"), QStringLiteral("加载资源文件失败")}));
    QCOMPARE(window.initCount, 0);
}

void WindowTest::missingPicturesStillBuildTheWindow()
{
    CTestWindow window{SkinWith(QStringLiteral("combo.png"), QByteArray("not a picture"))};
    QVERIFY(window.Create(QStringLiteral("t")));
    QCOMPARE(window.initCount, 1);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.grab().size(), QSize(950, 466));
}

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
