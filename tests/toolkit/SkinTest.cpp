// The built-in skin: the pictures with their exact sizes, and the control tree built from
// "Skin.xml" with every name, class, text, item list, preselection and default the rest of
// the program relies on.

#include "resources/SkinResources.h"
#include "tests/support/TestWindow.h"
#include "toolkit/ButtonUI.h"
#include "toolkit/ComboUI.h"
#include "toolkit/ContainerUI.h"
#include "toolkit/LabelUI.h"
#include "toolkit/PaintManager.h"
#include "toolkit/ZipArchive.h"

// Qt
#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QTest>

using vorlend::test::CTestWindow;

namespace {

quint16 U16(const QByteArray& b, int at)
{
    return quint16(uchar(b[at]) | (uchar(b[at + 1]) << 8));
}

} // namespace

class SkinTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void pictureHasItsSize_data();
    void pictureHasItsSize();
    void separatorIsSixteenBitEmblemTwentyFourIconThirtyTwo();
    void namedControl_data();
    void namedControl();
    void settingsCombosHoldTheirItemsAndPreselection_data();
    void settingsCombosHoldTheirItemsAndPreselection();
    void classDefaultsApplyUnlessOverridden();
    void factoryIsAskedForTheGridAndGetsItsAttributesAndHeader();
    void layoutPlacesTheBarsAndColumns();
    void restoreButtonStartsHidden();

private:
    CTestWindow* m_window = nullptr;
};

void SkinTest::initTestCase()
{
    vorlend::RegisterBuiltinResources();
    m_window = new CTestWindow;
    QVERIFY(m_window->Create(QStringLiteral("Программное обеспечение ВОРЛЕНД")));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void SkinTest::cleanupTestCase()
{
    delete m_window;
}

void SkinTest::pictureHasItsSize_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    const QList<std::pair<const char*, QSize>> table = {
        {"VORLEND.png", {25, 25}},        {"folder.png", {32, 32}},
        {"save.png", {32, 32}},           {"readwrite.png", {68, 32}},
        {"info.png", {32, 32}},           {"normal.png", {70, 24}},
        {"hover.png", {70, 24}},          {"press.png", {70, 24}},
        {"combo.png", {100, 66}},         {"scrollbar.png", {144, 48}},
        {"list_header_bg.png", {68, 24}}, {"Headerctrl_Sperator.bmp", {2, 20}},
        {"list_header_sep.png", {1, 24}},
    };
    for (const auto& [file, size] : table)
        QTest::newRow(file) << QString::fromLatin1(file) << size;
    for (const char* kind : {"min", "max", "restore", "close"}) {
        for (const char* state : {"normal", "hover", "down"}) {
            const QString file =
                QStringLiteral("sysbtn_%1_%2.png").arg(QLatin1String(kind), QLatin1String(state));
            QTest::newRow(qPrintable(file)) << file << QSize(30, 27);
        }
    }
}

void SkinTest::pictureHasItsSize()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);
    const DuiLib::CZipArchive zip(vorlend::SkinArchive());
    const std::optional<QByteArray> data = zip.Read(file);
    QVERIFY(data.has_value());
    QImage image;
    QVERIFY(image.loadFromData(*data));
    QCOMPARE(image.size(), size);
}

void SkinTest::separatorIsSixteenBitEmblemTwentyFourIconThirtyTwo()
{
    const DuiLib::CZipArchive zip(vorlend::SkinArchive());
    const QByteArray separator = zip.Read(QStringLiteral("Headerctrl_Sperator.bmp")).value();
    QVERIFY(separator.startsWith("BM"));
    QCOMPARE(U16(separator, 28), quint16(16)); // bits per pixel
    const QByteArray emblem = vorlend::EmblemBitmap();
    QVERIFY(emblem.startsWith("BM"));
    QCOMPARE(U16(emblem, 28), quint16(24));
    QImage picture;
    QVERIFY(picture.loadFromData(emblem, "BMP"));
    QCOMPARE(picture.size(), QSize(70, 70));
    QImage icon;
    QVERIFY(icon.loadFromData(vorlend::WindowIconImage(), "PNG"));
    QCOMPARE(icon.size(), QSize(128, 128));
    QVERIFY(icon.hasAlphaChannel());
    QCOMPARE(icon.pixelColor(0, 0).alpha(), 0); // rounded corner: transparent
}

