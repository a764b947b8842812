#pragma once

#include "toolkit/ControlUI.h"

// Qt
#include <QPointer>

class CFreqEditWnd;

// The in-place editor of the grid's frequency columns (layout class "FreqEdit"): painted as a
// label until a press on the focused control opens a CFreqEditWnd over it, which lets through
// only frequency-shaped typing. Sends "textchanged" on every change of the typed text and
// "return" on Enter; the window's focus tracking sends "setfocus" and "killfocus".
class CFreqEditUI : public DuiLib::CControlUI
{
    Q_OBJECT

public:
    explicit CFreqEditUI(QWidget* parent = nullptr);
    ~CFreqEditUI() override;

    [[nodiscard]] QString GetClass() const override;
    // Besides the label's ("text", "font", "textcolor", "disabledtextcolor", "textpadding",
    // "align") and the common ones: "readonly", "numberonly", "password", "passwordchar",
    // "maxchar", "normalimage", "hotimage", "focusedimage", "disabledimage", "tipvalue",
    // "tipvaluecolor", "nativetextcolor", "nativebkcolor".
    void SetAttribute(const QString& name, const QString& value) override;

    [[nodiscard]] QString GetText() const { return m_text; }
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

    void SetFont(int index);
    [[nodiscard]] int GetFont() const { return m_font; }
    void SetTextColor(const QColor& colour);
    [[nodiscard]] QColor GetTextColor() const { return m_textColor; }
    void SetTextPadding(const QMargins& padding);
    [[nodiscard]] QMargins GetTextPadding() const { return m_textPadding; }

    [[nodiscard]] QColor GetNativeBkColor() const { return m_nativeBkColor; }
    [[nodiscard]] QColor GetNativeTextColor() const { return m_nativeTextColor; }

    // Opens the typing window (unless open); false when the control is hidden or disabled.
    bool Activate();
    // The open typing window, or nullptr.
    [[nodiscard]] CFreqEditWnd* GetEditWindow() const;
    // Where the typing window sits: the text area, cut to the font's height and centred.
    [[nodiscard]] QRect GetEditRect() const;
    [[nodiscard]] QFont GetSkinFont() const;

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

private:
    void OnButtonPress(QMouseEvent* event);
    void OpenWindow();
    void PaintStatusImage(QPainter& painter);
    void PaintText(QPainter& painter);
    void Notify(const QString& type);
    // What the typing window signals.
    void OnWindowTextChanged(const QString& text);
    void OnWindowReturn();
    void OnWindowClosing(CFreqEditWnd* wnd);

    QString m_text;
    QPointer<CFreqEditWnd> m_wnd;
    int m_maxChar = 255;
    bool m_readOnly = false;
    bool m_numberOnly = false;
    bool m_password = false;
    QChar m_passwordChar = QLatin1Char('*');
    bool m_hot = false;
    QString m_normalImage;
    QString m_hotImage;
    QString m_focusedImage;
    QString m_disabledImage;
    QString m_tipValue;
    QColor m_tipColor;
    QColor m_nativeBkColor;
    QColor m_nativeTextColor;
    int m_font = -1;
    QColor m_textColor;
    QColor m_disabledTextColor;
    QMargins m_textPadding{4, 3, 4, 3};
    Qt::Alignment m_align = Qt::AlignLeft | Qt::AlignVCenter;
};
