#include "SkinStyle.h"

#include "PaintManager.h"

// Qt
#include <QAbstractScrollArea>
#include <QApplication>
#include <QFrame>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOptionSlider>

namespace DuiLib {

namespace {

constexpr int kExtent = 16;
constexpr int kMinThumb = 20;

enum class Face
{
    Normal,
    Hot,
    Pushed
};

QString FaceName(Face face)
{
    switch (face) {
    case Face::Hot:
        return QStringLiteral("hot");
    case Face::Pushed:
        return QStringLiteral("pushed");
    case Face::Normal:
        break;
    }
    return QStringLiteral("normal");
}

// The image description the layout's scroll bar defaults give for a part ("button1", "button2",
// "thumb", "bk") and face; falls back to the normal face.
QString PartImage(const AttributeList* defaults, const QString& part, Face face)
{
    if (defaults == nullptr)
        return {};
    auto find = [&](const QString& name) {
        for (const auto& [key, value] : *defaults) {
            if (EqualsNoCase(key, name))
                return value;
        }
        return QString();
    };
    QString description = find(part + FaceName(face) + QStringLiteral("image"));
    if (description.isEmpty())
        description = find(part + QStringLiteral("normalimage"));
    return description;
}

Face FaceOf(const QStyleOptionComplex* option, QStyle::SubControls sub)
{
    if (!(option->activeSubControls & sub))
        return Face::Normal;
    if (option->state & QStyle::State_Sunken)
        return Face::Pushed;
    if (option->state & QStyle::State_MouseOver)
        return Face::Hot;
    return Face::Normal;
}

} // namespace

CSkinStyle::CSkinStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

CSkinStyle* CSkinStyle::Instance()
{
    static QPointer<CSkinStyle> instance;
    if (instance == nullptr) {
        instance = new CSkinStyle;
        instance->setParent(qApp);
    }
    return instance;
}

int CSkinStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                            const QWidget* widget) const
{
    switch (metric) {
    case PM_ScrollBarExtent:
        return kExtent;
    case PM_ScrollBarSliderMin:
        return kMinThumb;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int CSkinStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                          QStyleHintReturn* returnData) const
{
    switch (hint) {
    case SH_ComboBox_Popup:
        return 0; // a list below the combo, not a menu over it
    case SH_ComboBox_PopupFrameStyle:
        return QFrame::Box | QFrame::Plain;
    case SH_ScrollBar_ContextMenu:
        return 0;
    default:
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
}

QRect CSkinStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                 SubControl sub, const QWidget* widget) const
{
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_ScrollBar || bar == nullptr)
        return QProxyStyle::subControlRect(control, option, sub, widget);

    // Along the bar: button, track with the thumb, button; all buttons square.
    const bool vertical = bar->orientation == Qt::Vertical;
    const QRect r = bar->rect;
    const int length = vertical ? r.height() : r.width();
    const int thick = vertical ? r.width() : r.height();
    const int button = std::min(thick, length / 2);
    const int track = std::max(0, length - 2 * button);
    int thumbLength = track;
    if (bar->maximum > bar->minimum) {
        const qint64 range = qint64(bar->maximum) - bar->minimum;
        thumbLength =
            int(qint64(track) * bar->pageStep / std::max<qint64>(1, range + bar->pageStep));
        thumbLength = std::clamp(thumbLength, std::min(kMinThumb, track), track);
    }
    const int thumbStart =
        button + sliderPositionFromValue(bar->minimum, bar->maximum, bar->sliderPosition,
                                         track - thumbLength, bar->upsideDown);
    auto along = [&](int start, int size) {
        const QRect local = vertical ? QRect(0, start, thick, size) : QRect(start, 0, size, thick);
        return visualRect(bar->direction, r, local.translated(r.topLeft()));
    };
    switch (sub) {
    case SC_ScrollBarSubLine:
        return along(0, button);
    case SC_ScrollBarAddLine:
        return along(length - button, button);
    case SC_ScrollBarSubPage:
        return along(button, thumbStart - button);
    case SC_ScrollBarAddPage:
        return along(thumbStart + thumbLength, length - button - thumbStart - thumbLength);
    case SC_ScrollBarSlider:
        return along(thumbStart, thumbLength);
    case SC_ScrollBarGroove:
        return along(button, track);
    default:
        return {};
    }
}

void CSkinStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                    QPainter* painter, const QWidget* widget) const
{
    const CPaintManagerUI* manager = CPaintManagerUI::FromWidget(widget);
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    const AttributeList* defaults = nullptr;
    if (control == CC_ScrollBar && bar != nullptr && manager != nullptr) {
        defaults = manager->GetDefaultAttributeList(bar->orientation == Qt::Vertical
                                                        ? QStringLiteral("VScrollBar")
                                                        : QStringLiteral("HScrollBar"));
    }
    if (defaults == nullptr) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }

    painter->save();
    if (!(bar->state & State_Enabled))
        painter->setOpacity(0.45);
    // Track: its image when the skin has one, else a quiet flat rail.
    const QRect groove = subControlRect(control, option, SC_ScrollBarGroove, widget);
    const Face trackFace = FaceOf(option, SC_ScrollBarAddPage | SC_ScrollBarSubPage);
    if (!manager->DrawImage(*painter, groove,
                            PartImage(defaults, QStringLiteral("bk"), trackFace))) {
        painter->fillRect(bar->rect, QColor(0xF4, 0xF6, 0xF8));
    }
    const struct
    {
        SubControl sub;
        const char* part;
    } parts[] = {{SC_ScrollBarSubLine, "button1"},
                 {SC_ScrollBarAddLine, "button2"},
                 {SC_ScrollBarSlider, "thumb"}};
    for (const auto& part : parts) {
        if (part.sub == SC_ScrollBarSlider && bar->maximum <= bar->minimum)
            continue; // nothing to scroll: no thumb
        const QRect where = subControlRect(control, option, part.sub, widget);
        manager->DrawImage(*painter, where,
                           PartImage(defaults, QLatin1String(part.part), FaceOf(option, part.sub)));
    }
    painter->restore();
}

void ApplySkinScrollBar(QScrollBar* bar)
{
    if (bar == nullptr)
        return;
    bar->setStyle(CSkinStyle::Instance());
    bar->setAttribute(Qt::WA_Hover);
}

void ApplySkinScrollBars(QAbstractScrollArea* area)
{
    if (area == nullptr)
        return;
    ApplySkinScrollBar(area->verticalScrollBar());
    ApplySkinScrollBar(area->horizontalScrollBar());
}

} // namespace DuiLib
