// The progress dialog and the about box: sizes from dialog units, who may close them, and
// with which result.

#include "resources/AboutDlg.h"
#include "resources/DialogUnits.h"
#include "resources/ProgressDlg.h"
#include "resources/SkinResources.h"

// Qt
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

using vorlend::CAboutDlg;
using vorlend::CProgressDlg;

class DialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void dialogUnitsConvertAsWindowsDoes_data();
    void dialogUnitsConvertAsWindowsDoes();
    void progressBarFillsTheDialog();
    void userCannotCloseTheProgressDialog();
    void progressEndsFromAnotherThreadAfterItsSteps();
    void progressTimerTicksUntilTheEnd();
    void aboutBoxShowsEmblemAndTexts();
    void aboutBoxCloses_data();
    void aboutBoxCloses();
};

void DialogsTest::initTestCase()
{
    vorlend::RegisterBuiltinResources();
}

void DialogsTest::dialogUnitsConvertAsWindowsDoes_data()
{
    QTest::addColumn<QRect>("units");
    QTest::addColumn<QSize>("base");
    QTest::addColumn<QRect>("pixels");
    // MS Shell Dlg 8 at 96 dpi has base units 6 x 13; at 9 points 7 x 15.
    QTest::newRow("progress dialog")
        << QRect(0, 0, 273, 41) << QSize(6, 13) << QRect(0, 0, 410, 67);
    QTest::newRow("progress bar") << QRect(7, 7, 259, 27) << QSize(6, 13) << QRect(11, 11, 389, 44);
    QTest::newRow("about box") << QRect(0, 0, 232, 80) << QSize(7, 15) << QRect(0, 0, 406, 150);
    QTest::newRow("about button") << QRect(155, 55, 53, 14) << QSize(7, 15)
                                  << QRect(271, 103, 93, 26);
}

void DialogsTest::dialogUnitsConvertAsWindowsDoes()
{
    QFETCH(QRect, units);
    QFETCH(QSize, base);
    QFETCH(QRect, pixels);
    QCOMPARE(vorlend::DialogUnitsToPixels(units, base), pixels);
}

void DialogsTest::progressBarFillsTheDialog()
{
    CProgressDlg dialog;
    dialog.SetTitle(QStringLiteral("Считывание данных с трансивера"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Считывание данных с трансивера"));
    const QSize base = vorlend::DialogBaseUnits(dialog.font());
    QCOMPARE(dialog.size(), vorlend::DialogUnitsToPixels(QSize(273, 41), base));
    QCOMPARE(dialog.GetProgressBar()->geometry(),
             vorlend::DialogUnitsToPixels(QRect(7, 7, 259, 27), base));
    // The bar keeps the same margin on the left, top and right.
    const QRect bar = dialog.GetProgressBar()->geometry();
    QVERIFY(qAbs(bar.left() - (dialog.width() - bar.right() - 1)) <= 2);
    QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
}

void DialogsTest::userCannotCloseTheProgressDialog()
{
    CProgressDlg dialog;
    int result = -1;
    bool stillOpen = false;
    QTimer::singleShot(50, &dialog, [&] {
        QTest::keyClick(&dialog, Qt::Key_Escape);
        dialog.close(); // the close box, Alt+F4
        stillOpen = dialog.isVisible();
        dialog.EndDialog(3025);
    });
    result = dialog.DoModal();
    QVERIFY(stillOpen);
    QCOMPARE(result, 3025);
}

void DialogsTest::progressEndsFromAnotherThreadAfterItsSteps()
{
    CProgressDlg dialog;
    dialog.SetInitHandler([&] {
        dialog.SetRange(0, 18);
        dialog.SetPos(0);
        dialog.SetStep(1);
    });
    QThread* reader = QThread::create([&] {
        QThread::msleep(50);
        for (int i = 0; i < 17; ++i)
            dialog.StepIt();
        dialog.EndDialog(100);
    });
    reader->start();
    const int result = dialog.DoModal();
    reader->wait();
    delete reader;
    QCOMPARE(result, 100);
    QCOMPARE(dialog.GetPos(), 17);
    QCOMPARE(dialog.GetProgressBar()->maximum(), 18);
}

void DialogsTest::progressTimerTicksUntilTheEnd()
{
    CProgressDlg dialog;
    QList<unsigned> ticks;
    dialog.SetInitHandler([&] { dialog.SetTimer(3025, 10); });
    dialog.SetTimerHandler([&](unsigned id) {
        ticks.append(id);
        if (ticks.size() == 3)
            dialog.EndDialog(int(id));
    });
    QCOMPARE(dialog.DoModal(), 3025);
    QCOMPARE(ticks, (QList<unsigned>{3025, 3025, 3025}));
    QTest::qWait(40);
    QCOMPARE(ticks.size(), 3); // the timer ended with the dialog
}

void DialogsTest::aboutBoxShowsEmblemAndTexts()
{
    CAboutDlg about;
    QCOMPARE(about.windowTitle(), QStringLiteral("О программном обеспечении ВОРЛЕНД"));
    QStringList texts;
    QSize emblem;
    for (const QLabel* label : about.findChildren<QLabel*>()) {
        if (!label->pixmap().isNull())
            emblem = label->pixmap().size();
        else
            texts << label->text();
        // Nothing is cut: every text fits its box.
        QVERIFY(label->geometry().width() >= label->sizeHint().width() ||
                !label->pixmap().isNull());
        QVERIFY(about.rect().contains(label->geometry()));
    }
    QCOMPARE(emblem, QSize(70, 70));
    QCOMPARE(texts, (QStringList{QStringLiteral("Пользовательское программное обеспечение"),
                                 QStringLiteral("для радиостанции ВОРЛЕНД. Версия 2.0")}));
    QCOMPARE(about.GetCloseButton()->text(), QStringLiteral("закрыть"));
    QVERIFY(about.GetCloseButton()->isDefault());
    QVERIFY(about.windowFlags() & Qt::WindowCloseButtonHint);
}

void DialogsTest::aboutBoxCloses_data()
{
    QTest::addColumn<int>("how");
    QTest::addColumn<int>("result");
    QTest::newRow("button") << 0 << CAboutDlg::kResultOk;
    QTest::newRow("Enter") << 1 << CAboutDlg::kResultOk;
    QTest::newRow("Escape") << 2 << CAboutDlg::kResultCancel;
    QTest::newRow("close box") << 3 << CAboutDlg::kResultCancel;
}

void DialogsTest::aboutBoxCloses()
{
    QFETCH(int, how);
    QFETCH(int, result);
    CAboutDlg about;
    QTimer::singleShot(30, &about, [&] {
        switch (how) {
        case 0:
            QTest::mouseClick(about.GetCloseButton(), Qt::LeftButton);
            break;
        case 1:
            QTest::keyClick(&about, Qt::Key_Return);
            break;
        case 2:
            QTest::keyClick(&about, Qt::Key_Escape);
            break;
        default:
            about.close();
            break;
        }
    });
    // A safety net so that a dialog that does not close fails the test instead of hanging it.
    QTimer::singleShot(3000, &about, [&] { about.done(-1); });
    QCOMPARE(about.DoModal(), result);
}

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
