// The two box layouts: fixed sizes, shares of the rest within limits, insets, child padding,
// hidden children; and the per-class defaults of the builder.

#include "toolkit/ContainerUI.h"
#include "toolkit/DialogBuilder.h"
#include "toolkit/LabelUI.h"
#include "toolkit/PaintManager.h"

// Qt
#include <QTest>

using DuiLib::LayoutHints;

Q_DECLARE_METATYPE(QList<LayoutHints>)
Q_DECLARE_METATYPE(QList<QRect>)

class LayoutTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void horizontalArrangement_data();
    void horizontalArrangement();
    void verticalLayoutStacksAndSkipsHiddenChildren();
    void attributeListParsesLayoutValues_data();
    void attributeListParsesLayoutValues();
    void defaultsApplyBeforeOwnAttributesAndUnknownClassesAreSkipped();
    void textTooLongForALabelIsShortenedInTheMiddleWithTheWholeTextAsTooltip();
};

namespace {

LayoutHints Fixed(int w, int h = 0)
{
    LayoutHints hints;
    hints.fixedWidth = w;
    hints.fixedHeight = h;
    return hints;
}

LayoutHints Limits(int minW, int maxW)
{
    LayoutHints hints;
    hints.minWidth = minW;
    hints.maxWidth = maxW;
    return hints;
}

} // namespace

void LayoutTest::horizontalArrangement_data()
{
    QTest::addColumn<QMargins>("inset");
    QTest::addColumn<int>("childPadding");
    QTest::addColumn<QList<LayoutHints>>("children");
    QTest::addColumn<QList<QRect>>("expected");

    // 300 x 40 container.
    QTest::newRow("fixed then rest") << QMargins() << 0 << QList<LayoutHints>{Fixed(100), {}}
                                     << QList<QRect>{{0, 0, 100, 40}, {100, 0, 200, 40}};
    QTest::newRow("rest shared, remainder to the last")
        << QMargins() << 0 << QList<LayoutHints>{{}, {}, {}}
        << QList<QRect>{{0, 0, 100, 40}, {100, 0, 100, 40}, {200, 0, 100, 40}};
    QTest::newRow("uneven share") << QMargins() << 0
                                  << QList<LayoutHints>{{}, {}, {}, {}, {}, {}, {}}
                                  << QList<QRect>{{0, 0, 42, 40},   {42, 0, 42, 40},
                                                  {84, 0, 42, 40},  {126, 0, 42, 40},
                                                  {168, 0, 42, 40}, {210, 0, 42, 40},
                                                  {252, 0, 48, 40}};
    QTest::newRow("inset and child padding, caption-like")
        << QMargins(20, 0, 0, 0) << 5 << QList<LayoutHints>{Fixed(32, 32), Fixed(32, 32)}
        << QList<QRect>{{20, 0, 32, 32}, {57, 0, 32, 32}};
    QTest::newRow("maximum pins a child, the other takes the rest")
        << QMargins() << 0 << QList<LayoutHints>{Limits(0, 30), {}}
        << QList<QRect>{{0, 0, 30, 40}, {30, 0, 270, 40}};
    QTest::newRow("minimum pins a child")
        << QMargins() << 0 << QList<LayoutHints>{Fixed(250), Limits(100, 9999), {}}
        << QList<QRect>{{0, 0, 250, 40}, {250, 0, 100, 40}, {350, 0, 0, 40}};
    LayoutHints capped;
    capped.maxHeight = 27;
    capped.maxWidth = 30;
    QTest::newRow("caption buttons: fixed, at most, fixed")
        << QMargins() << 0 << QList<LayoutHints>{Fixed(30, 27), capped, Fixed(30, 27)}
        << QList<QRect>{{0, 0, 30, 27}, {30, 0, 30, 27}, {60, 0, 30, 27}};
    LayoutHints padded;
    padded.padding = QMargins(3, 4, 5, 6);
    QTest::newRow("child padding on all sides")
        << QMargins(1, 1, 1, 1) << 0 << QList<LayoutHints>{padded, Fixed(50)}
        << QList<QRect>{{4, 5, 240, 28}, {249, 1, 50, 38}};
}

void LayoutTest::horizontalArrangement()
{
    QFETCH(QMargins, inset);
    QFETCH(int, childPadding);
    QFETCH(QList<LayoutHints>, children);
    QFETCH(QList<QRect>, expected);
    DuiLib::CHorizontalLayoutUI box;
    box.SetInset(inset);
    box.SetChildPadding(childPadding);
    for (const LayoutHints& hints : children) {
        auto* child = new DuiLib::CControlUI(&box);
        DuiLib::SetLayoutHints(child, hints);
        box.Add(child);
    }
    auto* layout = qobject_cast<DuiLib::CBoxLayoutUI*>(box.layout());
    QVERIFY(layout != nullptr);
    QCOMPARE(layout->Arrange(QRect(0, 0, 300, 40)), expected);
}

void LayoutTest::verticalLayoutStacksAndSkipsHiddenChildren()
{
    QWidget window;
    auto* box = new DuiLib::CVerticalLayoutUI(&window);
    box->SetInset(QMargins(5, 10, 5, 5));
    box->setGeometry(0, 0, 230, 400);
    QList<DuiLib::CControlUI*> rows;
    for (int i = 0; i < 4; ++i) {
        rows.append(new DuiLib::CControlUI(box));
        box->Add(rows.last());
    }
    rows[3]->SetFixedHeight(30);
    window.resize(230, 400);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // 385 high inside: 30 fixed, 355 shared by three (118, 118, 119).
    QCOMPARE(rows[0]->geometry(), QRect(5, 10, 220, 118));
    QCOMPARE(rows[2]->geometry(), QRect(5, 246, 220, 119));
    QCOMPARE(rows[3]->geometry(), QRect(5, 365, 220, 30));
    rows[1]->hide();
    QTRY_COMPARE(rows[2]->geometry(), QRect(5, 187, 220, 178));
    QCOMPARE(rows[0]->geometry().height(), 177);
    rows[1]->show();
    QTRY_COMPARE(rows[1]->geometry(), QRect(5, 128, 220, 118));
}

