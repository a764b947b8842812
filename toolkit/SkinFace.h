#pragma once

// Qt
#include <QColor>
#include <QFont>
#include <QMargins>
#include <QString>

class QWidget;

namespace DuiLib {

// The pictures of a control's states, as image descriptions of the layout (see
// CPaintManagerUI::DrawImage); which one a state shows is the control's choice.
struct CStateImages
{
    QString normal;
    QString hot;
    QString pushed;
    QString focused;
    QString disabled;
};

// How a control writes its text.
struct CTextStyle
{
    int font = -1; // the window's font index; -1: the default font
    QColor textColor;
    QColor disabledTextColor;
    QMargins padding;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
};

// The skin face the toolkit's controls share: the state images and the text style, as the
// layout sets them.
struct CSkinFace
{
    CStateImages images;
    CTextStyle text;

    // "normalimage", "hotimage", "pushedimage", "focusedimage", "disabledimage", "font",
    // "textcolor", "disabledtextcolor", "textpadding", "align" (left, center, right) and
    // "valign" (top, vcenter or center, bottom). False for any other name.
    bool SetAttribute(const QString& name, const QString& value);

    // The text colour for the control's state; an unset (or, with `transparentUnset`, fully
    // transparent) colour gives the fallback of that state.
    [[nodiscard]] QColor TextColour(bool enabled, const QColor& fallback,
                                    const QColor& disabledFallback,
                                    bool transparentUnset = false) const;
    // The text style's font in the widget's window (the widget's own font outside a window).
    [[nodiscard]] QFont Font(const QWidget* widget) const;
};

// The horizontal alignment of "left", "center" or "right" (anything else: left).
[[nodiscard]] Qt::Alignment ParseHorizontalAlign(const QString& value);

} // namespace DuiLib
