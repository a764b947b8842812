#pragma once

#include "toolkit/LabelUI.h"

// Qt
#include <QPointer>

class CFreqEditWnd;

// The in-place editor of the grid's frequency columns (layout class "FreqEdit"): a label (its
// text, text style and state images) until a press on the focused control opens a CFreqEditWnd
// over it, which lets through only frequency-shaped typing. Sends "textchanged" on every change
// of the typed text and "return" on Enter; the window's focus tracking sends "setfocus" and
// "killfocus".
class CFreqEditUI : public DuiLib::CLabelUI
{
    Q_OBJECT

public:
    explicit CFreqEditUI(QWidget* parent = nullptr);
    ~CFreqEditUI() override;

    [[nodiscard]] QString GetClass() const override;
    // Besides the label's (with the face's "normalimage", "hotimage", "focusedimage",
    // "disabledimage"): "readonly", "numberonly", "password", "passwordchar", "maxchar",
    // "tipvalue", "tipvaluecolor", "nativetextcolor", "nativebkcolor".
    void SetAttribute(const QString& name, const QString& value) override;

    // An open typing window shows the text at once.
    void SetText(const QString& text);

    [[nodiscard]] int GetMaxChar() const { return m_maxChar; }
    void SetMaxChar(int count);
    [[nodiscard]] bool IsReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    [[nodiscard]] bool IsNumberOnly() const { return m_numberOnly; }
    void SetNumberOnly(bool numberOnly);
    [[nodiscard]] bool IsPasswordMode() const { return m_password; }
    void SetPasswordMode(bool password);
    [[nodiscard]] QChar GetPasswordChar() const { return m_passwordChar; }
    void SetPasswordChar(QChar c);
    void SetTipValue(const QString& text);
    [[nodiscard]] QString GetTipValue() const { return m_tipValue; }
    void SetTipValueColor(const QColor& colour);

    // The label's, and the size estimate follows the font.
    void SetFont(int index);

    [[nodiscard]] QColor GetNativeBkColor() const { return m_nativeBkColor; }
    [[nodiscard]] QColor GetNativeTextColor() const { return m_nativeTextColor; }

    // Opens the typing window (unless open); false when the control is hidden or disabled.
    bool Activate();
    // The open typing window, or nullptr.
    [[nodiscard]] CFreqEditWnd* GetEditWindow() const;
    // Where the typing window sits: the text area, cut to the font's height and centred.
    [[nodiscard]] QRect GetEditRect() const;
    using CLabelUI::GetSkinFont;

    void setVisible(bool visible) override;
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void PaintText(QPainter& painter) override;

private:
    void OnButtonPress(QMouseEvent* event);
    void OpenWindow();
    void PaintStatusImage(QPainter& painter);
    void Notify(const QString& type);
    // What the typing window signals.
    void OnWindowTextChanged(const QString& text);
    void OnWindowReturn();
    void OnWindowClosing(CFreqEditWnd* wnd);

    QPointer<CFreqEditWnd> m_wnd;
    int m_maxChar = 255;
    bool m_readOnly = false;
    bool m_numberOnly = false;
    bool m_password = false;
    QChar m_passwordChar = QLatin1Char('*');
    bool m_hot = false;
    QString m_tipValue;
    QColor m_tipColor;
    QColor m_nativeBkColor;
    QColor m_nativeTextColor;
};
