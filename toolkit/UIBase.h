#pragma once

// Qt
#include <QList>
#include <QPair>
#include <QString>

class QWidget;

namespace DuiLib {

// A control's message to its window: type ("click", "itemselect", "killfocus", ...), the
// sender's layout name, the sender itself and two parameters (for "itemselect": new, old index).
struct TNotifyUI
{
    QString sType;
    QString sName;
    QWidget* pSender = nullptr;
    qintptr wParam = 0;
    qintptr lParam = 0;
};

// Receiver of control notifications; the main window is one.
class INotifyUI
{
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

// Attributes of one layout element in document order. Names compare without regard to case.
using AttributeList = QList<QPair<QString, QString>>;

// One element of "Skin.xml" as parsed, with its nested elements.
struct LayoutElement
{
    QString className;
    AttributeList attributes;
    QList<LayoutElement> children;

    [[nodiscard]] QString attribute(const QString& name, const QString& fallback = {}) const;
};

// Everything the layout builder makes or configures implements this, so attributes from the
// layout (and the per-class defaults) reach controls the window's factory made too.
class IControlUI
{
public:
    virtual ~IControlUI() = default;
    // The layout class name ("Label", "Combo", "ChannelList", ...).
    [[nodiscard]] virtual QString GetClass() const = 0;
    // Unknown attributes are ignored.
    virtual void SetAttribute(const QString& name, const QString& value) = 0;
    // A nested element the builder does not place itself, such as a list's header with its
    // items. Returns false when the control takes no such child.
    virtual bool AddLayoutChild(const LayoutElement& element)
    {
        (void)element;
        return false;
    }
};

// The window's control factory: asked for layout classes the toolkit does not know.
// Returns a new widget (owned by the caller from then on) or nullptr.
class IDialogBuilderCallback
{
public:
    virtual ~IDialogBuilderCallback() = default;
    virtual QWidget* CreateControl(const QString& className, QWidget* parent) = 0;
};

// A UTF-8 text (the model's texts, the program's fixed texts) as Qt holds text.
[[nodiscard]] inline QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

// Whole-string comparison without regard to case, as attribute names and notification types use.
[[nodiscard]] bool EqualsNoCase(const QString& a, const QString& b);

} // namespace DuiLib
