#pragma once

#include "SkinFace.h"
#include "UIBase.h"

// Qt
#include <QComboBox>
#include <QPointer>

namespace DuiLib {

class CPaintManagerUI;

// A drop-down list of label rows, painted with the skin's combo faces; layout class "Combo".
// Qt's QComboBox supplies the list window, the keyboard, the wheel and the selection (its
// current index; -1 = none); this class raises the toolkit's notifications through the window's
// CPaintManagerUI: "itemselect" (wParam new index, lParam old index) on every change of the
// selection, whoever makes it, and "dropdown" when the list opens. The window's focus tracking
// gives it "setfocus" and "killfocus".
//
// For subclasses (the editable combo keeps a text of its own beside the selection):
// - SelectItem is the one way the selection changes: the list window, the arrow keys, Home/End
//   and the wheel all end up in it, so an override sees every change.
// - GetText / SetText: the base reports the selected item's text and selects the item whose
//   text equals the given one exactly (or none).
// - PaintStatusImage / PaintText: the face, then the text (GetText()) inside GetTextRect().
// - mousePressEvent: the base opens the list on a left-button press anywhere, through
//   QComboBox, which keeps the list open when that press's button is released.
// - GetTextPadding / SetTextPadding / GetTextRect: where the text goes (the "Combo" defaults
//   leave the 22-pixel arrow strip on the right out of it).
class CComboUI : public QComboBox, public IControlUI
{
    Q_OBJECT

public:
    explicit CComboUI(QWidget* parent = nullptr);
    ~CComboUI() override;

    [[nodiscard]] QString GetClass() const override;
    // Besides the common attributes: the skin face's (CSkinFace: "textpadding", the state
    // images, "font", "textcolor", "disabledtextcolor", "align", "valign"), "itemtextpadding",
    // "itemfont", "itemheight", "itemtextcolor", "itemhotbkcolor", "itemselectedbkcolor",
    // "itemselectedtextcolor", "dropboxsize" ("width,height").
    void SetAttribute(const QString& name, const QString& value) override;

    // Items. Adding or removing items never sends "itemselect"; the selection keeps its item.
    bool AddItem(const QString& text);
    bool InsertItem(int index, const QString& text);
    bool RemoveAt(int index);
    void RemoveAll();
    [[nodiscard]] int GetCount() const { return count(); }
    [[nodiscard]] QString GetItemText(int index) const;
    // Height of the list rows (the "ListLabelElement" default of the layout: 16).
    void SetItemHeight(int height);
    [[nodiscard]] int GetItemHeight() const { return m_itemHeight; }

    [[nodiscard]] int GetCurSel() const { return currentIndex(); }
    // Same index: nothing happens, true. Index below 0 or no items: no selection, nothing sent,
    // false. An index past the last item selects the last. Sends "itemselect" (new, old).
    virtual bool SelectItem(int index, bool takeFocus = false);

    [[nodiscard]] virtual QString GetText() const;
    virtual void SetText(const QString& text);

    [[nodiscard]] virtual QMargins GetTextPadding() const { return m_face.text.padding; }
    virtual void SetTextPadding(const QMargins& padding);
    // The control's rectangle reduced by the text padding.
    [[nodiscard]] virtual QRect GetTextRect() const;

    void SetFont(int index);
    [[nodiscard]] int GetFont() const { return m_face.text.font; }
    void SetTextColor(const QColor& colour);
    [[nodiscard]] QColor GetTextColor() const { return m_face.text.textColor; }
    void SetDisabledTextColor(const QColor& colour);

    void SetNormalImage(const QString& description);
    void SetHotImage(const QString& description);
    void SetPushedImage(const QString& description);

    // Where a text too long for the control is cut (the list rows too): at the end unless set;
    // port paths, told apart by their ends, are cut at the start.
    void SetTextElideMode(Qt::TextElideMode mode);
    [[nodiscard]] Qt::TextElideMode GetTextElideMode() const;
    // GetText() as painted: cut to the text rectangle. When it is cut, the tooltip shows it all.
    [[nodiscard]] QString GetShownText() const;

    [[nodiscard]] bool IsHot() const { return m_hot; }
    // True while the list is open or the left button is held on the control.
    [[nodiscard]] bool IsPushed() const { return m_pushed || m_dropped; }
    [[nodiscard]] bool IsDroppedDown() const { return m_dropped; }

    void showPopup() override;
    void hidePopup() override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    virtual void PaintStatusImage(QPainter& painter);
    virtual void PaintText(QPainter& painter);
    // The window's manager, once the combo sits in a skinned window.
    [[nodiscard]] CPaintManagerUI* GetManager() const;
    // The font of a font index of the window (the default font outside a window).
    [[nodiscard]] QFont GetSkinFont(int index) const;

private:
    void OnCurrentIndexChanged(int index);
    // Moves QComboBox's current index without the change counting as a selection by Qt.
    void SetCurrentIndexQuietly(int index);
    void FitPopupToItems();
    void EnsureTracked();

    int m_quiet = 0; // > 0 while this class itself moves QComboBox's current index
    // The selection as it was when Qt last began handling input that may change it (a key, the
    // wheel, a pick in the list): the old index of the change Qt then makes.
    int m_beforeInput = -1;
    int m_itemHeight = 16;
    CSkinFace m_face;
    int m_itemFont = -1; // -1: the same font as the combo's text
    bool m_hot = false;
    bool m_pushed = false;
    bool m_dropped = false;
    QPointer<CPaintManagerUI> m_trackedBy;
    class CListLabelDelegate* m_delegate;
};

} // namespace DuiLib
