#pragma once

#include "ControlUI.h"
#include "SkinFace.h"

namespace DuiLib {

// One line of text inside the control's rectangle less its text padding; layout class "Label".
// It holds the skin face (state images and text style) that the controls built on it paint
// with: buttons and the frequency editor.
class CLabelUI : public CControlUI
{
    Q_OBJECT

public:
    explicit CLabelUI(QWidget* parent = nullptr);

    [[nodiscard]] QString GetClass() const override;
    // Besides the control's attributes: "text", "endellipsis" and the skin face's (CSkinFace:
    // "textpadding", "align", "valign", "font" (index), "textcolor", "disabledtextcolor" and
    // the state images).
    void SetAttribute(const QString& name, const QString& value) override;

    void SetText(const QString& text);
    [[nodiscard]] QString GetText() const { return m_text; }
    void SetTextColor(const QColor& colour);
    [[nodiscard]] QColor GetTextColor() const { return m_face.text.textColor; }
    void SetDisabledTextColor(const QColor& colour);
    void SetTextPadding(const QMargins& padding);
    [[nodiscard]] QMargins GetTextPadding() const { return m_face.text.padding; }
    void SetFont(int index);
    [[nodiscard]] int GetFont() const { return m_face.text.font; }
    // Qt alignment flags of the text (labels start left aligned and vertically centred).
    void SetTextStyle(Qt::Alignment alignment);
    [[nodiscard]] Qt::Alignment GetTextStyle() const { return m_face.text.align; }

protected:
    void paintEvent(QPaintEvent* event) override;
    virtual void PaintText(QPainter& painter);
    [[nodiscard]] QFont GetSkinFont() const;

    CSkinFace m_face;

private:
    QString m_text;
    bool m_endEllipsis = false;
    bool m_toolTipIsText = false; // the tooltip shows a text too long for the label
    QString m_ownToolTip;         // the tooltip to give back when the text fits again
};

} // namespace DuiLib
