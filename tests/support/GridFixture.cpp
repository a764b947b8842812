#include "tests/support/GridFixture.h"

#include "controls/ChannelList.h"
#include "controls/ComboEditUI.h"
#include "controls/FreqEditUI.h"
#include "model/CellText.h"
#include "model/ToneCode.h"
#include "toolkit/ComboUI.h"
#include "toolkit/PaintManager.h"

// Qt
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QTest>

using namespace DuiLib;

int CNotifyLog::Count(const QString& type, const QWidget* sender) const
{
    int n = 0;
    for (const TNotifyUI& msg : messages) {
        if (EqualsNoCase(msg.sType, type) && (sender == nullptr || msg.pSender == sender))
            ++n;
    }
    return n;
}

namespace {

QByteArray Png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QImage ComboFaces()
{
    QImage image(100, 66, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const QColor borders[3] = {QColor(0xA0, 0xA0, 0xA0), QColor(0x18, 0x83, 0xD7),
                               QColor(0x10, 0x60, 0xA0)};
    for (int face = 0; face < 3; ++face) {
        const QRect r(0, face * 22, 100, 22);
        p.fillRect(r, face == 2 ? QColor(0xE5, 0xF1, 0xFB) : QColor(Qt::white));
        p.setPen(borders[face]);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.drawLine(r.right() - 20, r.top() + 3, r.right() - 20, r.bottom() - 3);
        const QPoint c(r.right() - 10, r.center().y());
        p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.5));
        p.drawLine(c + QPoint(-4, -2), c + QPoint(0, 2));
        p.drawLine(c + QPoint(0, 2), c + QPoint(4, -2));
    }
    return image;
}

} // namespace

QByteArray TestSkinImage(const QString& fileName)
{
    if (fileName == QLatin1String("list_header_bg.png")) {
        QImage image(68, 24, QImage::Format_ARGB32);
        QPainter p(&image);
        QLinearGradient g(0, 0, 0, 24);
        g.setColorAt(0, QColor(0xFD, 0xFD, 0xFD));
        g.setColorAt(1, QColor(0xE4, 0xEA, 0xF0));
        p.fillRect(image.rect(), g);
        p.setPen(QColor(0xC6, 0xCF, 0xD8));
        p.drawLine(0, 23, 67, 23);
        return Png(image);
    }
    if (fileName == QLatin1String("Headerctrl_Sperator.bmp")) {
        QImage image(2, 20, QImage::Format_RGB32);
        for (int y = 0; y < 20; ++y) {
            image.setPixelColor(0, y, QColor(0xC0, 0xC8, 0xD0));
            image.setPixelColor(1, y, QColor(Qt::white));
        }
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "BMP");
        return bytes;
    }
    if (fileName == QLatin1String("combo.png"))
        return Png(ComboFaces());
    return {};
}

void SetUpTestSkin(CPaintManagerUI* manager)
{
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(12);
    manager->SetFont(0, arial);
    manager->SetResourceLoader([](const QString& name) { return TestSkinImage(name); });
    manager->SetDefaultAttributeList(
        QStringLiteral("Combo"),
        {{QStringLiteral("height"), QStringLiteral("26")},
         {QStringLiteral("textpadding"), QStringLiteral("4,1,22,1")},
         {QStringLiteral("itemtextpadding"), QStringLiteral("4,0,4,0")},
         {QStringLiteral("normalimage"),
          QStringLiteral("file='combo.png' source='0,0,100,22' corner='2,2,20,2'")},
         {QStringLiteral("hotimage"),
          QStringLiteral("file='combo.png' source='0,22,100,44' corner='2,2,22,2'")},
         {QStringLiteral("pushedimage"),
          QStringLiteral("file='combo.png' source='0,44,100,66' corner='2,2,22,2'")}});
    manager->SetDefaultAttributeList(
        QStringLiteral("ListHeaderItem"),
        {{QStringLiteral("sepwidth"), QStringLiteral("1")},
         {QStringLiteral("sepimage"), QStringLiteral("Headerctrl_Sperator.bmp")}});
}

