#pragma once

#include "LabelUI.h"

namespace DuiLib {

// A label that is pressed: normal, hot (under the mouse), pushed and disabled faces, a
// foreground image over the face, and a "click" notification when the left button is released
// over it. Layout class "Button".
class CButtonUI : public CLabelUI
{
    Q_OBJECT

public:
    explicit CButtonUI(QWidget* parent = nullptr);

    [[nodiscard]] QString GetClass() const override;
    // Besides the label's attributes (with the face's "normalimage", "hotimage",
    // "pushedimage", "focusedimage", "disabledimage"): "foreimage", "hotforeimage",
    // "pushedforeimage" (image descriptions with optional source and corner).
    void SetAttribute(const QString& name, const QString& value) override;

    void SetNormalImage(const QString& description);
    void SetHotImage(const QString& description);
    void SetPushedImage(const QString& description);
    void SetForeImage(const QString& description);
    [[nodiscard]] QString GetNormalImage() const { return m_face.images.normal; }
    [[nodiscard]] QString GetHotImage() const { return m_face.images.hot; }
    [[nodiscard]] QString GetPushedImage() const { return m_face.images.pushed; }
    [[nodiscard]] QString GetForeImage() const { return m_foreImage; }

    // Has the effect of a click (the "click" notification) when the button is visible and
    // enabled; returns whether it did.
    bool Activate();

    [[nodiscard]] bool IsHot() const { return m_hot; }
    [[nodiscard]] bool IsPushed() const { return m_pushed; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    virtual void PaintStatusImage(QPainter& painter);

private:
    QString m_foreImage;
    QString m_hotForeImage;
    QString m_pushedForeImage;
    bool m_hot = false;
    bool m_pushed = false;
    bool m_captured = false;
};

} // namespace DuiLib