void LayoutTest::attributeListParsesLayoutValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<DuiLib::AttributeList>("expected");
    QTest::newRow("plain") << QStringLiteral("height=\"25\" width=\"120\"")
                           << DuiLib::AttributeList{{"height", "25"}, {"width", "120"}};
    QTest::newRow("image with quotes")
        << QStringLiteral("normalimage=\"file='combo.png' source='0,0,100,22'\" height=\"26\"")
        << DuiLib::AttributeList{{"normalimage", "file='combo.png' source='0,0,100,22'"},
                                 {"height", "26"}};
    QTest::newRow("spaces around =")
        << QStringLiteral("  a = \"1\"   b=\"\" ") << DuiLib::AttributeList{{"a", "1"}, {"b", ""}};
    QTest::newRow("unterminated value dropped")
        << QStringLiteral("a=\"1\" b=\"2") << DuiLib::AttributeList{{"a", "1"}};
    QTest::newRow("missing quotes stop")
        << QStringLiteral("a=1 b=\"2\"") << DuiLib::AttributeList{};
    QTest::newRow("empty") << QString() << DuiLib::AttributeList{};
}

void LayoutTest::attributeListParsesLayoutValues()
{
    QFETCH(QString, text);
    QFETCH(DuiLib::AttributeList, expected);
    QCOMPARE(DuiLib::CDialogBuilder::ParseAttributeList(text), expected);
}

void LayoutTest::defaultsApplyBeforeOwnAttributesAndUnknownClassesAreSkipped()
{
    const QByteArray xml = R"(<Window size="300,200">
        <Default name="Label" value="height=&quot;25&quot; width=&quot;120&quot; textcolor=&quot;#FF112233&quot;"/>
        <VerticalLayout name="root">
            <Label name="a" text="A"/>
            <Label name="b" text="B" width="0" textcolor="#FF445566"/>
            <Mystery name="m"/>
            <label name="c"/>
        </VerticalLayout>
    </Window>)";
    QWidget window;
    DuiLib::CPaintManagerUI manager(&window);
    DuiLib::CDialogBuilder builder;
    QWidget* root = builder.Create(xml, &manager, &window);
    QVERIFY(root != nullptr);
    QCOMPARE(builder.GetWindowInfo().size, QSize(300, 200));
    auto* a = qobject_cast<DuiLib::CLabelUI*>(manager.FindControl(QStringLiteral("a")));
    auto* b = qobject_cast<DuiLib::CLabelUI*>(manager.FindControl(QStringLiteral("b")));
    auto* c = qobject_cast<DuiLib::CLabelUI*>(manager.FindControl(QStringLiteral("c")));
    QVERIFY(a != nullptr && b != nullptr && c != nullptr); // class names ignore case
    QCOMPARE(DuiLib::GetLayoutHints(a).fixedWidth, 120);
    QCOMPARE(a->GetTextColor(), QColor(0x11, 0x22, 0x33));
    QCOMPARE(DuiLib::GetLayoutHints(b).fixedWidth, 0);
    QCOMPARE(DuiLib::GetLayoutHints(b).fixedHeight, 25);
    QCOMPARE(b->GetTextColor(), QColor(0x44, 0x55, 0x66));
    QCOMPARE(DuiLib::GetLayoutHints(c).fixedHeight, 25);
    QCOMPARE(manager.FindControl(QStringLiteral("m")), nullptr);
    QCOMPARE(qobject_cast<DuiLib::CContainerUI*>(root)->GetCount(), 3);
}

void LayoutTest::textTooLongForALabelIsShortenedInTheMiddleWithTheWholeTextAsTooltip()
{
    const QByteArray xml = R"(<Window size="400,30">
        <HorizontalLayout>
            <Label name="port" width="120" align="right"/>
            <Button name="tool" width="120" tooltip="Open"/>
        </HorizontalLayout>
    </Window>)";
    QWidget window;
    DuiLib::CPaintManagerUI manager(&window);
    DuiLib::CDialogBuilder builder;
    QVERIFY(builder.Create(xml, &manager, &window) != nullptr);
    window.resize(400, 30);
    auto* port = qobject_cast<DuiLib::CLabelUI*>(manager.FindControl(QStringLiteral("port")));
    auto* tool = qobject_cast<DuiLib::CLabelUI*>(manager.FindControl(QStringLiteral("tool")));
    QVERIFY(port != nullptr && tool != nullptr);

    const QString longText = QStringLiteral("Port:/tmp/a-rather-long-folder-name/radio");
    port->SetText(longText);
    (void)window.grab();
    QCOMPARE(port->GetText(), longText);
    QCOMPARE(port->toolTip(), longText);

    port->SetText(QStringLiteral("Port:COM3"));
    (void)window.grab();
    QCOMPARE(port->toolTip(), QString());

    // A tooltip from the layout stays when the text fits, and comes back after a long text.
    tool->SetText(QStringLiteral("Go"));
    (void)tool->grab();
    QCOMPARE(tool->toolTip(), QStringLiteral("Open"));
    tool->SetText(longText);
    (void)tool->grab();
    QCOMPARE(tool->toolTip(), longText);
    tool->SetText(QStringLiteral("Go"));
    (void)tool->grab();
    QCOMPARE(tool->toolTip(), QStringLiteral("Open"));
}

QTEST_MAIN(LayoutTest)
#include "LayoutTest.moc"
