#pragma once

#include "UIBase.h"

// Qt
#include <QColor>
#include <QFont>
#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QPointer>

// std
#include <functional>
#include <vector>

class QPainter;

namespace DuiLib {

// The accent of a skin that names none.
inline const QColor kDefaultAccent = QColor(0x18, 0x83, 0xD7);

// Runs before the window's handler for notifications of one control. Its result is not used.
using NotifyHook = std::function<bool(TNotifyUI&)>;
// Reads one file of the skin by name; an empty result means missing or unreadable.
using ResourceLoader = std::function<QByteArray(const QString& fileName)>;

// The per-window hub of the toolkit: finds controls by name, routes notifications (hooks first,
// then the window's notifiers), turns Qt's focus changes into "setfocus"/"killfocus", and holds
// the skin's fonts, images and per-class default attributes.
class CPaintManagerUI : public QObject
{
    Q_OBJECT

public:
    explicit CPaintManagerUI(QWidget* root);
    ~CPaintManagerUI() override;

    // The manager of the window that holds the widget (walks up the parents), or nullptr.
    [[nodiscard]] static CPaintManagerUI* FromWidget(const QWidget* widget);

    [[nodiscard]] QWidget* GetRoot() const { return m_root; }
    // First widget below the root whose layout name (objectName) equals the name exactly.
    [[nodiscard]] QWidget* FindControl(const QString& name) const;

    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    void AddNotifyHook(QWidget* control, NotifyHook hook);
    // Delivers on the calling thread: the sender's hooks, then every notifier.
    void SendNotify(QWidget* sender, const QString& type, qintptr wParam = 0, qintptr lParam = 0);

    // The control takes part in "setfocus"/"killfocus": it has the focus while Qt's focus widget
    // is the control, one of its children or a popup it opened.
    void TrackFocus(QWidget* control);
    [[nodiscard]] QWidget* GetFocus() const { return m_focus; }
    void SetFocus(QWidget* control);
    // Hands the keyboard focus to the window itself, so the focused control gets "killfocus".
    void KillFocus();

    void SetResourceLoader(ResourceLoader loader);
    [[nodiscard]] QByteArray LoadResource(const QString& fileName) const;
    // Cached; a null pixmap when the file is missing or not an image.
    [[nodiscard]] QPixmap GetImage(const QString& fileName) const;
    // Description: a bare file name, or attributes as in the layout:
    // "file='combo.png' source='0,22,100,44' corner='2,2,22,2'". The corner margins stay
    // unscaled when the image is stretched. Returns false when nothing could be drawn.
    bool DrawImage(QPainter& painter, const QRect& dest, const QString& description) const;

    void SetFont(int index, const QFont& font);
    // Index -1 or an index without a font gives the default font (index 0, else the app font).
    [[nodiscard]] QFont GetFont(int index) const;

    // The skin's accent colour (the frame of the layout's root), used for focus marks.
    void SetAccentColor(const QColor& colour) { m_accent = colour; }
    [[nodiscard]] QColor GetAccentColor() const { return m_accent; }

    void SetDefaultAttributeList(const QString& className, const AttributeList& attributes);
    [[nodiscard]] const AttributeList* GetDefaultAttributeList(const QString& className) const;
    // Applies the defaults of the control's class, if the layout has any.
    void ApplyDefaultAttributes(IControlUI* control) const;

private:
    void OnFocusChanged(QWidget* old, QWidget* now);

    QWidget* m_root;
    std::vector<INotifyUI*> m_notifiers;
    QHash<QWidget*, std::vector<NotifyHook>> m_hooks;
    std::vector<QPointer<QWidget>> m_focusTracked;
    QPointer<QWidget> m_focus;
    ResourceLoader m_loader;
    mutable QHash<QString, QPixmap> m_images;
    QHash<int, QFont> m_fonts;
    QColor m_accent = kDefaultAccent;
    QHash<QString, AttributeList> m_defaults; // keyed by lower-case class name
};

// Parses "l,t,r,b" (insets, paddings, 9-slice corners); missing numbers are 0.
[[nodiscard]] QMargins ParseMargins(const QString& text);
// Parses a source rectangle "left,top,right,bottom" (right and bottom exclusive).
[[nodiscard]] QRect ParseRect(const QString& text);
// Parses "#AARRGGBB" (or "0xAARRGGBB") into a colour with alpha.
[[nodiscard]] QColor ParseColor(const QString& text);

} // namespace DuiLib
