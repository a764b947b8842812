#pragma once

#include "toolkit/ComboUI.h"

// Qt
#include <QPointer>

class CCboEditWnd;

// The in-place editor of the grid's code columns: a combo (class "Combo") with a text of its own
// beside the selection. The 22-pixel arrow strip opens the list; a press on the text part of the
// focused control opens a CCboEditWnd in which only code-shaped typing stays, and typing an
// item's exact text selects that item. Sends "itemselect", "dropdown", "textchanged" and
// "return"; the window's focus tracking sends "setfocus" and "killfocus".
class CComboEditUI : public DuiLib::CComboUI
{
    Q_OBJECT

public:
    explicit CComboEditUI(QWidget* parent = nullptr);
    ~CComboEditUI() override;

    // The own text, not the selected item's.
    [[nodiscard]] QString GetText() const override;
    // The own text becomes the given one; the first item equal to it (exactly) is selected, and
    // when none is, the selection is cleared without a notification.
    void SetText(const QString& text) override;
    // The base selection, then the own text becomes the selected item's (empty for none).
    bool SelectItem(int index, bool takeFocus = false) override;

    [[nodiscard]] int GetMaxChar() const { return m_maxChar; }
    void SetMaxChar(int count);

    // Where the typing box goes: the text area (which leaves out the arrow strip), cut to the
    // font's height and centred.
    [[nodiscard]] QRect GetEditRect() const;
    [[nodiscard]] CCboEditWnd* GetEditWindow() const;
    [[nodiscard]] QFont GetEditFont() const { return GetSkinFont(GetFont()); }

    void showPopup() override;
    void setVisible(bool visible) override;

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnButtonPress(QMouseEvent* event);
    void OpenWindow();
    // Moves the selection one item towards the end (+1) or the start (-1), staying at the ends.
    void Step(int direction);
    [[nodiscard]] int FindExactItem(const QString& text) const;
    // What the typing box signals.
    void OnWindowTextChanged(const QString& text);
    void OnWindowReturn();
    void OnWindowWheel(int direction);
    void OnWindowClosing(CCboEditWnd* wnd);
    void Notify(const QString& type);

    QString m_ownText;
    QPointer<CCboEditWnd> m_wnd;
    int m_maxChar = 255;
};
