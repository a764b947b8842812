#include "SkinFace.h"

#include "AttributeTable.h"
#include "PaintManager.h"

// Qt
#include <QWidget>

namespace DuiLib {

namespace {

Qt::Alignment ParseVerticalAlign(const QString& value)
{
    const QString v = value.trimmed();
    if (EqualsNoCase(v, QStringLiteral("top")))
        return Qt::AlignTop;
    if (EqualsNoCase(v, QStringLiteral("bottom")))
        return Qt::AlignBottom;
    return Qt::AlignVCenter;
}

const CAttributeTable<CSkinFace>& FaceAttributes()
{
    static const CAttributeTable<CSkinFace> table{
        {"normalimage", [](CSkinFace& f, const QString& v) { f.images.normal = v; }},
        {"hotimage", [](CSkinFace& f, const QString& v) { f.images.hot = v; }},
        {"pushedimage", [](CSkinFace& f, const QString& v) { f.images.pushed = v; }},
        {"focusedimage", [](CSkinFace& f, const QString& v) { f.images.focused = v; }},
        {"disabledimage", [](CSkinFace& f, const QString& v) { f.images.disabled = v; }},
        {"font", [](CSkinFace& f, const QString& v) { f.text.font = v.trimmed().toInt(); }},
        {"textcolor", [](CSkinFace& f, const QString& v) { f.text.textColor = ParseColor(v); }},
        {"disabledtextcolor",
         [](CSkinFace& f, const QString& v) { f.text.disabledTextColor = ParseColor(v); }},
        {"textpadding", [](CSkinFace& f, const QString& v) { f.text.padding = ParseMargins(v); }},
        {"align",
         [](CSkinFace& f, const QString& v) {
             f.text.align = (f.text.align & Qt::AlignVertical_Mask) | ParseHorizontalAlign(v);
         }},
        {"valign",
         [](CSkinFace& f, const QString& v) {
             f.text.align = (f.text.align & Qt::AlignHorizontal_Mask) | ParseVerticalAlign(v);
         }},
    };
    return table;
}

} // namespace

Qt::Alignment ParseHorizontalAlign(const QString& value)
{
    const QString v = value.trimmed();
    if (EqualsNoCase(v, QStringLiteral("center")))
        return Qt::AlignHCenter;
    if (EqualsNoCase(v, QStringLiteral("right")))
        return Qt::AlignRight;
    return Qt::AlignLeft;
}

bool CSkinFace::SetAttribute(const QString& name, const QString& value)
{
    return FaceAttributes().Apply(*this, name, value);
}

QColor CSkinFace::TextColour(bool enabled, const QColor& fallback, const QColor& disabledFallback,
                             bool transparentUnset) const
{
    const QColor& set = enabled ? text.textColor : text.disabledTextColor;
    const bool unset = !set.isValid() || (transparentUnset && set.rgba() == 0);
    return unset ? (enabled ? fallback : disabledFallback) : set;
}

QFont CSkinFace::Font(const QWidget* widget) const
{
    const CPaintManagerUI* manager = CPaintManagerUI::FromWidget(widget);
    return manager != nullptr ? manager->GetFont(text.font) : widget->font();
}

} // namespace DuiLib
