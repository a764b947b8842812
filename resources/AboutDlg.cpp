#include "resources/AboutDlg.h"

#include "resources/DialogUnits.h"
#include "resources/SkinResources.h"
#include "resources/resource.h"
#include "toolkit/ResourceTable.h"

// Qt
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>

namespace vorlend {

CAboutDlg::CAboutDlg(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_emblem(new QLabel(this)), m_close(new QPushButton(QStringLiteral("закрыть"), this))
{
    setWindowTitle(QStringLiteral("О программном обеспечении ВОРЛЕНД"));
    setModal(true);
    setFont(DialogFont(9));
    // The dialog face colour, on which the emblem was drawn.
    QPalette face = palette();
    face.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
    setPalette(face);
    setAutoFillBackground(true);
    const QSize base = DialogBaseUnits(font());
    setFixedSize(DialogUnitsToPixels(kTemplateSize, base));

    // A picture control takes the size of its bitmap, whatever the template says.
    QByteArray bitmap = DuiLib::CResourceTable::Find(QStringLiteral("BITMAP"), IDB_EMBLEM);
    if (bitmap.isEmpty())
        bitmap = EmblemBitmap();
    QPixmap emblem;
    emblem.loadFromData(bitmap, "BMP");
    m_emblem->setObjectName(QStringLiteral("emblem"));
    m_emblem->setPixmap(emblem);
    m_emblem->setGeometry(QRect(DialogUnitsToPixels(kEmblemRect, base).topLeft(),
                                emblem.isNull() ? QSize(70, 70) : emblem.size()));

    // The texts keep their template place; a line wider than its box grows to the right edge
    // rather than being cut.
    const struct
    {
        QRect units;
        const char16_t* text;
    } lines[] = {{kLine1Rect, u"Пользовательское программное обеспечение"},
                 {kLine2Rect, u"для радиостанции ВОРЛЕНД. Версия 2.0"}};
    for (const auto& line : lines) {
        auto* label = new QLabel(QString::fromUtf16(line.text), this);
        QRect r = DialogUnitsToPixels(line.units, base);
        const int needed = label->sizeHint().width();
        if (needed > r.width())
            r.setWidth(std::min(needed, width() - r.left() - 4));
        r.setHeight(std::max(r.height(), label->sizeHint().height()));
        label->setGeometry(r);
    }

    m_close->setGeometry(DialogUnitsToPixels(kButtonRect, base));
    m_close->setDefault(true);
    m_close->setAutoDefault(true);
    m_close->setFocus();
    connect(m_close, &QPushButton::clicked, this, [this] { done(kResultOk); });
}

int CAboutDlg::DoModal()
{
    return exec();
}

void CAboutDlg::reject()
{
    done(kResultCancel);
}

} // namespace vorlend
