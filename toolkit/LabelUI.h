#pragma once

#include "ControlUI.h"

namespace DuiLib {

// One line of text inside the control's rectangle less its text padding; layout class "Label".
class CLabelUI : public CControlUI
{
    Q_OBJECT

public:
    explicit CLabelUI(QWidget* parent = nullptr);

    [[nodiscard]] QString GetClass() const override;
    // Besides the control's attributes: "text", "textpadding", "align" (left, center, right),
    // "valign" (top, vcenter or center, bottom), "font" (index), "textcolor",
    // "disabledtextcolor", "endellipsis".
    void SetAttribute(const QString& name, const QString& value) override;

    void SetText(const QString& text);
    [[nodiscard]] QString GetText() const { return m_text; }
    void SetTextColor(const QColor& colour);
    [[nodiscard]] QColor GetTextColor() const { return m_textColor; }
    void SetDisabledTextColor(const QColor& colour);
    void SetTextPadding(const QMargins& padding);
    [[nodiscard]] QMargins GetTextPadding() const { return m_textPadding; }
    void SetFont(int index);
    [[nodiscard]] int GetFont() const { return m_font; }
    // Qt alignment flags of the text (labels start left aligned and vertically centred).
    void SetTextStyle(Qt::Alignment alignment);
    [[nodiscard]] Qt::Alignment GetTextStyle() const { return m_align; }

protected:
    void paintEvent(QPaintEvent* event) override;
    virtual void PaintText(QPainter& painter);
    [[nodiscard]] QFont GetSkinFont() const;

private:
    QString m_text;
    QColor m_textColor;
    QColor m_disabledTextColor;
    QMargins m_textPadding;
    int m_font = -1;
    Qt::Alignment m_align = Qt::AlignLeft | Qt::AlignVCenter;
    bool m_endEllipsis = false;
    bool m_toolTipIsText = false; // the tooltip shows a text too long for the label
    QString m_ownToolTip;         // the tooltip to give back when the text fits again
};

} // namespace DuiLib