void SkinTest::namedControl_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tooltip");
    QTest::newRow("title") << "title"
                           << "Label"
                           << "Программное обеспечение ВОРЛЕНД"
                           << "";
    QTest::newRow("LabPort") << "LabPort"
                             << "Label"
                             << ""
                             << "";
    QTest::newRow("LabTime") << "LabTime"
                             << "Label"
                             << ""
                             << "";
    for (const char* combo : {"cboCOM", "cboTOT", "cboSQLev", "cboSavePower", "cboScan", "cboPF1",
                              "cboPF2", "cboVoice"})
        QTest::newRow(combo) << combo << "Combo" << QString() << "";
    QTest::newRow("btnRead") << "btnRead"
                             << "Button"
                             << "Считать настройки(F11)"
                             << "";
    QTest::newRow("btnWrite") << "btnWrite"
                              << "Button"
                              << "Записать настройки(F12)"
                              << "";
    QTest::newRow("tolOpen") << "tolOpen"
                             << "Button"
                             << ""
                             << "Открыть";
    QTest::newRow("tolSave") << "tolSave"
                             << "Button"
                             << ""
                             << "Сохранить";
    QTest::newRow("tolRead") << "tolRead"
                             << "Button"
                             << ""
                             << "Считать";
    QTest::newRow("tolWrite") << "tolWrite"
                              << "Button"
                              << ""
                              << "Записать";
    QTest::newRow("tolAbout") << "tolAbout"
                              << "Button"
                              << ""
                              << "О программе";
    QTest::newRow("minbtn") << "minbtn"
                            << "Button"
                            << ""
                            << "";
    QTest::newRow("maxbtn") << "maxbtn"
                            << "Button"
                            << ""
                            << "";
    QTest::newRow("restorebtn") << "restorebtn"
                                << "Button"
                                << ""
                                << "";
    QTest::newRow("closebtn") << "closebtn"
                              << "Button"
                              << ""
                              << "Выход";
}

void SkinTest::namedControl()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, text);
    QFETCH(QString, tooltip);
    QWidget* widget = m_window->FindControl(name);
    QVERIFY(widget != nullptr);
    auto* control = dynamic_cast<DuiLib::IControlUI*>(widget);
    QVERIFY(control != nullptr);
    QCOMPARE(control->GetClass(), className);
    if (auto* label = qobject_cast<DuiLib::CLabelUI*>(widget))
        QCOMPARE(label->GetText(), text);
    QCOMPARE(widget->toolTip(), tooltip);
}

void SkinTest::settingsCombosHoldTheirItemsAndPreselection_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("selected");
    const QString off = QStringLiteral("Отключить");
    const QString on = QStringLiteral("Включить");
    const QStringList keys = {QStringLiteral("Нет"), QStringLiteral("Монитор"),
                              QStringLiteral("Мощность H/L")};
    QTest::newRow("cboCOM") << "cboCOM" << QStringList() << -1;
    QTest::newRow("cboTOT") << "cboTOT"
                            << QStringList{QStringLiteral("Отключен"), "60", "120", "180"} << 1;
    QTest::newRow("cboSQLev") << "cboSQLev"
                              << QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"} << 4;
    QTest::newRow("cboSavePower") << "cboSavePower" << QStringList{off, on} << 1;
    QTest::newRow("cboScan") << "cboScan" << QStringList{off, on} << 1;
    QTest::newRow("cboPF1") << "cboPF1" << keys << 1;
    QTest::newRow("cboPF2") << "cboPF2" << keys << 0;
    QTest::newRow("cboVoice") << "cboVoice"
                              << QStringList{off, QStringLiteral("Китайский"),
                                             QStringLiteral("Английский")}
                              << 2;
}

void SkinTest::settingsCombosHoldTheirItemsAndPreselection()
{
    QFETCH(QString, name);
    QFETCH(QStringList, items);
    QFETCH(int, selected);
    auto* combo = m_window->FindControl<DuiLib::CComboUI>(name);
    QVERIFY(combo != nullptr);
    QStringList actual;
    for (int i = 0; i < combo->GetCount(); ++i)
        actual.append(combo->GetItemText(i));
    QCOMPARE(actual, items);
    QCOMPARE(combo->GetCurSel(), selected);
    QCOMPARE(combo->GetText(), selected >= 0 ? items[selected] : QString());
    QCOMPARE(combo->GetItemHeight(), 16);
}