CGridFixture::CGridFixture(int gridHeight)
{
    root.resize(950, 466);
    root.setAutoFillBackground(true);
    manager = new CPaintManagerUI(&root);
    SetUpTestSkin(manager);
    manager->AddNotifier(&log);

    list = new CChannelList(&root);
    list->setObjectName(QStringLiteral("channelList"));
    const QList<QPair<QString, QString>> attributes = {
        {QStringLiteral("itemalign"), QStringLiteral("center")},
        {QStringLiteral("bordercolor"), QStringLiteral("#FFA0A0A0")},
        {QStringLiteral("bordersize"), QStringLiteral("1")},
        {QStringLiteral("borderround"), QStringLiteral("2,2")},
        {QStringLiteral("itemlinecolor"), QStringLiteral("#FFC6CFD8")},
        {QStringLiteral("hscrollbar"), QStringLiteral("true")},
        {QStringLiteral("vscrollbar"), QStringLiteral("true")},
        {QStringLiteral("inset"), QStringLiteral("2,0,2,2")},
    };
    for (const auto& [name, value] : attributes)
        list->SetAttribute(name, value);

    LayoutElement header;
    header.className = QStringLiteral("ListHeader");
    header.attributes = {{QStringLiteral("bkimage"), QStringLiteral("list_header_bg.png")}};
    struct Column
    {
        const char* text;
        const char* width;
        const char* minWidth;
        const char* maxWidth;
    };
    const Column columns[] = {
        {"№ канала", "60", nullptr, nullptr},         {"Частота RX", "75", nullptr, nullptr},
        {"Частота TX", "75", nullptr, nullptr},       {"Код QT/DQT (RX)", nullptr, "100", nullptr},
        {"Код QT/DQT (TX)", nullptr, "100", nullptr}, {"Мощность TX", nullptr, "100", "150"},
        {"Модуляция W/N", nullptr, "100", "150"},     {"Сканирование", nullptr, "80", "120"},
    };
    for (const Column& c : columns) {
        LayoutElement item;
        item.className = QStringLiteral("ListHeaderItem");
        item.attributes.append({QStringLiteral("text"), QString::fromUtf8(c.text)});
        if (c.width != nullptr)
            item.attributes.append({QStringLiteral("width"), QString::fromUtf8(c.width)});
        if (c.minWidth != nullptr)
            item.attributes.append({QStringLiteral("minwidth"), QString::fromUtf8(c.minWidth)});
        if (c.maxWidth != nullptr)
            item.attributes.append({QStringLiteral("maxwidth"), QString::fromUtf8(c.maxWidth)});
        header.children.append(item);
    }
    list->AddLayoutChild(header);
    list->setGeometry(10, 40, 703, gridHeight);

    for (int i = 0; i < kChannelCount; ++i)
        list->Add(std::make_unique<CListChannelElement>());

    rxFreq = new CFreqEditUI;
    rxFreq->SetMaxChar(9);
    txFreq = new CFreqEditUI;
    txFreq->SetMaxChar(9);
    rxCode = new CComboEditUI;
    txCode = new CComboEditUI;
    for (const std::string& text : ToneTextTable()) {
        rxCode->AddItem(QString::fromStdString(text));
        txCode->AddItem(QString::fromStdString(text));
    }
    power = new CComboUI;
    power->AddItem(QString::fromUtf8(kPowerHigh));
    power->AddItem(QString::fromUtf8(kPowerLow));
    width = new CComboUI;
    width->AddItem(QString::fromUtf8(kWidthWide));
    width->AddItem(QString::fromUtf8(kWidthNarrow));
    scan = new CComboUI;
    scan->AddItem(QString::fromUtf8(kScanNo));
    scan->AddItem(QString::fromUtf8(kScanYes));
    const QList<QWidget*> editors = {rxFreq, txFreq, rxCode, txCode, power, width, scan};
    for (int column = 1; column <= 7; ++column)
        list->SetColumnEditor(column, editors[column - 1]);

    const auto defaults = DefaultChannelTexts();
    for (int row = 0; row < list->GetCount(); ++row) {
        for (int column = 1; column <= 7; ++column)
            list->GetItemAt(row)->SetCellText(
                column,
                QString::fromStdString(
                    defaults[static_cast<std::size_t>(row)][static_cast<std::size_t>(column - 1)]));
    }
}

CGridFixture::~CGridFixture()
{
    manager->RemoveNotifier(&log);
}

bool CGridFixture::ShowActive()
{
    root.show();
    root.activateWindow();
    if (!QTest::qWaitForWindowActive(&root))
        return false;
    manager->KillFocus();
    // Only what the test itself does counts.
    log.Clear();
    return true;
}

QPoint CGridFixture::CellCentre(int row, int column) const
{
    return list->GetCellRect(row, column).center();
}

void CGridFixture::ClickCell(int row, int column)
{
    ClickAt(list->GetBody(), CellCentre(row, column));
}

void ClickAt(QWidget* base, QPoint point, Qt::MouseButton button)
{
    QWidget* window = base->window();
    const QPoint inWindow = base->mapTo(window, point);
    QWidget* target = window->childAt(inWindow);
    if (target == nullptr)
        target = window;
    QTest::mouseClick(target, button, {}, target->mapFrom(window, inWindow));
}

QString CGridFixture::Cell(int row, int column) const
{
    return list->GetItemAt(row)->GetText(column);
}