void SkinTest::classDefaultsApplyUnlessOverridden()
{
    // Label defaults: 120 x 25, text padding 0,5,5,0.
    auto* title = m_window->FindControl<DuiLib::CLabelUI>(QStringLiteral("title"));
    auto* port = m_window->FindControl<DuiLib::CLabelUI>(QStringLiteral("LabPort"));
    QVERIFY(title != nullptr && port != nullptr);
    QCOMPARE(DuiLib::GetLayoutHints(title).fixedWidth, 0);   // "width 0" overrides 120
    QCOMPARE(title->GetTextPadding(), QMargins(5, 0, 0, 0)); // overridden
    QCOMPARE(title->GetFont(), 1);
    QCOMPARE(DuiLib::GetLayoutHints(port).fixedWidth, 200);
    QCOMPARE(DuiLib::GetLayoutHints(port).fixedHeight, 25);
    QCOMPARE(port->GetTextPadding(), QMargins(0, 5, 5, 0)); // from the defaults
    QCOMPARE(port->GetTextStyle() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    // A settings row's label: all three defaults.
    auto* row = qobject_cast<DuiLib::CContainerUI*>(
        m_window->FindControl(QStringLiteral("cboTOT"))->parentWidget());
    QVERIFY(row != nullptr);
    auto* label = qobject_cast<DuiLib::CLabelUI*>(row->GetItemAt(0));
    QVERIFY(label != nullptr);
    QCOMPARE(label->GetText(), QStringLiteral("Таймер TOT"));
    QCOMPARE(label->size(), QSize(120, 25));
    QCOMPARE(label->GetTextPadding(), QMargins(0, 5, 5, 0));

    // Combo defaults: height 26, text padding, faces from "combo.png".
    auto* combo = m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboVoice"));
    QCOMPARE(combo->height(), 26);
    QCOMPARE(combo->GetTextPadding(), QMargins(4, 1, 22, 1));
    QCOMPARE(combo->GetTextRect(), QRect(4, 1, combo->width() - 26, 24));

    // Fonts: index 0 Arial 12 px (the default), index 1 Times New Roman 14 px bold.
    const DuiLib::CPaintManagerUI* pm = m_window->GetPaintManager();
    QCOMPARE(pm->GetFont(0).family(), QStringLiteral("Arial"));
    QCOMPARE(pm->GetFont(0).pixelSize(), 12);
    QCOMPARE(pm->GetFont(1).family(), QStringLiteral("Times New Roman"));
    QCOMPARE(pm->GetFont(1).pixelSize(), 14);
    QVERIFY(pm->GetFont(1).bold());
    QCOMPARE(pm->GetFont(-1).family(), QStringLiteral("Arial"));

    // Scroll bar defaults are there for the grid's scroll bars.
    QVERIFY(pm->GetDefaultAttributeList(QStringLiteral("VScrollBar")) != nullptr);
    QCOMPARE(pm->GetDefaultAttributeList(QStringLiteral("HScrollBar"))->size(), 12);
}

void SkinTest::factoryIsAskedForTheGridAndGetsItsAttributesAndHeader()
{
    QCOMPARE(m_window->factoryRequests, QStringList{QStringLiteral("ChannelList")});
    vorlend::test::CGridPlaceholder* grid = m_window->grid;
    QVERIFY(grid != nullptr);
    QCOMPARE(grid->objectName(), QStringLiteral("channelList"));
    QCOMPARE(m_window->FindControl(QStringLiteral("channelList")), grid);
    auto attribute = [&](const char* name) {
        for (const auto& [key, value] : grid->attributes) {
            if (key == QLatin1String(name))
                return value;
        }
        return QStringLiteral("(missing)");
    };
    QCOMPARE(attribute("itemalign"), QStringLiteral("center"));
    QCOMPARE(attribute("bordercolor"), QStringLiteral("#FFA0A0A0"));
    QCOMPARE(attribute("borderround"), QStringLiteral("2,2"));
    QCOMPARE(attribute("itemlinecolor"), QStringLiteral("#FFC6CFD8"));
    QCOMPARE(attribute("inset"), QStringLiteral("2,0,2,2"));
    QCOMPARE(attribute("vscrollbar"), QStringLiteral("true"));
    QCOMPARE(attribute("hscrollbar"), QStringLiteral("true"));

    QCOMPARE(grid->layoutChildren.size(), 1);
    const DuiLib::LayoutElement& header = grid->layoutChildren.first();
    QCOMPARE(header.className, QStringLiteral("ListHeader"));
    QCOMPARE(header.attribute(QStringLiteral("bkimage")), QStringLiteral("list_header_bg.png"));
    const QStringList texts = {"№ канала",        "Частота RX",  "Частота TX",    "Код QT/DQT (RX)",
                               "Код QT/DQT (TX)", "Мощность TX", "Модуляция W/N", "Сканирование"};
    const QStringList widths = {"60", "75", "75", "", "", "", "", ""};
    const QStringList minWidths = {"", "", "", "100", "100", "100", "100", "80"};
    const QStringList maxWidths = {"", "", "", "", "", "150", "150", "120"};
    QCOMPARE(header.children.size(), 8);
    for (int i = 0; i < 8; ++i) {
        const DuiLib::LayoutElement& item = header.children[i];
        QCOMPARE(item.className, QStringLiteral("ListHeaderItem"));
        QCOMPARE(item.attribute(QStringLiteral("text")), texts[i]);
        QCOMPARE(item.attribute(QStringLiteral("width")), widths[i]);
        QCOMPARE(item.attribute(QStringLiteral("minwidth")), minWidths[i]);
        QCOMPARE(item.attribute(QStringLiteral("maxwidth")), maxWidths[i]);
        // The class defaults come first, so the item's own attributes would win.
        QCOMPARE(item.attributes.first().first, QStringLiteral("sepwidth"));
        QCOMPARE(item.attribute(QStringLiteral("sepwidth")), QStringLiteral("1"));
        QCOMPARE(item.attribute(QStringLiteral("sepimage")),
                 QStringLiteral("Headerctrl_Sperator.bmp"));
    }
}

void SkinTest::layoutPlacesTheBarsAndColumns()
{
    QCOMPARE(m_window->size(), QSize(950, 466));
    auto where = [&](const char* name) {
        QWidget* w = m_window->FindControl(QLatin1String(name));
        return QRect(w->mapTo(m_window, QPoint(0, 0)), w->size());
    };
    // Caption buttons: the right 90 pixels of the title bar, inside the 1-pixel frame.
    QCOMPARE(where("minbtn"), QRect(949 - 90, 1, 30, 27));
    QCOMPARE(where("maxbtn"), QRect(949 - 60, 1, 30, 27));
    QCOMPARE(where("closebtn"), QRect(949 - 30, 1, 30, 27));
    // Toolbar: 210 wide before them, inset 20, buttons 32 wide 5 apart.
    const int toolbar = 949 - 90 - 210;
    QCOMPARE(where("tolOpen"), QRect(toolbar + 20, 1, 32, 32));
    QCOMPARE(where("tolAbout"), QRect(toolbar + 20 + 4 * 37, 1, 32, 32));
    // Title: after the logo, at 5,5 inside the bar.
    QCOMPARE(where("title").topLeft(), QPoint(1 + 5 + 25, 1 + 5));
    QCOMPARE(where("title").width(), toolbar - 1 - 5 - 25);
    // Status bar: 25 high at the bottom; the two labels 200 wide before a 15-pixel end.
    QCOMPARE(where("LabTime"), QRect(949 - 15 - 200, 465 - 25, 200, 25));
    QCOMPARE(where("LabPort"), QRect(949 - 15 - 400, 465 - 25, 200, 25));
    // Body: the grid from x 11 to the 230-pixel settings column, 8 below the title bar.
    QCOMPARE(where("channelList"), QRect(11, 33 + 8, 949 - 5 - 230 - 11, 440 - 41));
    QCOMPARE(where("btnRead").width(), 220);
    QCOMPARE(where("btnRead").height(), 30);
    QCOMPARE(where("cboCOM").left(), 949 - 5 - 230 + 5 + 120);
    QCOMPARE(where("cboCOM").width(), 100);
}

void SkinTest::restoreButtonStartsHidden()
{
    QVERIFY(m_window->FindControl(QStringLiteral("maxbtn"))->isVisible());
    QVERIFY(!m_window->FindControl(QStringLiteral("restorebtn"))->isVisible());
}

QTEST_MAIN(SkinTest)
#include "SkinTest.moc"
